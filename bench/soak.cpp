// A long run of the manager and the bridge as processes, under load and faults, to show that
// nothing grows, leaks or stalls over time.
//
//   soak [minutes=60] [tags=100000] [warm-up minutes=5]
//
// The manager runs from a temporary copy of the installation folder and starts the bridge on a
// project of `tags` Bulk items in groups of 1,000, all changing every 100 ms. The simulated
// server asks the bridge to shut down once a minute and hangs for 5 s half a minute later.
// Meanwhile:
// - eight API clients connect and leave at random (1-30 s each); half of them take the value
//   snapshot and read every push, checking each tag's update count for gaps;
// - one client takes the snapshot and then never reads (reconnecting every minute): the bridge
//   must drop it without stalling the others;
// - one client that takes no pushes sends a heartbeat every 100 ms and times the reply;
// - an HTTP client asks the manager for the project and the server list every second.
// (Both answers count: the server list file may not exist.)
// Every 10 s the bridge's resident memory, descriptors and threads are sampled, and its metrics
// give the push records it dropped (the pending-push cap); the end prints their growth after the
// warm-up, the bridge's restarts (a crash would show as one), the heartbeat times, and the push
// gaps with the sample windows in which gaps came without any drop.
//
// The single-instance locks are machine-wide and the manager stops any process named Tavrel:
// run it alone, or in process and network namespaces of its own, so that other runs of the
// programs (tests) and this one leave each other alone:
//   unshare -f -p -n --mount-proc sh -c 'ip link set lo up; build/bench/soak'
// (as root, or with -r as a user).
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/test_files.h"
#include "manager/loopback_http_client.h"
#include "platform/net/test_ports.h"
#include "platform/process/spawn.h"
#include "tools/api_connection.h"
#include "wire/push_record.h"

namespace tavrel {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kTagsPerGroup = 1000;
constexpr auto kSamplePeriod = 10s;

struct Options {
  int minutes = 60;
  std::size_t tags = 100'000;
  int warmUpMinutes = 5;
};

struct Ports {
  int api = 0;
  int http = 0;
  int metrics = 0;
};

void WriteProgramDirectory(const std::string& directory, const Options& options,
                           const Ports& ports) {
  fs::copy(TAVREL_PROGRAM_DIRECTORY, directory, fs::copy_options::recursive);
  std::ofstream(directory + "/config.xml")
      << "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root port=\"" << ports.api
      << "\" port_h=\"" << ports.http << "\" programe_name=\"soak\">\r\n<metrics port=\""
      << ports.metrics << "\"/>\r\n</root>\r\n";
  std::ofstream registry(directory + "/com_registry.conf");
  registry << "[class]\nprogid = Soak.Bulk.1\nclsid = {6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8AF0}\n"
           << "implementation = OPCSim.Tree.1\nbulk_items = " << options.tags
           << "\nbulk_period = 100\nfaults = ";
  for (int minute = 1; minute <= options.minutes; ++minute) {
    registry << (minute > 1 ? "; " : "") << "at " << minute * 60 << " shutdown soak; at "
             << minute * 60 + 30 << " hang for 5";
  }
  registry << "\n";
  std::ofstream project(directory + "/opc_db.xml");
  project << "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root>\r\n"
          << "<server name=\"Bulk\" desc=\"\" node=\"\" sid=\"Soak.Bulk.1\" "
             "clsid=\"{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8AF0}\" c1=\"0\">\r\n";
  for (std::size_t first = 0; first < options.tags; first += kTagsPerGroup) {
    project << "<group name=\"Bulk" << first / kTagsPerGroup
            << "\" desc=\"\" uptime=\"100\" timebis_minutes=\"0\" percent_deadband=\"0\" "
               "language_id=\"1033\" active_state=\"1\" datachange_type=\"1\" "
               "cycle_time=\"3600000\" additem=\"1\">\r\n";
    for (std::size_t i = first; i < std::min(first + kTagsPerGroup, options.tags); ++i) {
      char id[32];
      std::snprintf(id, sizeof id, "Bulk.Item%05zu", i);
      project << "<tag id=\"" << id << "\" vt=\"5\" dir=\"1\"/>\r\n";
    }
    project << "</group>\r\n";
  }
  project << "</server>\r\n</root>\r\n";
}

// The first child of `parent` named `name` (its /proc comm), or 0.
pid_t ChildNamed(pid_t parent, const std::string& name) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) continue;
    int ppid = 0;
    char state = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) != 2) continue;
    if (ppid == parent && line.substr(open + 1, close - open - 1) == name) {
      return static_cast<pid_t>(std::stol(entry.path().filename().string()));
    }
  }
  return 0;
}

