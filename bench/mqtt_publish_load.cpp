// The bridge publishing to a local mosquitto broker, in one process with a simulated server
// whose Bulk items all change every 100 ms, and one subscriber in a process of its own.
//
//   JSON:      10,000 items (100,000 updates/s), one message per update at QoS 0, to one
//              subscriber; updates applied by the bridge, published, and received per second,
//              and, from the start until the load stops and the last message arrives, how many
//              published were not received. Updates applied but not published are those a tag
//              replaced while the broker was behind (the publisher keeps only the latest).
//              Target: at least 100,000 updates/s without loss.
//   Sparkplug: 100,000 items in 100 groups of 1,000 (1,000,000 metrics/s); metrics applied,
//              published in DDATA and received (the subscriber decodes every payload), and
//              DDATA messages per second against one per group per 100 ms tick. Target: at
//              least 1,000,000 metrics/s.
//   CPU:       the process's CPU time (bridge and simulated server; the subscriber and the
//              broker are other processes) per million updates applied, with MQTT off and on,
//              for the JSON load; the broker's own CPU is shown beside.
//   Ceiling:   what the broker itself routes to the same subscriber when the publisher costs
//              next to nothing: PUBLISH packets shaped like the bridge's JSON messages, encoded
//              once and written in large blocks by a plain socket. The JSON figure is shown as
//              a share of it: the broker handles each message on its own (a wake and several
//              reads and writes), so neither the bridge nor the subscriber can go past it.
//
// Each measurement runs in a child process of its own, so none inherits another's threads or
// memory; the subscriber is forked before the measuring process starts any thread.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

#include "bench/bulk_project.h"
#include "bridge/core/bridge_runtime.h"
#include "bridge/mqtt/mqtt_publisher.h"
#include "bridge/mqtt/mqtt_test_support.h"
#include "bridge/mqtt/sparkplug_b.pb.h"
#include "bridge/opc/opc_connection.h"
#include "platform/com/com.h"
#include "platform/com/com_api.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

constexpr auto kWarmUp = 4s;
constexpr auto kMeasure = 5s;
constexpr double kJsonTarget = 100'000;
constexpr double kSparkplugTarget = 1'000'000;

enum class Mode { kOff, kJson, kSparkplug };

