// The whole bridge under load, in one process: a simulated server with 100,000 Bulk items that
// all change at every 100 ms update of their group, the bridge (engine, live tag table, API
// server) registering them in one call per group, and 1 then 9 API clients subscribed over
// loopback TCP.
//
// Two projects are measured. "100 groups of 1,000" is how plant projects are laid out: the
// server reports each group on its own 100 ms tick, so the changes arrive as a steady stream.
// "1 group of 100,000" is the worst burst: the server reports all 100,000 changes in one call,
// and a change's latency then includes the time the server and the bridge take over the whole
// burst.
//
// Prints, for each project and client count: updates per second that reach each client; the
// latency from the server's time stamp of a change to the client's receipt (p50, p99;
// millisecond resolution; Bulk items are stamped when the server samples them, so the wait for
// the server's next update tick is not counted); the process's CPU time per million updates
// delivered to each client; the worst client's lag over the first seconds after connecting
// (the age of the newest record it received: a queue that stands shows as a lag that does not
// fall); the connections the bridge closed, when it closed any (a client it took for stalled);
// and the resident memory per tag, the whole and the bridge's share
// (the server's share is measured by a second group of the same items; resident memory is the
// working set on Windows, process_usage.h). The server and the clients run in this process, so
// the CPU figures include theirs.
//
// Targets: every update offered (1,000,000 per second for 100,000 items) to each client, p99 at
// most 10 ms, at most 400 bytes per tag for the bridge.
//
//   engine_push_load [groups [clients]]
//
// With no argument both projects are measured with 1 and 9 clients, each project in a process
// of its own (the program starts itself again with the project's `groups`). `groups` measures that
// project alone (100 groups of 1,000 items at 100 ms for 100, 200 groups for twice the load: the
// items per group stay 1,000 from 100 groups on), in this process, so that a profiler preloaded
// into it sees the whole run; `clients` measures that client count alone.
//
// The Windows build has it too (configured with -DTAVREL_BUILD_BENCHMARKS=ON, see bench/
// CMakeLists.txt); under Wine it listens on loopback ports and runs in namespaces of its own:
//
//   W=build-windows
//   scripts/in-namespaces scripts/wine-run --prefix $W/wine-prefix $W/bench/engine_push_load.exe
//
// Under Wine the CPU figures leave out the wineserver's time, which a separate process spends
// on this one's waits and handles: compare its CPU time before and after the run
// (/proc/<wineserver>/stat) to see it.
#include <unistd.h>  // getpid, in both builds

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bulk_project.h"
#include "bridge/api/bridge_api.h"
#include "bridge/core/bridge_runtime.h"
#include "bridge/opc/opc_connection.h"
#include "common/log_time.h"
#include "common/program_directory.h"
#include "common/wide_string.h"
#include "platform/com/com.h"
#include "platform/com/com_api.h"
#include "platform/net/socket_api.h"
#include "platform/net/test_ports.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcda/opcda.h"
#include "platform/opcsim/simulated_servers.h"
#include "platform/process/process_usage.h"
#include "platform/process/spawn.h"
#include "tools/api_connection.h"
#include "wire/push_record.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kTags = 100'000;
constexpr auto kMeasure = 5s;
constexpr auto kCatchUpLimit = 20s;
constexpr std::int64_t kCaughtUpMs = 20;
constexpr auto kLagRecord = 5s;
constexpr auto kLagSample = 250ms;
constexpr double kTargetP99Milliseconds = 10;
constexpr double kTargetBytesPerTag = 400;

double BytesPerTag(std::int64_t bytes, std::size_t tags) {
  return static_cast<double>(bytes) / static_cast<double>(tags);
}

void WriteProgramDirectory(const std::string& directory, int port, std::size_t tags,
                           std::size_t groups) {
  std::filesystem::create_directories(directory + "/log");
  std::ofstream(directory + "/config.xml")
      << "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root port=\"" << port
      << "\" port_h=\"9527\" programe_name=\"bench\"/>\r\n";
  WriteBulkProject(directory + "/opc_db.xml", tags, groups);
}

