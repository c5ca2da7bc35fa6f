// The metrics endpoint of a bridge running in this process on the demo project's simulated
// servers, scraped over HTTP and checked against the load that was sent; and an endpoint whose
// port is taken.
#include "bridge/metrics/metrics_endpoint.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/api/bridge_api.h"
#include "bridge/core/bridge_runtime.h"
#include "bridge/opc/engine_test_support.h"
#include "bridge/opc/opc_connection.h"
#include "common/markup_declarations.h"
#include "common/test_files.h"
#include "platform/net/test_ports.h"
#include "tools/api_connection.h"
#include "wire/push_record.h"
#include "wire/unique_socket.h"

namespace tavrel {

namespace {

using engine_test::Eventually;
using engine_test::LogCapture;
using namespace std::chrono_literals;

// Handles of the demo project's SimTree SyncRead group.
constexpr int kEchoInt4 = 15;
constexpr int kEchoReal8 = 16;

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

// The body of a 200 answer to GET /metrics on the loopback `port`; empty otherwise.
std::string Scrape(int port) {
  const UniqueSocket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = Loopback(port);
  if (connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return "";
  }
  const std::string request = "GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
  if (send(socket.get(), request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    return "";
  }
  std::string answer;
  char chunk[4096];
  for (ssize_t n; (n = recv(socket.get(), chunk, sizeof chunk, 0)) > 0;) answer.append(chunk, n);
  const std::size_t bodyStart = answer.find("\r\n\r\n");
  if (!answer.starts_with("HTTP/1.1 200 ") || bodyStart == std::string::npos) return "";
  return answer.substr(bodyStart + 4);
}

// The value of `series` (its name and labels as the endpoint writes them) in a scrape; NaN when
// the scrape has no such series.
double Sample(const std::string& scrape, const std::string& series) {
  std::istringstream lines(scrape);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(series + " ")) return std::stod(line.substr(series.size() + 1));
  }
  return std::numeric_limits<double>::quiet_NaN();
}

std::string ServerSeries(const std::string& name, int index, const std::string& server) {
  return name + "{index=\"" + std::to_string(index) + "\",server=\"" + server + "\"}";
}

std::string RequestSeries(const std::string& request) {
  return "tavrel_api_requests_total{request=\"" + request + "\"}";
}

class MetricsEndpointTest : public engine_test::SimulatedServersTest {
 protected:
  void Configure(const std::string& metricsElement) const {
    WriteTestFile(directory_ / "config.xml", std::string(kProjectDeclaration) + "<root port=\"" +
                                                 std::to_string(apiPort_) +
                                                 "\" port_h=\"9527\" programe_name=\"test\">" +
                                                 metricsElement + "</root>\r\n");
  }

  // What the API client was sent: push records and write replies.
  struct Received {
    std::size_t pushRecords = 0;
    int writeReplies = 0;
  };
  // Receives frames until `done` holds or `limit` has passed; false at the limit.
  static bool ReceiveUntil(ApiConnection& client, Received& received,
                           const std::function<bool()>& done,
                           std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    ApiReply reply;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      if (client.Receive(reply, 10ms) != ApiReceive::kFrame) continue;
      if (reply.type == 5) ++received.writeReplies;
      std::vector<PushRecord> records;
      if (reply.type == 4 && ReadPushRecords(reply.payload, records)) {
        received.pushRecords += records.size();
      }
    }
    return true;
  }

  TestDirectory directory_;
  const int apiPort_ = FreeLoopbackPort();
};