struct Load {
  const char* name;
  Mode mode;
  std::size_t items;
  std::size_t groups;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of another process, from /proc.
double ProcessCpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t end = text.rfind(')');
  if (end == std::string::npos) return 0;
  std::istringstream fields(text.substr(end + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) utime = std::stoull(field);
    if (index == 15) {
      stime = std::stoull(field);
      break;
    }
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void WriteProgramDirectory(const std::string& directory, const Load& load, int brokerPort) {
  std::filesystem::create_directories(directory + "/log");
  std::string mqtt;
  if (load.mode != Mode::kOff) {
    mqtt = "<mqtt url=\"mqtt://127.0.0.1:" + std::to_string(brokerPort) + "\" format=\"" +
           (load.mode == Mode::kJson ? "json" : "sparkplugb") + "\" retain=\"0\"/>";
  }
  std::ofstream(directory + "/config.xml")
      << "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root port=\"0\">" << mqtt
      << "</root>\r\n";
  WriteBulkProject(directory + "/opc_db.xml", load.items, load.groups);
}

// Counts in the subscriber's process.
struct Received {
  std::uint64_t windowMessages = 0;  // JSON value messages, or Sparkplug DDATA
  std::uint64_t windowValues = 0;    // JSON value messages, or the metrics of Sparkplug DDATA
  std::uint64_t totalValues = 0;     // from the start until no more arrive
};

// The subscriber's process: counts what arrives; "s" and "w" from `commands` open and close
// the measuring window, "e" waits until nothing more arrives, writes the counts to `results`
// and ends.
[[noreturn]] void RunSubscriber(int port, Mode mode, int commands, int results) {
  std::atomic<std::uint64_t> messages{0};
  std::atomic<std::uint64_t> values{0};
  mqtt_test::TestSubscriber subscriber(
      port, mode == Mode::kJson ? "tavrel/#" : "spBv1.0/#", [&](const mosquitto_message& message) {
        const std::string_view topic = message.topic;
        if (mode == Mode::kJson) {
          if (topic != "tavrel/status") {
            messages.fetch_add(1, std::memory_order_relaxed);
            values.fetch_add(1, std::memory_order_relaxed);
          }
          return;
        }
        const bool data = topic.find("/DDATA/") != std::string_view::npos;
        if (!data && topic.find("/DBIRTH/") == std::string_view::npos) return;
        if (data) messages.fetch_add(1, std::memory_order_relaxed);
        tavrel::sparkplug::Payload payload;
        if (payload.ParseFromArray(message.payload, message.payloadlen)) {
          values.fetch_add(static_cast<std::uint64_t>(payload.metrics_size()),
                           std::memory_order_relaxed);
        }
      });
  // Subscribed: the bridge may start.
  [[maybe_unused]] const ssize_t ready = write(results, "r", 1);
  Received counted;
  std::uint64_t startMessages = 0;
  std::uint64_t startValues = 0;
  char command = 0;
  while (read(commands, &command, 1) == 1 && command != 'e') {
    if (command == 's') {
      startMessages = messages.load();
      startValues = values.load();
    } else if (command == 'w') {
      counted.windowMessages = messages.load() - startMessages;
      counted.windowValues = values.load() - startValues;
    }
  }
  for (std::uint64_t last = ~0ull; values.load() != last;) {
    last = values.load();
    std::this_thread::sleep_for(1s);
  }
  counted.totalValues = values.load();
  [[maybe_unused]] const ssize_t written = write(results, &counted, sizeof counted);
  _exit(0);
}

std::uint64_t AppliedUpdates(BridgeRuntime& runtime) {
  std::uint64_t total = 0;
  for (const ProjectTag* tag : runtime.Project().Tags())
    total += tag->liveValue.Snapshot().updateCount;
  return total;
}

struct Figures {
  double applied = 0;    // per second
  double published = 0;  // per second
  Received received;
  std::uint64_t publishedTotal = 0;  // values (metrics in births and data) until the load stopped
  double cpuPerMillion = 0;
  double brokerCpuPerMillion = 0;
};

// The measuring process: forks the subscriber, then runs the bridge under `load`.
Figures Measure(const Load& load, int brokerPort, pid_t brokerPid) {
  int commands[2];
  int results[2];
  if (pipe(commands) != 0 || pipe(results) != 0) return {};
  pid_t subscriberPid = 0;
  if (load.mode != Mode::kOff) {
    subscriberPid = fork();
    if (subscriberPid == 0) RunSubscriber(brokerPort, load.mode, commands[0], results[1]);
    char ready = 0;
    [[maybe_unused]] const ssize_t got = read(results[0], &ready, 1);
  }
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  RegisterOpcCoreClasses();
  opcsim::RegisterSimulatedServers();
  opcsim::SimulationSettings settings;
  settings.bulkItemCount = load.items;
  settings.bulkPeriod = 100ms;
  opcsim::ResetSimulatedDevice(opcsim::CLSID_OPCSimTree, settings);
  const std::string directory =
      (std::filesystem::temp_directory_path() / ("mqtt_publish_load_" + std::to_string(getpid())))
          .string();
  WriteProgramDirectory(directory, load, brokerPort);
  Figures figures;
  {
    MqttPublisher* publisher = nullptr;
    const auto makePublisher = [&publisher](const FrontEndContext& context) {
      std::unique_ptr<FrontEnd> made = MakeMqttFrontEnd(context);
      publisher = static_cast<MqttPublisher*>(made.get());
      return made;
    };
    BridgeRuntime runtime(directory,
                          {.makeEngine = MakeOpcConnection, .frontEnds = {makePublisher}});
    while (!runtime.Connections()[0]->IsConnected()) std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(kWarmUp);
    const auto published = [&] {
      return publisher ? static_cast<std::uint64_t>(publisher->Counters().values.Value()) : 0;
    };
    const std::uint64_t applied0 = AppliedUpdates(runtime);
    const std::uint64_t published0 = published();
    const double cpu0 = CpuSeconds();
    const double broker0 = ProcessCpuSeconds(brokerPid);
    const auto start = std::chrono::steady_clock::now();
    [[maybe_unused]] ssize_t sent = write(commands[1], "s", 1);
    std::this_thread::sleep_for(kMeasure);
    const std::uint64_t applied = AppliedUpdates(runtime) - applied0;
    const std::uint64_t publishedCount = published() - published0;
    const double cpu = CpuSeconds() - cpu0;
    const double broker = ProcessCpuSeconds(brokerPid) - broker0;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sent = write(commands[1], "w", 1);
    // The load stops; what the publisher still holds goes out, and the subscriber counts
    // until nothing more arrives.
    runtime.Connections()[0]->Engine()->Stop();
    std::this_thread::sleep_for(1s);
    figures.publishedTotal = published();
    sent = write(commands[1], "e", 1);
    if (subscriberPid > 0) {
      [[maybe_unused]] const ssize_t got =
          read(results[0], &figures.received, sizeof figures.received);
      waitpid(subscriberPid, nullptr, 0);
    }
    figures.applied = static_cast<double>(applied) / seconds;
    figures.published = static_cast<double>(publishedCount) / seconds;
    figures.cpuPerMillion = cpu / (static_cast<double>(applied) / 1e6);
    figures.brokerCpuPerMillion = broker / (static_cast<double>(applied) / 1e6);
    runtime.Stop();
  }
  std::filesystem::remove_all(directory);
  CoUninitialize();
  return figures;
}

// An MQTT 3.1.1 packet of `type` (the first byte) and `body`.
std::string MqttPacket(char type, const std::string& body) {
  std::string packet(1, type);
  for (std::size_t length = body.size();;) {
    const char digit = static_cast<char>(length % 128);
    length /= 128;
    packet += length > 0 ? static_cast<char>(digit | 0x80) : digit;
    if (length == 0) break;
  }
  return packet + body;
}

// The two bytes of length that precede a string in an MQTT packet.
std::string StringLengthPrefix(std::string_view text) {
  return {static_cast<char>(text.size() >> 8), static_cast<char>(text.size() & 0xff)};
}

// A plain socket connected to the broker as an MQTT client; -1 when the broker refused.
int ConnectRawClient(int brokerPort) {
  const int client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(brokerPort));
  const std::string clientId = "ceiling";
  // protocol "MQTT" level 4, clean session, keep-alive 60 s
  const std::string hello =
      MqttPacket(0x10, StringLengthPrefix("MQTT") + "MQTT" + std::string("\x04\x02\x00\x3c", 4) +
                           StringLengthPrefix(clientId) + clientId);
  char connack[4] = {};
  if (connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      write(client, hello.data(), hello.size()) != static_cast<ssize_t>(hello.size()) ||
      read(client, connack, sizeof connack) != sizeof connack || connack[3] != 0) {
    close(client);
    return -1;
  }
  return client;
}

// The broker's ceiling: the subscriber of the JSON load, and a publisher that writes ready
// PUBLISH packets like the bridge's, at QoS 0, as fast as the broker takes them.
Figures MeasureBrokerCeiling(int brokerPort, pid_t brokerPid) {
  int commands[2];
  int results[2];
  if (pipe(commands) != 0 || pipe(results) != 0) return {};
  const pid_t subscriberPid = fork();
  if (subscriberPid == 0) RunSubscriber(brokerPort, Mode::kJson, commands[0], results[1]);
  char ready = 0;
  [[maybe_unused]] ssize_t io = read(results[0], &ready, 1);
  const int publisher = ConnectRawClient(brokerPort);
  if (publisher < 0) return {};
  const std::string topic = "tavrel/Bulk/Bulk0/" + BulkItemId(1, 10'000);
  const std::string payload = R"({"v":12345.678,"q":"good","t":"2026-12-08T07:47:18.945Z","h":1})";
  std::string block;
  constexpr std::uint64_t kPacketsPerBlock = 2'000;
  for (std::uint64_t i = 0; i < kPacketsPerBlock; ++i) {
    block += MqttPacket(0x30, StringLengthPrefix(topic) + topic + payload);
  }
  std::atomic<std::uint64_t> sent{0};
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    while (!stop.load()) {
      if (send(publisher, block.data(), block.size(), MSG_NOSIGNAL) !=
          static_cast<ssize_t>(block.size())) {
        break;
      }
      sent.fetch_add(kPacketsPerBlock);
    }
  });
  std::this_thread::sleep_for(1s);
  const std::uint64_t sent0 = sent.load();
  const double broker0 = ProcessCpuSeconds(brokerPid);
  const auto start = std::chrono::steady_clock::now();
  io = write(commands[1], "s", 1);
  std::this_thread::sleep_for(kMeasure);
  io = write(commands[1], "w", 1);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Figures figures;
  figures.applied = static_cast<double>(sent.load() - sent0) / seconds;
  figures.published = figures.applied;
  figures.brokerCpuPerMillion =
      (ProcessCpuSeconds(brokerPid) - broker0) / (figures.applied * seconds / 1e6);
  stop = true;
  writer.join();
  close(publisher);
  figures.publishedTotal = sent.load();
  io = write(commands[1], "e", 1);
  io = read(results[0], &figures.received, sizeof figures.received);
  waitpid(subscriberPid, nullptr, 0);
  return figures;
}