// The resident memory the simulated server adds for one more group holding every Bulk item
// (inactive, so it sends nothing), kept until the object goes away. The items are added
// `perCall` at a time, as the bridge registers the project's groups, so that the server's
// passing allocations are of the same sizes.
class ServerShareProbe {
 public:
  ServerShareProbe(std::size_t tags, std::size_t perCall) {
    const std::int64_t before = ResidentBytes();
    CoCreateInstance(opcsim::CLSID_OPCSimTree, nullptr, CLSCTX_ALL, IID_IOPCServer,
                     server_.ReleaseAndGetVoidAddressOf());
    OPCHANDLE group = 0;
    DWORD revised = 0;
    server_->AddGroup(OLESTR("Probe"), FALSE, 100, 1, nullptr, nullptr, 0, &group, &revised,
                      IID_IOPCItemMgt, reinterpret_cast<LPUNKNOWN*>(items_.GetAddressOf()));
    std::vector<WideString> ids(perCall);
    std::vector<OPCITEMDEF> definitions(perCall);
    for (std::size_t first = 0; first < tags; first += perCall) {
      for (std::size_t i = 0; i < perCall; ++i) {
        const std::string id = BulkItemId(first + i, tags);
        ids[i].assign(id.begin(), id.end());
        definitions[i] = OPCITEMDEF{};
        definitions[i].szItemID = ids[i].data();
        definitions[i].bActive = TRUE;
        definitions[i].hClient = static_cast<OPCHANDLE>(first + i + 1);
      }
      OPCITEMRESULT* results = nullptr;
      HRESULT* errors = nullptr;
      items_->AddItems(static_cast<DWORD>(perCall), definitions.data(), &results, &errors);
      CoTaskMemFree(results);
      CoTaskMemFree(errors);
    }
    bytes_ = ResidentBytes() - before;
  }
  std::int64_t Bytes() const { return bytes_; }

 private:
  ComPtr<IOPCServer> server_;
  ComPtr<IOPCItemMgt> items_;
  std::int64_t bytes_ = 0;
};

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
      const ApiReceive received = connection_->Receive(reply, 200ms);
      if (received == ApiReceive::kClosed) {
        closed_ = true;
        return;
      }
      if (received != ApiReceive::kFrame || reply.type != 4) continue;
      records.clear();
      ReadPushRecords(reply.payload, records);
      const WallTime now = SystemWallTime();
      const std::int64_t nowMs = now.seconds * 1000 + now.milliseconds;
      if (!records.empty()) {
        lagMs_ = nowMs - StampMs(records.back());
        if (lagMs_ <= kCaughtUpMs) caughtUp_ = true;
      }
      if (counting_.load()) {
        received_ += records.size();
        for (std::size_t i = 0; i < records.size(); i += 97) {
          if (records[i].seconds != 0) latencies_.push_back(nowMs - StampMs(records[i]));
        }
      }
    }
  }
  // True once a push arrived whose newest record is recent: the client has worked off the
  // snapshot and the pushes that waited behind it.
  bool CaughtUp() const { return caughtUp_.load(); }
  // The age of the newest record of the last push received; -1 before the first.
  std::int64_t LagMs() const { return lagMs_.load(); }
  void StartCounting() { counting_ = true; }
  void StopCounting() { counting_ = false; }
  std::size_t Received() const { return received_; }
  std::vector<std::int64_t>& Latencies() { return latencies_; }
  bool Connected() const { return connection_ != nullptr; }
  // True when the bridge closed the connection (it dropped the client).
  bool Closed() const { return closed_.load(); }

 private:
  std::unique_ptr<ApiConnection> connection_;
  static std::int64_t StampMs(const PushRecord& record) {
    return static_cast<std::int64_t>(record.seconds) * 1000 + record.milliseconds;
  }

  std::atomic<bool> caughtUp_{false};
  std::atomic<std::int64_t> lagMs_{-1};
  std::atomic<bool> counting_{false};
  std::atomic<bool> closed_{false};
  std::size_t received_ = 0;
  std::vector<std::int64_t> latencies_;
};