struct Sample {
  double minute = 0;
  pid_t pid = 0;
  long residentKb = 0;
  std::size_t descriptors = 0;
  std::size_t threads = 0;
};

Sample SampleProcess(pid_t pid, double minute) {
  Sample sample{minute, pid};
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) sample.residentKb = std::stol(line.substr(6));
  }
  std::error_code error;
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    (void)fd;
    ++sample.descriptors;
  }
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    (void)task;
    ++sample.threads;
  }
  return sample;
}

// What the clients saw, added up over the run.
struct Tally {
  std::atomic<long> connections{0};
  std::atomic<long> readerConnections{0};
  std::atomic<long> pushRecords{0};
  std::atomic<long> pushGaps{0};         // a tag's update count skipped a value
  std::atomic<long> pushRegressions{0};  // a tag's update count went back or repeated
  std::atomic<long> stalledReconnects{0};
  std::atomic<long> heartbeats{0};
  std::atomic<long> heartbeatConnectionsClosed{0};
  std::atomic<long> httpOk{0};
  std::atomic<long> httpFailed{0};
  std::mutex mutex;  // guards heartbeatMs
  std::vector<double> heartbeatMs;
};

// The bridge's count of push records it discarded (the pending-push cap, a frame it could not
// build), scraped from its metrics; none when they cannot be read.
std::optional<long> PushesDropped(int metricsPort) {
  LoopbackHttpClient http(static_cast<std::uint16_t>(metricsPort));
  const std::optional<HttpReply> reply = http.Send("GET", "/metrics");
  if (!reply || reply->status != 200) return std::nullopt;
  constexpr std::string_view kName = "\ntavrel_api_pushes_dropped_total ";
  const std::size_t at = reply->body.find(kName);
  if (at == std::string::npos) return std::nullopt;
  return std::atol(reply->body.c_str() + at + kName.size());
}

class Soak {
 public:
  Soak(const Options& options, const Ports& ports) : options_(options), ports_(ports) {}

  void Run(pid_t manager) {
    const Clock::time_point start = Clock::now();
    end_ = start + std::chrono::minutes(options_.minutes);
    std::vector<std::jthread> threads;
    for (int i = 0; i < 8; ++i) threads.emplace_back([this, i] { RandomClient(i); });
    threads.emplace_back([this] { StalledClient(); });
    threads.emplace_back([this] { HeartbeatProbe(); });
    threads.emplace_back([this] { HttpClient(); });
    long gapsReported = 0;
    long droppedReported = 0;
    bool droppedBefore = false;
    for (Clock::time_point next = start; Clock::now() < end_; next += kSamplePeriod) {
      std::this_thread::sleep_until(next);
      const double minute = std::chrono::duration<double>(Clock::now() - start).count() / 60;
      const Sample managerSample = SampleProcess(manager, minute);
      managerSamples_.push_back(managerSample);
      const long gaps = tally_.pushGaps.load() - gapsReported;
      gapsReported += gaps;
      // A bridge started anew counts from 0 again.
      const long dropped = PushesDropped(ports_.metrics).value_or(droppedReported);
      const long newlyDropped = dropped >= droppedReported ? dropped - droppedReported : dropped;
      droppedReported = dropped;
      // A reader sees the gap of a drop when the next value of the tag reaches it, which may
      // fall into the next window.
      if (gaps > 0 && newlyDropped == 0 && !droppedBefore) ++unexplainedGapWindows_;
      droppedBefore = newlyDropped > 0;
      std::printf("%6.1f min  manager %6ld kB %3zu fds %2zu threads  push gaps %+8ld dropped %+8ld",
                  minute, managerSample.residentKb, managerSample.descriptors,
                  managerSample.threads, gaps, newlyDropped);
      if (const pid_t bridge = ChildNamed(manager, "Tavrel"); bridge != 0) {
        samples_.push_back(SampleProcess(bridge, minute));
        const Sample& s = samples_.back();
        std::printf("  bridge %d %8ld kB %4zu fds %3zu threads", s.pid, s.residentKb, s.descriptors,
                    s.threads);
      }
      std::printf("\n");
      std::fflush(stdout);
    }
    stop_ = true;
  }