// Runs `measure` in a child process and returns its figures.
template <typename Measuring>
Figures InChild(const Measuring& measure) {
  std::fflush(stdout);
  int channel[2];
  if (pipe(channel) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    const Figures figures = measure();
    [[maybe_unused]] const ssize_t written = write(channel[1], &figures, sizeof figures);
    _exit(0);
  }
  Figures figures;
  [[maybe_unused]] const ssize_t got = read(channel[0], &figures, sizeof figures);
  waitpid(child, nullptr, 0);
  return figures;
}

void Print(const Load& load, const Figures& f, double target) {
  const double seconds = std::chrono::duration<double>(kMeasure).count();
  std::printf("%s:\n", load.name);
  std::printf("  applied %.0f/s, published %.0f/s (%.2f x target), received %.0f/s\n", f.applied,
              f.published, f.published / target,
              static_cast<double>(f.received.windowValues) / seconds);
  const unsigned long long published = f.publishedTotal;
  const unsigned long long received = f.received.totalValues;
  std::printf("  in all %llu published, %llu received: %llu lost\n", published, received,
              published > received ? published - received : 0);
  if (load.mode == Mode::kSparkplug) {
    std::printf("  DDATA received %.0f/s (one per group per 100 ms tick: %.0f/s)\n",
                static_cast<double>(f.received.windowMessages) / seconds,
                static_cast<double>(load.groups) * 10);
  }
  std::printf(
      "  CPU %.2f s per million updates applied (bridge and simulated server; %.2f s per "
      "million published); broker %.2f s\n",
      f.cpuPerMillion, f.cpuPerMillion * f.applied / std::max(f.published, 1.0),
      f.brokerCpuPerMillion);
}