// `offered`: the updates per second the server makes, the target of each client.
void Measure(int port, int clientCount, double offered) {
  std::vector<std::unique_ptr<Client>> clients;
  for (int i = 0; i < clientCount; ++i) clients.push_back(std::make_unique<Client>(port));
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (auto& client : clients) {
    if (client->Connected()) threads.emplace_back([&] { client->Run(stop); });
  }
  // Steady state: every client has worked off its snapshot reply and the pushes behind it.
  const auto connected = std::chrono::steady_clock::now();
  const auto allCaughtUp = [&] {
    return std::all_of(clients.begin(), clients.end(), [](auto& c) { return c->CaughtUp(); });
  };
  // The queue in front of the clients over the first seconds: the worst client's lag, sampled
  // every kLagSample, shows whether the backlog of the snapshots drains or stands.
  std::vector<std::int64_t> worstLags;
  std::optional<double> catchUp;
  for (auto now = connected; now - connected < kCatchUpLimit;
       now = std::chrono::steady_clock::now()) {
    if (!catchUp && allCaughtUp()) {
      catchUp = std::chrono::duration<double>(now - connected).count();
    }
    if (catchUp && now - connected >= kLagRecord) break;
    if (now - connected < kLagRecord && now - connected >= worstLags.size() * kLagSample) {
      std::int64_t worst = -1;
      for (auto& client : clients) worst = std::max(worst, client->LagMs());
      worstLags.push_back(worst);
    }
    std::this_thread::sleep_for(10ms);
  }
  std::printf("  %d client(s), the worst client's lag every %lld ms from the connection (ms):",
              clientCount, static_cast<long long>(kLagSample.count()));
  for (const std::int64_t lag : worstLags) std::printf(" %lld", static_cast<long long>(lag));
  std::printf("\n");
  std::this_thread::sleep_for(1s);
  const double cpuBefore = ProcessCpuSeconds();
  for (auto& client : clients) client->StartCounting();
  std::this_thread::sleep_for(kMeasure);
  for (auto& client : clients) client->StopCounting();
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  stop = true;
  for (auto& thread : threads) thread.join();

  const auto closed =
      std::count_if(clients.begin(), clients.end(), [](auto& c) { return c->Closed(); });
  if (closed > 0) {
    std::printf("  %d client(s): the bridge closed %td of the connections\n", clientCount, closed);
  }
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
    return latencies.empty() ? -1.0
                             : static_cast<double>(
                                   latencies[static_cast<std::size_t>(p * (latencies.size() - 1))]);
  };
  const double p99 = percentile(0.99);
  std::printf(
      "  %d client(s), steady after %.1f s: %.0f updates/s per client (%.2f x target), %.0f in "
      "all; latency p50 %.0f ms, p99 %.0f ms (%.2f x target); CPU %.2f s per million updates to "
      "each client\n",
      clientCount, catchUp.value_or(-1), perClient, perClient / offered, perClient * clientCount,
      percentile(0.5), p99, p99 / kTargetP99Milliseconds,
      perClient > 0 ? cpu / (perClient * seconds / 1e6) : 0.0);
}