  void Report() const {
    std::printf("\n");
    ReportGrowth("bridge", samples_);
    ReportGrowth("manager", managerSamples_);
    long restarts = 0;
    for (std::size_t i = 1; i < samples_.size(); ++i) {
      restarts += samples_[i].pid != samples_[i - 1].pid ? 1 : 0;
    }
    std::printf("bridge restarts (a crash shows as one): %ld\n", restarts);
    std::printf("client connections %ld, of them reading pushes %ld\n", tally_.connections.load(),
                tally_.readerConnections.load());
    std::printf("push records read %ld, gaps %ld, repeats or regressions %ld\n",
                tally_.pushRecords.load(), tally_.pushGaps.load(), tally_.pushRegressions.load());
    std::printf("sample windows with push gaps but no push dropped by the bridge: %ld\n",
                unexplainedGapWindows_);
    std::printf("stalled client reconnects %ld\n", tally_.stalledReconnects.load());
    std::vector<double> times = tally_.heartbeatMs;
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
      std::printf(
          "heartbeats answered %ld, p50 %.1f ms, p99 %.1f ms, max %.1f ms, over 100 ms %ld, "
          "over 1 s %ld; probe connections closed by the bridge %ld\n",
          tally_.heartbeats.load(), times[times.size() / 2], times[times.size() * 99 / 100],
          times.back(),
          static_cast<long>(times.end() - std::upper_bound(times.begin(), times.end(), 100.0)),
          static_cast<long>(times.end() - std::upper_bound(times.begin(), times.end(), 1000.0)),
          tally_.heartbeatConnectionsClosed.load());
    }
    std::printf("HTTP requests answered %ld, failed %ld\n", tally_.httpOk.load(),
                tally_.httpFailed.load());
  }

 private:
  // The growth of `samples` after the warm-up. Resident memory swings with the push buffers of
  // the moment (a burst takes megabytes and gives them back), so what shows a leak is its floor:
  // the lowest sample of the last third of the run against that of the first third.
  void ReportGrowth(const char* name, const std::vector<Sample>& samples) const {
    const auto warm = std::find_if(samples.begin(), samples.end(), [&](const Sample& s) {
      return s.minute >= options_.warmUpMinutes;
    });
    if (samples.end() - warm < 3) {
      std::printf("%s: fewer than three samples after the warm-up\n", name);
      return;
    }
    const auto third = (samples.end() - warm) / 3;
    const auto range = [](auto first, auto last, auto field) {
      long low = field(*first), high = low;
      for (auto s = first; s != last; ++s) {
        low = std::min(low, field(*s));
        high = std::max(high, field(*s));
      }
      return std::pair{low, high};
    };
    const auto resident = [](const Sample& s) { return s.residentKb; };
    const auto [rssLow, rssHigh] = range(warm, samples.end(), resident);
    const long firstFloor = range(warm, warm + third, resident).first;
    const long lastFloor = range(samples.end() - third, samples.end(), resident).first;
    const auto [fdLow, fdHigh] = range(
        warm, samples.end(), [](const Sample& s) { return static_cast<long>(s.descriptors); });
    const auto [thLow, thHigh] =
        range(warm, samples.end(), [](const Sample& s) { return static_cast<long>(s.threads); });
    const Sample& last = samples.back();
    std::printf("%s after the warm-up (%.1f to %.1f min):\n", name, warm->minute, last.minute);
    std::printf(
        "  resident floor   %ld kB (first third) -> %ld kB (last third), growth %+.2f %% "
        "(all samples %ld-%ld kB)\n",
        firstFloor, lastFloor,
        100.0 * static_cast<double>(lastFloor - firstFloor) / static_cast<double>(firstFloor),
        rssLow, rssHigh);
    std::printf("  descriptors      %zu -> %zu (range %ld-%ld)\n", warm->descriptors,
                last.descriptors, fdLow, fdHigh);
    std::printf("  threads          %zu -> %zu (range %ld-%ld)\n", warm->threads, last.threads,
                thLow, thHigh);
  }

  std::unique_ptr<ApiConnection> Connect() {
    std::string error;
    return ApiConnection::Connect("127.0.0.1", ports_.api, 1s, error);
  }

  // Reads pushes for `stay`, checking each tag's update count.
  void ReadPushes(ApiConnection& connection, Clock::duration stay) {
    std::vector<std::int64_t> lastCount(options_.tags + 64, -1);
    std::vector<PushRecord> records;
    Clock::time_point nextHeartbeat = Clock::now() + 5s;
    for (const Clock::time_point leave = Clock::now() + stay; Clock::now() < leave && !stop_;) {
      if (Clock::now() >= nextHeartbeat) {
        connection.SendRequest(RequestHeader(0, 6));
        nextHeartbeat += 5s;
      }
      ApiReply reply;
      const ApiReceive received = connection.Receive(reply, 100ms);
      if (received == ApiReceive::kClosed) return;
      if (received != ApiReceive::kFrame || reply.type != 4) continue;
      records.clear();
      if (!ReadPushRecords(reply.payload, records)) continue;
      tally_.pushRecords += static_cast<long>(records.size());
      for (const PushRecord& record : records) {
        if (record.handle < 0 || static_cast<std::size_t>(record.handle) >= lastCount.size()) {
          continue;
        }
        std::int64_t& last = lastCount[static_cast<std::size_t>(record.handle)];
        if (last >= 0 && record.updateCount > last + 1) ++tally_.pushGaps;
        if (last >= 0 && record.updateCount <= last) ++tally_.pushRegressions;
        last = record.updateCount;
      }
    }
  }

  void RandomClient(int seed) {
    std::mt19937 random(static_cast<unsigned>(seed) * 7919u + 1u);
    while (!stop_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 5000));
      auto connection = Connect();
      if (connection == nullptr) continue;
      ++tally_.connections;
      const auto stay = std::chrono::seconds(1 + random() % 30);
      if (random() % 2 == 0) {
        ++tally_.readerConnections;
        connection->SendRequest(RequestHeader(1, 1));
        ReadPushes(*connection, stay);
      } else {
        for (const auto leave = Clock::now() + stay; Clock::now() < leave && !stop_;) {
          connection->SendRequest(RequestHeader(0, 6));
          ApiReply reply;
          connection->Receive(reply, 1s);
          std::this_thread::sleep_for(1s);
        }
      }
    }
  }

  void StalledClient() {
    while (!stop_) {
      if (auto connection = Connect()) {
        ++tally_.stalledReconnects;
        connection->SendRequest(RequestHeader(1, 1));
        for (const auto leave = Clock::now() + 60s; Clock::now() < leave && !stop_;) {
          std::this_thread::sleep_for(100ms);
        }
      }
    }
  }

  // Times each heartbeat until its reply, however late; a connection that the bridge closes
  // (it is full when nine others are connected, or it dropped the probe) is counted apart.
  void HeartbeatProbe() {
    std::unique_ptr<ApiConnection> connection;
    while (!stop_) {
      std::this_thread::sleep_for(100ms);
      if (connection == nullptr && (connection = Connect()) == nullptr) continue;
      const Clock::time_point sent = Clock::now();
      connection->SendRequest(RequestHeader(0, 6));
      ApiReply reply;
      ApiReceive received = ApiReceive::kTimeout;
      while (received == ApiReceive::kTimeout && !stop_) {
        received = connection->Receive(reply, 1s);
      }
      if (received != ApiReceive::kFrame) {
        ++tally_.heartbeatConnectionsClosed;
        connection.reset();
        continue;
      }
      ++tally_.heartbeats;
      const std::lock_guard lock(tally_.mutex);
      tally_.heartbeatMs.push_back(
          std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
    }
  }

  void HttpClient() {
    while (!stop_) {
      std::this_thread::sleep_for(1s);
      LoopbackHttpClient http(static_cast<std::uint16_t>(ports_.http));
      for (const char* route : {"/get_opc_db", "/get_opc_list"}) {
        ++(http.Post(route) ? tally_.httpOk : tally_.httpFailed);
      }
    }
  }

  const Options options_;
  const Ports ports_;
  Clock::time_point end_;
  std::atomic<bool> stop_{false};
  std::vector<Sample> samples_;  // the bridge's
  std::vector<Sample> managerSamples_;
  long unexplainedGapWindows_ = 0;
  Tally tally_;
};

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  Options options;
  if (argc > 1) options.minutes = std::max(1, std::atoi(argv[1]));
  if (argc > 2) options.tags = std::max<std::size_t>(1, std::strtoul(argv[2], nullptr, 10));
  if (argc > 3) options.warmUpMinutes = std::max(0, std::atoi(argv[3]));

  TestDirectory directory;
  const std::string programDirectory = directory / "ProgramDirectory";
  const Ports ports{FreeLoopbackPort(), FreeLoopbackPort(), FreeLoopbackPort()};
  WriteProgramDirectory(programDirectory, options, ports);
  std::printf("soak: %d min, %zu tags changing every 100 ms, warm-up %d min, in %s\n",
              options.minutes, options.tags, options.warmUpMinutes, programDirectory.c_str());
  const pid_t manager = StartProgram(programDirectory + "/Morvane");
  if (manager == 0) {
    std::fprintf(stderr, "soak: cannot start %s/Morvane\n", programDirectory.c_str());
    return 1;
  }
  Soak soak(options, ports);
  soak.Run(manager);
  kill(manager, SIGTERM);
  int status = 0;
  waitpid(manager, &status, 0);
  soak.Report();
  std::printf("manager ended with %s %d\n", WIFEXITED(status) ? "code" : "signal",
              WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
  return 0;
}
