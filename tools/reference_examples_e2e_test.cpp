// The integrator reference's examples (docs/*.md), run against a live manager and its bridge in
// a copy of the installation folder that holds the reference's own config.xml, opc_db.xml and
// com_registry.conf. The examples use the default ports and the manager stops every bridge it
// can see, so CTest runs this in PID and network namespaces of its own.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <span>
#include <sstream>

#include "common/code_page.h"
#include "common/program_files.h"
#include "manager/loopback_http_client.h"
#include "manager/manager_test_support.h"
#include "platform/process/spawn.h"
#include "tools/api_connection.h"
#include "tools/reference_examples.h"
#include "wire/unique_socket.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

// In this order: the last example of the second one replaces the project over HTTP, which
// restarts the bridge.
const char* const kReferenceDocuments[] = {"docs/api.md", "docs/integration.md"};
const std::string kAnyLines = "\xE2\x80\xA6";  // "…" in UTF-8

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string line(text.substr(0, end));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

std::string Hex(std::string_view bytes) {
  std::string text;
  char digits[4];
  for (const char byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02x ", static_cast<unsigned char>(byte));
    text += digits;
  }
  if (!text.empty()) text.pop_back();
  return text;
}

std::string Bytes(const std::vector<std::string>& hexLines) {
  std::string bytes;
  for (const std::string& line : hexLines) {
    std::istringstream in(line);
    unsigned value = 0;
    while (in >> std::hex >> value) bytes += static_cast<char>(value);
  }
  return bytes;
}

std::string Joined(const std::vector<std::string>& lines, std::string_view separator = "\n") {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : std::string(separator)) + line;
  return text;
}

// True when `actual` matches `expected` line by line; a line of "…" alone stands for any number
// of lines (a long listing shown in part).
bool LinesMatch(std::span<const std::string> expected, std::span<const std::string> actual) {
  if (expected.empty()) return actual.empty();
  if (expected.front() == kAnyLines) {
    for (size_t skip = 0; skip <= actual.size(); ++skip) {
      if (LinesMatch(expected.subspan(1), actual.subspan(skip))) return true;
    }
    return false;
  }
  return !actual.empty() && LineMatches(expected.front(), actual.front()) &&
         LinesMatch(expected.subspan(1), actual.subspan(1));
}

// Where an expected text and the actual one part: empty when they match.
std::string Mismatch(const std::vector<std::string>& expected,
                     const std::vector<std::string>& actual) {
  if (LinesMatch(expected, actual)) return {};
  return "expected:\n" + Joined(expected) + "\nactual:\n" + Joined(actual);
}

// A frame as the api examples show it: its header's root element (the declaration before it is
// always the same), then its payload's lines, texts in UTF-8 and the records of a push in
// hexadecimal.
std::vector<std::string> Rendered(const ApiReply& reply) {
  std::vector<std::string> lines;
  for (std::string& line : Lines(AnsiToUtf8(reply.header))) {
    if (!line.starts_with("<?xml")) lines.push_back(std::move(line));
  }
  if (reply.payload.empty()) return lines;
  const std::vector<std::string> payload = reply.type == 4
                                               ? std::vector<std::string>{Hex(reply.payload)}
                                               : Lines(AnsiToUtf8(reply.payload));
  lines.insert(lines.end(), payload.begin(), payload.end());
  return lines;
}

class ReferenceExamplesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.CopyFrom(TAVREL_PROGRAM_DIRECTORY);
    folder_.InstallProgram(TAVREL_CLI, "tavrel-cli");
  }

  void TearDown() override {
    if (manager_ == 0) return;
    kill(manager_, SIGTERM);
    waitpid(manager_, nullptr, 0);
  }

  // Writes the files of `block` into the folder; false when the block is no example kind.
  bool TakeFile(const ExampleBlock& block) {
    const size_t name = block.info.find(" file=");
    if (name == std::string::npos) return false;
    const std::string text = Joined(block.lines, "\r\n") + "\r\n";
    // A file that declares GB2312 or GBK is stored in GBK; others (the registry file) as shown.
    const bool gbk = text.find("encoding=\"GB") != std::string::npos;
    folder_.Write(block.info.substr(name + 6), gbk ? Utf8ToAnsi(text) : text);
    return true;
  }

  void StartPrograms() {
    manager_ = StartProgram(folder_.File("Morvane"));
    ASSERT_GT(manager_, 0);
    ASSERT_TRUE(Eventually([] { return LoopbackHttpClient(kDefaultHttpPort).connected(); }, 10s));
    ASSERT_TRUE(Eventually([&] { return Settled(); }, 20s))
        << "the bridge has no value of every tag from a connected server";
  }

  // True once the bridge's snapshot shows its server connected (the status tag, last, is 1)
  // and a value read for every tag (none has the time 0 any more).
  bool Settled() {
    const std::unique_ptr<ApiConnection> api = Connect();
    if (api == nullptr || !api->SendRequest(RequestHeader(0, 1, 0))) return false;
    ApiReply reply;
    while (api->Receive(reply, 2s) == ApiReceive::kFrame) {
      if (reply.type != 1) continue;
      const size_t status = reply.payload.rfind("<t ");
      return reply.payload.find(" s=\"0\"") == std::string::npos && status != std::string::npos &&
             reply.payload.compare(status, 9, "<t v=\"1\" ") == 0;
    }
    return false;
  }

  // A connection to the bridge's API, waiting for a bridge that the manager (re)starts.
  std::unique_ptr<ApiConnection> Connect() {
    std::unique_ptr<ApiConnection> api;
    std::string error;
    Eventually(
        [&] {
          return (api = ApiConnection::Connect("127.0.0.1", kDefaultApiPort, 1s, error)) != nullptr;
        },
        20s);
    return api;
  }

  void RunConsole(const ExampleBlock& block, const std::string& where) {
    for (size_t i = 0; i < block.lines.size();) {
      const std::string command = block.lines[i].substr(2);
      std::vector<std::string> expected;
      for (++i; i < block.lines.size() && !block.lines[i].starts_with("$ "); ++i) {
        expected.push_back(block.lines[i]);
      }
      const std::string shell = "cd '" + folder_.path() + "' && PATH=\"$PWD:$PATH\" && " + command;
      const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(shell.c_str(), "r"), pclose);
      ASSERT_TRUE(pipe);
      std::string output;
      char chunk[4096];
      for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0;)
        output.append(chunk, n);
      EXPECT_EQ(Mismatch(expected, Lines(output)), "") << where << ": $ " << command;
    }
  }

  void RunConversation(const ExampleBlock& block, const std::string& where) {
    const std::unique_ptr<ApiConnection> api = Connect();
    ASSERT_NE(api, nullptr) << where;
    for (const ExampleMessage& message : ConversationOf(block)) {
      if (message.sent) {
        ASSERT_TRUE(api->SendRequest(Utf8ToAnsi(Joined(message.lines, "\r\n")))) << where;
        continue;
      }
      // Pushes come whenever values change: one that is not the expected frame is passed over.
      const bool push = message.lines.front().find("type=\"4\"") != std::string::npos;
      std::string mismatch = "no frame came";
      ApiReply reply;
      while (!mismatch.empty() && api->Receive(reply, 10s) == ApiReceive::kFrame) {
        if ((reply.type == 4) != push) continue;
        mismatch = Mismatch(message.lines, Rendered(reply));
        if (!push) break;
      }
      ASSERT_EQ(mismatch, "") << where;
    }
  }

  // The frames' bytes themselves, over a plain socket.
  void RunBytes(const ExampleBlock& block, const std::string& where) {
    ASSERT_NE(Connect(), nullptr) << where;
    const UniqueSocket socket(::socket(AF_INET, SOCK_STREAM, 0));
    const int fd = socket.get();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kDefaultApiPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    for (const ExampleMessage& message : ConversationOf(block)) {
      const std::string bytes = Bytes(message.lines);
      if (message.sent) {
        ASSERT_EQ(send(fd, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
        continue;
      }
      std::string received;
      pollfd ready{fd, POLLIN, 0};
      char chunk[4096];
      while (received.size() < bytes.size() && poll(&ready, 1, 5000) == 1) {
        const ssize_t n =
            recv(fd, chunk, std::min(sizeof chunk, bytes.size() - received.size()), 0);
        if (n <= 0) break;
        received.append(chunk, static_cast<size_t>(n));
      }
      EXPECT_EQ(Hex(received), Hex(bytes)) << where;
    }
  }

  TemporaryInstallation folder_;
  pid_t manager_ = 0;
};

TEST_F(ReferenceExamplesTest, EveryExampleRunsAsShown) {
  std::vector<std::pair<std::string, ExampleBlock>> examples;
  for (const char* document : kReferenceDocuments) {
    const size_t before = examples.size();
    for (ExampleBlock& block :
         FencedBlocks(ReadTestFile(TAVREL_SOURCE_DIR "/" + std::string(document)))) {
      const std::string where = std::string(document) + ":" + std::to_string(block.line);
      if (block.info == "console" || block.info == "api" || block.info == "hex") {
        examples.emplace_back(where, std::move(block));
      } else {
        ASSERT_TRUE(TakeFile(block)) << where << ": a block that no test runs: " << block.info;
      }
    }
    ASSERT_GT(examples.size(), before) << document << " shows no example";
  }
  StartPrograms();
  for (const auto& [where, block] : examples) {
    if (block.info == "console") RunConsole(block, where);
    if (block.info == "api") RunConversation(block, where);
    if (block.info == "hex") RunBytes(block, where);
  }
}

}  // namespace

}  // namespace tavrel
