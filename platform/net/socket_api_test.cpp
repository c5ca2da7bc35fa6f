#include "platform/net/socket_api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace tavrel {

namespace {

// Long enough for any loopback connection: reached only when the test fails.
constexpr int kBoundMs = 10000;

class SocketApi : public testing::Test {
 protected:
  ~SocketApi() override {
    for (SocketHandle socket : {listener_, client_, accepted_}) CloseSocket(socket);
  }

  // A listening loopback socket on a port the system chooses; its address in `address`.
  void Listen(sockaddr_in& address) {
    listener_ = OpenSocket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(listener_, kInvalidSocket) << SocketErrorText(LastSocketError());
    ReuseListeningAddress(listener_);
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener_, reinterpret_cast<const sockaddr*>(&address), length), 0);
    ASSERT_EQ(listen(listener_, 4), 0);
    ASSERT_EQ(getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length), 0);
  }

  int Connect(const sockaddr_in& address) {
    client_ = OpenSocket(AF_INET, SOCK_STREAM, 0);
    EXPECT_TRUE(SetNonBlocking(client_));
    return ConnectWithin(client_, reinterpret_cast<const sockaddr*>(&address), sizeof address,
                         kBoundMs);
  }

  const SocketRuntime runtime_;
  SocketHandle listener_ = kInvalidSocket;
  SocketHandle client_ = kInvalidSocket;
  SocketHandle accepted_ = kInvalidSocket;
};

TEST_F(SocketApi, ConnectsAcceptsNonBlockingAndPollsOnlyTheValidSockets) {
  ASSERT_TRUE(runtime_.Started());
  sockaddr_in address;
  ASSERT_NO_FATAL_FAILURE(Listen(address));
  ASSERT_EQ(Connect(address), 0);
  pollfd waiting{listener_, POLLIN, 0};
  ASSERT_EQ(PollSockets(&waiting, 1, kBoundMs), 1);
  accepted_ = AcceptSocket(listener_, nullptr, nullptr);
  ASSERT_NE(accepted_, kInvalidSocket);

  std::uint8_t bytes[16];
  EXPECT_EQ(ReceiveSome(accepted_, bytes, sizeof bytes), -1);  // nothing yet: it does not wait
  EXPECT_EQ(LastSocketError(), kSocketWouldBlock);

  ASSERT_TRUE(SetSocketOption(client_, IPPROTO_TCP, TCP_NODELAY, 1));
  ASSERT_EQ(SendSome(client_, "ping", 4), 4);
  // Windows skips the entry of no socket; Wine 8 answers it with POLLNVAL, which PollSockets
  // hides.
  pollfd entries[] = {{kInvalidSocket, POLLIN, 0}, {accepted_, POLLIN, 0}};
  ASSERT_EQ(PollSockets(entries, 2, kBoundMs), 1);
  EXPECT_EQ(entries[0].revents, 0);
  EXPECT_NE(entries[1].revents & POLLIN, 0);
  ASSERT_EQ(ReceiveSome(accepted_, bytes, sizeof bytes), 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 4), "ping");

  CloseSocket(client_);
  client_ = kInvalidSocket;
  ASSERT_EQ(PollSockets(&entries[1], 1, kBoundMs), 1);
  EXPECT_EQ(ReceiveSome(accepted_, bytes, sizeof bytes), 0);  // the peer closed
}

TEST_F(SocketApi, ARefusedConnectionFailsAtOnceWithTheSystemsText) {
  sockaddr_in address;
  ASSERT_NO_FATAL_FAILURE(Listen(address));
  CloseSocket(listener_);  // nobody listens on the port now
  listener_ = kInvalidSocket;

  const auto start = std::chrono::steady_clock::now();
  const int error = Connect(address);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kBoundMs / 2));
  EXPECT_NE(error, 0);
  EXPECT_NE(error, kSocketTimedOut);
  const std::string text = SocketErrorText(error);
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
}

TEST_F(SocketApi, AFailedLookUpHasTheSystemsText) {
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST;  // no name service asked
  addrinfo* found = nullptr;
  const int error = getaddrinfo("not.an.address", "1", &hints, &found);
  ASSERT_NE(error, 0);
  const std::string text = ResolveErrorText(error);
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
}

}  // namespace

}  // namespace tavrel
