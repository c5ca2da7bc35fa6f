// The whole bridge under load, in one process: a simulated server with 100,000 Bulk items that
// all change every 100 ms, the bridge (engine, live tag table, API server) registering them as
// one call-back group in one call, and 1 then 9 API clients subscribed over loopback TCP.
//
// Prints, for each client count: updates per second that reach each client, the latency from
// the server's time stamp of a change to the client's receipt (p50, p99; millisecond
// resolution), the process's CPU time per million updates delivered to one client, and the
// resident memory the bridge added per tag. The server and the clients run in this process,
// so CPU and memory include theirs. Targets: 1,000,000 updates per second to one client, p99
// at most 10 ms, at most 400 bytes per tag.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bridge/api/bridge_api.h"
#include "bridge/api/push_record.h"
#include "bridge/api/unique_socket.h"
#include "bridge/core/bridge_runtime.h"
#include "bridge/opc/opc_connection.h"
#include "common/log_time.h"
#include "platform/com/activation.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"
#include "tools/api_connection.h"

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kTags = 100'000;
constexpr auto kMeasure = 5s;

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int FreePort() {
  UniqueSocket probe(socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
  getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

void WriteProgramDirectory(const std::string& directory, int port) {
  std::filesystem::create_directories(directory + "/log");
  std::ofstream(directory + "/config.xml")
      << "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root port=\"" << port
      << "\" port_h=\"9527\" programe_name=\"bench\"/>\r\n";
  std::ofstream project(directory + "/opc_db.xml");
  project << "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root>\r\n"
          << "<server name=\"Bulk\" desc=\"\" node=\"\" sid=\"OPCSim.Tree.1\" "
             "clsid=\"{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}\" c1=\"0\">\r\n"
          << "<group name=\"Bulk\" desc=\"\" uptime=\"100\" timebis_minutes=\"0\" "
             "percent_deadband=\"0\" language_id=\"1033\" active_state=\"1\" "
             "datachange_type=\"1\" cycle_time=\"3600000\" additem=\"1\">\r\n";
  char id[32];
  for (std::size_t i = 0; i < kTags; ++i) {
    std::snprintf(id, sizeof id, "Bulk.Item%05zu", i);  // five digits from 10,000 items
    project << "<tag id=\"" << id << "\" vt=\"5\" dir=\"1\"/>\r\n";
  }
  project << "</group>\r\n</server>\r\n</root>\r\n";
}

// One subscribed client: counts the records it receives and samples their latency.
class Client {
 public:
  explicit Client(int port) {
    std::string error;
    connection_ = ApiConnection::Connect("127.0.0.1", port, 2s, error);
    if (!connection_) std::fprintf(stderr, "connect: %s\n", error.c_str());
  }
  void Run(const std::atomic<bool>& stop) {
    connection_->SendRequest(RequestHeader(1, 1, 0));
    ApiReply reply;
    std::vector<PushRecord> records;
    while (!stop.load()) {
      if (connection_->Receive(reply, 200ms) != ApiReceive::kFrame || reply.type != 4) continue;
      records.clear();
      ReadPushRecords(reply.payload, records);
      const WallTime now = SystemWallTime();
      const std::int64_t nowMs = now.seconds * 1000 + now.milliseconds;
      if (counting_.load()) {
        received_ += records.size();
        for (std::size_t i = 0; i < records.size(); i += 97) {
          const std::int64_t stamp =
              static_cast<std::int64_t>(records[i].seconds) * 1000 + records[i].milliseconds;
          if (records[i].seconds != 0) latencies_.push_back(nowMs - stamp);
        }
      }
    }
  }
  void StartCounting() { counting_ = true; }
  void StopCounting() { counting_ = false; }
  std::size_t Received() const { return received_; }
  std::vector<std::int64_t>& Latencies() { return latencies_; }
  bool Connected() const { return connection_ != nullptr; }

 private:
  std::unique_ptr<ApiConnection> connection_;
  std::atomic<bool> counting_{false};
  std::size_t received_ = 0;
  std::vector<std::int64_t> latencies_;
};

void Measure(int port, int clientCount) {
  std::vector<std::unique_ptr<Client>> clients;
  for (int i = 0; i < clientCount; ++i) clients.push_back(std::make_unique<Client>(port));
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (auto& client : clients) {
    if (client->Connected()) threads.emplace_back([&] { client->Run(stop); });
  }
  std::this_thread::sleep_for(2s);  // the snapshot and the first pushes
  const double cpuBefore = CpuSeconds();
  for (auto& client : clients) client->StartCounting();
  std::this_thread::sleep_for(kMeasure);
  for (auto& client : clients) client->StopCounting();
  const double cpu = CpuSeconds() - cpuBefore;
  stop = true;
  for (auto& thread : threads) thread.join();

  std::vector<std::int64_t> latencies;
  std::size_t total = 0;
  for (auto& client : clients) {
    total += client->Received();
    latencies.insert(latencies.end(), client->Latencies().begin(), client->Latencies().end());
  }
  std::sort(latencies.begin(), latencies.end());
  const double seconds = std::chrono::duration<double>(kMeasure).count();
  const double perClient = static_cast<double>(total) / clientCount / seconds;
  const auto percentile = [&](double p) {
    return latencies.empty() ? -1 : latencies[static_cast<std::size_t>(p * (latencies.size() - 1))];
  };
  std::printf(
      "%d client(s): %.0f updates/s per client, %.0f in all; latency p50 %lld ms, "
      "p99 %lld ms; CPU %.2f s per million updates (to one client)\n",
      clientCount, perClient, perClient * clientCount, static_cast<long long>(percentile(0.5)),
      static_cast<long long>(percentile(0.99)),
      perClient > 0 ? cpu / (perClient * seconds / 1e6) : 0.0);
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  RegisterOpcCoreClasses();
  RegisterSimulatedServers();
  SimulationSettings settings;
  settings.bulkItemCount = kTags;
  settings.bulkPeriod = 100ms;
  ResetSimulatedDevice(CLSID_OPCSimTree, settings);

  const int port = FreePort();
  const std::string directory =
      (std::filesystem::temp_directory_path() / ("engine_push_load_" + std::to_string(getpid())))
          .string();
  WriteProgramDirectory(directory, port);
  const long residentBefore = ResidentKilobytes();
  {
    BridgeRuntime runtime(directory, MakeBridgeApi, 100ms, SystemWallTime, MakeOpcConnection);
    while (!runtime.Connections()[0]->IsConnected()) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(3s);  // registration done, values flowing
    const long residentAfter = ResidentKilobytes();
    std::printf("%zu tags: %.0f bytes resident per tag (bridge and the server's items)\n", kTags,
                static_cast<double>(residentAfter - residentBefore) * 1024.0 / kTags);
    Measure(port, 1);
    Measure(port, 9);
    runtime.Stop();
  }
  std::filesystem::remove_all(directory);
  CoUninitialize();
  return 0;
}
