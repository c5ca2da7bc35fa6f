// The API server's push flush (bridge/api), apart from the frame layer's own benchmark.
//
//   BM_PushFlush  1,000,000 push records flushed by the API server to nine subscribed
//                 loopback clients that read them as they come: records per second; one
//                 iteration is one million records, so the CPU column is the server thread's
//                 CPU time per million records.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bridge/api/api_server.h"
#include "common/markup_declarations.h"
#include "wire/api_frame.h"
#include "wire/frame_codec.h"

namespace tavrel {

namespace {

// A request frame; any request subscribes its client (SubscribeAll).
std::string SubscribeFrame() {
  ByteBuffer frame;
  BuildFrame(std::string(kGbkDeclaration) + "<root type=\"1\" flag=\"0\"/>\r\n", {}, kBodyNone,
             frame);
  return std::string(reinterpret_cast<const char*>(frame.At(0)), frame.Length());
}

// Turns pushes on for every client that sends a request.
class SubscribeAll : public ApiRequestHandler {
 public:
  void HandleRequest(ApiClient& client, MarkupDocument&) override { client.pushesWanted = true; }
};

// A loopback client that subscribes and then reads everything the server sends.
class DrainingClient {
 public:
  DrainingClient(int port, const std::string& request) : socket_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    send(socket_.get(), request.data(), request.size(), MSG_NOSIGNAL);
    reader_ = std::thread([this] {
      std::vector<char> bytes(1 << 20);
      pollfd readable{socket_.get(), POLLIN, 0};
      while (!stop_) {
        if (poll(&readable, 1, 10) > 0 && recv(socket_.get(), bytes.data(), bytes.size(), 0) <= 0) {
          break;
        }
      }
    });
  }
  ~DrainingClient() {
    stop_ = true;
    reader_.join();
  }

 private:
  UniqueSocket socket_;
  std::atomic<bool> stop_{false};
  std::thread reader_;
};

void BM_PushFlush(benchmark::State& state) {
  ExitFlag exitFlag;
  BridgeLog log(std::filesystem::temp_directory_path().string());
  MetricRegistry metrics;
  ApiServer server(0, log, exitFlag, metrics);
  SubscribeAll handler;
  server.SetRequestHandler(&handler);
  // Short passes while the clients connect; the measured ones wait for the pushes alone.
  const std::chrono::milliseconds setUpWait(5);
  server.Pass(setUpWait);
  std::vector<std::unique_ptr<DrainingClient>> clients;
  for (int i = 0; i < 9; ++i) {
    clients.push_back(std::make_unique<DrainingClient>(server.ListeningPort(), SubscribeFrame()));
    for (int pass = 0; pass < 20; ++pass) server.Pass(setUpWait);
  }
  const int64_t records = 1000000;
  const int64_t perPass = 10000;
  PushRecord record{.handle = 1, .seconds = 1, .valueClass = 1, .updateCount = 1, .real = 2.5};
  for (auto _ : state) {
    for (int64_t done = 0; done < records; done += perPass) {
      for (int64_t i = 0; i < perPass; ++i) {
        ++record.updateCount;
        server.AppendPush(record);
      }
      server.Pass();
    }
  }
  state.SetItemsProcessed(state.iterations() * records);
  state.counters["clients"] = static_cast<double>(clients.size());
  exitFlag.Set();
}
BENCHMARK(BM_PushFlush)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

}  // namespace tavrel

BENCHMARK_MAIN();