void PrintCeiling(const Figures& ceiling, const Figures& json) {
  const double seconds = std::chrono::duration<double>(kMeasure).count();
  const double routed = static_cast<double>(ceiling.received.windowValues) / seconds;
  std::printf("Broker ceiling, ready packets from a plain socket, QoS 0, the same subscriber:\n");
  std::printf("  written %.0f/s, received %.0f/s; broker %.2f s CPU per million written\n",
              ceiling.published, routed, ceiling.brokerCpuPerMillion);
  std::printf("  the bridge's JSON received: %.2f x the ceiling; the JSON target: %.2f x it\n",
              static_cast<double>(json.received.windowValues) / seconds / std::max(routed, 1.0),
              kJsonTarget / std::max(routed, 1.0));
}

}  // namespace

}  // namespace tavrel

int main() {
  using namespace tavrel;
  std::signal(SIGPIPE, SIG_IGN);
  const TestDirectory directory;
  mqtt_test::TestBroker broker(directory.Path());
  const Load off{"JSON load with MQTT off", Mode::kOff, 10'000, 10};
  const Load sparkplugOff{"Sparkplug load with MQTT off", Mode::kOff, 100'000, 100};
  const Load json{"JSON, 10,000 items every 100 ms, QoS 0, one subscriber", Mode::kJson, 10'000,
                  10};
  const Load sparkplug{"Sparkplug B, 100,000 items in 100 groups every 100 ms", Mode::kSparkplug,
                       100'000, 100};
  const auto measured = [&](const Load& load) {
    return InChild([&] { return Measure(load, broker.Port(), broker.Pid()); });
  };
  for (const Load* load : {&off, &sparkplugOff}) {
    const Figures figures = measured(*load);
    std::printf("%s:\n  applied %.0f/s; CPU %.2f s per million updates applied\n", load->name,
                figures.applied, figures.cpuPerMillion);
  }
  const Figures jsonFigures = measured(json);
  Print(json, jsonFigures, kJsonTarget);
  PrintCeiling(InChild([&] { return MeasureBrokerCeiling(broker.Port(), broker.Pid()); }),
               jsonFigures);
  Print(sparkplug, measured(sparkplug), kSparkplugTarget);
  return 0;
}