// The project of `groups` groups: 100,000 Bulk items, or 1,000 per group from 100 groups on.
std::size_t TagsOf(std::size_t groups) { return std::max<std::size_t>(kTags, groups * 1'000); }

// Runs the bridge on a project of `groups` groups sharing the Bulk items, then measures it
// with each of `clientCounts` clients.
void MeasureProject(std::size_t groups, const std::vector<int>& clientCounts) {
  const std::size_t tags = TagsOf(groups);
  std::printf("%zu group(s) of %zu items:\n", groups, tags / groups);
  const SocketRuntime sockets;  // the clients' and the port probe's (the bridge holds its own)
  const int port = FreeLoopbackPort();
  const std::string directory =
      (std::filesystem::temp_directory_path() / ("engine_push_load_" + std::to_string(getpid())))
          .string();
  WriteProgramDirectory(directory, port, tags, groups);
  const std::int64_t residentBefore = ResidentBytes();
  {
    BridgeRuntime runtime(directory,
                          {.makeEngine = MakeOpcConnection, .frontEnds = {MakeApiFrontEnd}});
    while (!runtime.Connections()[0]->IsConnected()) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(3s);  // registration done, values flowing
    const std::int64_t whole = ResidentBytes() - residentBefore;
    const ServerShareProbe serverShare(tags, tags / groups);
    const double bridgeBytes = BytesPerTag(whole - serverShare.Bytes(), tags);
    std::printf(
        "  resident memory per tag: %.0f bytes in all, the server's items %.0f, the bridge %.0f "
        "(%.2f x target)\n",
        BytesPerTag(whole, tags), BytesPerTag(serverShare.Bytes(), tags), bridgeBytes,
        bridgeBytes / kTargetBytesPerTag);
    for (const int clients : clientCounts) Measure(port, clients, static_cast<double>(tags) * 10);
    runtime.Stop();
  }
  std::filesystem::remove_all(directory);
}

// Sets up the simulated server of `groups` groups' items in this process.
void SimulateServer(std::size_t groups) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  RegisterOpcCoreClasses();
  opcsim::RegisterSimulatedServers();
  opcsim::SimulationSettings settings;
  settings.bulkItemCount = TagsOf(groups);
  // The items take a new value every 50 ms, so that every 100 ms update of a group finds them
  // changed. With both at 100 ms, an update that falls just before the items' step and the next
  // one just after it alternate with updates that find nothing new: by the phase of the groups'
  // ticks, some runs were offered up to an eighth less.
  settings.bulkPeriod = 50ms;
  opcsim::ResetSimulatedDevice(opcsim::CLSID_OPCSimTree, settings);
}

// Each project is measured in a process of its own, so that neither inherits the other's
// memory: this program, started again with the project's argument. False when that process
// could not be run or failed.
bool MeasureProjectInProcessOfItsOwn(std::size_t groups) {
  std::fflush(stdout);
  const std::optional<std::string> directory = ProgramDirectory();
  const std::optional<int> exitCode =
      directory
          ? RunProgram((std::filesystem::path(*directory) / ExecutableFileName("engine_push_load"))
                           .string(),
                       {std::to_string(groups)})
          : std::nullopt;
  if (exitCode == 0) return true;
  const std::string outcome =
      exitCode ? "ended with " + std::to_string(*exitCode) : "could not be started";
  std::fprintf(stderr, "engine_push_load: the run of %zu group(s) %s\n", groups, outcome.c_str());
  return false;
}

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  if (argc < 2) {
    const bool plant = MeasureProjectInProcessOfItsOwn(100);
    const bool burst = MeasureProjectInProcessOfItsOwn(1);
    return plant && burst ? 0 : 1;
  }
  const std::size_t groups = std::strtoul(argv[1], nullptr, 10);
  if (groups == 0 || groups > 1'000) {
    std::fprintf(stderr, "usage: engine_push_load [groups (1..1000) [clients (1..9)]]\n");
    return 2;
  }
  const int clients = argc > 2 ? std::atoi(argv[2]) : 0;
  SimulateServer(groups);
  MeasureProject(groups,
                 clients >= 1 && clients <= 9 ? std::vector<int>{clients} : std::vector<int>{1, 9});
  CoUninitialize();
  return 0;
}