TEST_F(MetricsEndpointTest, AScrapeCountsTheValuesRequestsPushesWritesAndReconnectsThatHappened) {
  const int metricsPort = FreeLoopbackPort();
  Configure("<metrics port=\"" + std::to_string(metricsPort) + "\"/>");
  std::filesystem::copy_file(std::string(TAVREL_INSTALL_FILES) + "/opc_db.xml",
                             directory_ / "opc_db.xml");
  const auto fastEngine = [](const ConnectionEngineContext& context) {
    return std::make_unique<OpcConnection>(context, engine_test::FastTiming());
  };
  std::optional<BridgeRuntime> runtime;
  runtime.emplace(
      directory_.Path(),
      BridgeParts{.makeEngine = fastEngine, .frontEnds = {MakeApiFrontEnd, MakeMetricsFrontEnd}});
  const std::string servers[] = {"SimTree", "SimFlat"};
  ASSERT_TRUE(Eventually([&] {
    const std::string scrape = Scrape(metricsPort);
    return Sample(scrape, ServerSeries("tavrel_server_connection_state", 0, servers[0])) == 2 &&
           Sample(scrape, ServerSeries("tavrel_server_connection_state", 1, servers[1])) == 2;
  }));

  std::string error;
  const auto client = ApiConnection::Connect("127.0.0.1", apiPort_, 1s, error);
  ASSERT_NE(client, nullptr) << error;
  for (const std::string& request :
       {RequestHeader(1, 1, 1), RequestHeader(2, 6), RequestHeader(3, 6), RequestHeader(4, 1),
        WriteRequestHeader(5, kEchoReal8, "12.5"), WriteRequestHeader(6, kEchoInt4, "seven")}) {
    ASSERT_TRUE(client->SendRequest(request));
  }
  Received received;
  ASSERT_TRUE(ReceiveUntil(*client, received, [&] { return received.writeReplies == 2; }));

  opcsim::SimulatedDeviceFor(opcsim::CLSID_OPCSimTree)->RequestShutdown(OLESTR("maintenance"));
  ASSERT_TRUE(ReceiveUntil(*client, received, [&] {
    const std::string scrape = Scrape(metricsPort);
    return Sample(scrape, ServerSeries("tavrel_server_reconnects_total", 0, servers[0])) == 1 &&
           Sample(scrape, ServerSeries("tavrel_server_connection_state", 0, servers[0])) == 2;
  }));
  EXPECT_EQ(Sample(Scrape(metricsPort), "tavrel_api_clients"), 1);

  runtime->Stop();  // no value is applied or pushed any more; the endpoint serves on
  const auto quiet = std::chrono::steady_clock::now() + 300ms;
  ReceiveUntil(*client, received, [&] { return std::chrono::steady_clock::now() >= quiet; });
  const std::string scrape = Scrape(metricsPort);
  for (int index = 0; index < 2; ++index) {
    double applied = 0;
    for (const auto& group : runtime->Project().Servers()[index]->groups) {
      for (const auto& tag : group->tags) applied += tag->liveValue.Snapshot().updateCount;
    }
    EXPECT_GT(applied, 0) << servers[index];
    EXPECT_EQ(Sample(scrape, ServerSeries("tavrel_values_received_total", index, servers[index])),
              applied);
  }
  EXPECT_GT(received.pushRecords, 0u);
  EXPECT_EQ(Sample(scrape, "tavrel_api_pushes_sent_total"),
            static_cast<double>(received.pushRecords));
  EXPECT_EQ(Sample(scrape, "tavrel_api_pushes_dropped_total"), 0);
  EXPECT_EQ(Sample(scrape, RequestSeries("configuration")), 1);
  EXPECT_EQ(Sample(scrape, RequestSeries("heartbeat")), 2);
  EXPECT_EQ(Sample(scrape, RequestSeries("snapshot")), 1);
  EXPECT_EQ(Sample(scrape, RequestSeries("write")), 2);
  EXPECT_EQ(Sample(scrape, RequestSeries("other")), 0);
  EXPECT_EQ(Sample(scrape, ServerSeries("tavrel_writes_total", 0, servers[0])), 2);
  EXPECT_EQ(Sample(scrape, ServerSeries("tavrel_write_failures_total", 0, servers[0])), 1);
  EXPECT_EQ(Sample(scrape, ServerSeries("tavrel_writes_total", 1, servers[1])), 0);
  EXPECT_EQ(Sample(scrape, ServerSeries("tavrel_server_reconnects_total", 1, servers[1])), 0);
}

TEST_F(MetricsEndpointTest, PeersThatNeverFinishTheirRequestHoldUpNoScrapeAndAreGivenUp) {
  const int port = FreeLoopbackPort();
  Configure("<metrics port=\"" + std::to_string(port) + "\"/>");
  const BridgeRuntime runtime(directory_.Path(), {.frontEnds = {MakeMetricsFrontEnd}});
  ASSERT_FALSE(Scrape(port).empty());
  std::vector<UniqueSocket> halfSent;
  for (int i = 0; i < 2; ++i) {
    halfSent.emplace_back(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in address = Loopback(port);
    ASSERT_EQ(
        connect(halfSent.back().get(), reinterpret_cast<const sockaddr*>(&address), sizeof address),
        0);
    ASSERT_EQ(send(halfSent.back().get(), "GET /met", 8, MSG_NOSIGNAL), 8);
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Scrape(port).empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  // Given up after the read time-out: the peer sees the end of the connection.
  for (const UniqueSocket& peer : halfSent) {
    timeval wait{10, 0};
    setsockopt(peer.get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char byte;
    EXPECT_GE(recv(peer.get(), &byte, 1, 0), 0);
  }
}

TEST_F(MetricsEndpointTest, BadValuesAndATakenPortAreLoggedAndNoMetricsAreServed) {
  const UniqueSocket holder(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(holder.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(holder.get(), 1), 0);
  getsockname(holder.get(), reinterpret_cast<sockaddr*>(&address), &length);
  const std::string port = std::to_string(ntohs(address.sin_port));
  Configure("<metrics port=\"" + port + "\" bind=\"localhost\"/>");
  const auto lines = std::make_shared<LogCapture>();
  const BridgeRuntime runtime(directory_.Path(),
                              {.frontEnds = {MakeMetricsFrontEnd}, .logSink = lines});
  std::vector<std::string> metricsLines;
  for (const std::string& line : lines->Lines()) {
    if (line.starts_with("metrics: ")) metricsLines.push_back(line);
  }
  ASSERT_EQ(metricsLines.size(), 2u);
  EXPECT_EQ(metricsLines[0], "metrics: bind \"localhost\" is not an IPv4 address; using 127.0.0.1");
  EXPECT_TRUE(metricsLines[1].starts_with("metrics: cannot listen on 127.0.0.1:" + port + " ("))
      << metricsLines[1];
}

}  // namespace

}  // namespace tavrel
