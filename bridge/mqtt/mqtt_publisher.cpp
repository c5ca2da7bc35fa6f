#include "bridge/mqtt/mqtt_publisher.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <algorithm>

#include "bridge/core/bridge_runtime.h"
#include "bridge/mqtt/json_format.h"
#include "bridge/mqtt/sparkplug_format.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kFirstPause = 1s;
constexpr std::chrono::seconds kLongestPause = 30s;
constexpr Clock::duration kConnectTimeout = 10s;
constexpr Clock::duration kGoodbyeTime = 2s;
// Keep-alive is checked at least this often.
constexpr std::chrono::milliseconds kServiceTick = 1000ms;
// Sparkplug takes the changes this often, so that a group's changes, which its server reports
// together, travel in one DDATA.
constexpr std::chrono::milliseconds kSparkplugGather = 20ms;
// QoS 1 and 2 messages the broker may owe acknowledgements for before values wait.
constexpr std::size_t kMaxUnacknowledged = 1000;
// Packets read at most per wake of the socket.
constexpr int kReadsPerWake = 16;
// A tag's `dir` when the project marks it read only.
constexpr int kReadOnlyDirection = 1;

std::unique_ptr<MqttFormatter> MakeFormat(const MqttSettings& settings, const PublishedTags& tags,
                                          const LatestValues& latest, std::string edgeNode,
                                          MqttCounters& counters) {
  if (settings.format == MqttFormat::kSparkplugB) {
    return std::make_unique<SparkplugFormat>(settings, tags, latest, std::move(edgeNode), counters);
  }
  return std::make_unique<JsonFormat>(settings, tags, latest, counters);
}

// Holds back partial TCP segments while it exists.
class SocketCork {
 public:
  explicit SocketCork(int socket) : socket_(socket) { Set(1); }
  ~SocketCork() { Set(0); }
  SocketCork(const SocketCork&) = delete;
  SocketCork& operator=(const SocketCork&) = delete;

 private:
  void Set(int on) const { setsockopt(socket_, IPPROTO_TCP, TCP_CORK, &on, sizeof on); }
  const int socket_;
};

std::string ThisComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? std::string(name, size) : std::string("localhost");
}

}  // namespace

MqttPublisher::MqttPublisher(MqttSettings settings, BridgeProject& project, BridgeLog& log,
                             MetricRegistry& metrics, std::string edgeNode)
    : settings_(std::move(settings)),
      project_(project),
      log_(log),
      tags_(project),
      counters_(metrics),
      latest_(tags_.LiveValues(), [this] { wake_.Signal(); }),
      format_(MakeFormat(settings_, tags_, latest_, std::move(edgeNode), counters_)),
      writes_(settings_.writes ? std::make_unique<MqttWrites>(project, [this] { wake_.Signal(); })
                               : nullptr) {}

MqttPublisher::~MqttPublisher() { Stop(); }

void MqttPublisher::Start() {
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
  pthread_setname_np(thread_.native_handle(), "MqttPublisher");
}

void MqttPublisher::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  wake_.Signal();
  thread_.join();
}

void MqttPublisher::Run(std::stop_token stop) {
  // A TLS write to a connection the broker closed raises SIGPIPE on this thread, which would end
  // the bridge; blocked, the write fails with EPIPE and the connection counts as lost.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
  std::chrono::seconds pause = kFirstPause;
  std::string trouble;  // why the last attempt failed, logged once per outage
  while (!stop.stop_requested()) {
    const std::string ended = RunConnection(stop);
    if (stop.stop_requested()) break;
    if (answer_ == Answer::kAccepted) {
      log_.LogMessage("MQTT: connection to " + settings_.url + " lost: " + ended, 0);
      pause = kFirstPause;
      trouble = ended;
    } else if (ended != trouble) {
      log_.LogMessage("MQTT: cannot connect to " + settings_.url + ": " + ended + "; trying again",
                      0);
      trouble = ended;
    }
    PauseBeforeRetry(pause, stop);
    pause = std::min(pause * 2, kLongestPause);
  }
}

std::string MqttPublisher::RunConnection(const std::stop_token& stop) {
  MosquittoClient client(settings_, *this);
  answer_ = Answer::kNone;
  starting_ = false;
  arrived_.clear();
  std::string ended;
  if (const int rc = client.Connect(format_->NextWill()); rc != MOSQ_ERR_SUCCESS) {
    ended = client.ErrorText(rc);
  } else {
    const Clock::time_point deadline = Clock::now() + kConnectTimeout;
    const std::chrono::milliseconds tick =
        settings_.format == MqttFormat::kSparkplugB ? kSparkplugGather : kServiceTick;
    Clock::time_point nextTake = Clock::now();
    while (!stop.stop_requested()) {
      if (!Service(client, answer_ == Answer::kAccepted ? tick : kSparkplugGather, ended)) break;
      if (answer_ == Answer::kRefused) {
        ended = MosquittoClient::RefusalText(refusal_);
        break;
      }
      if (answer_ == Answer::kNone && Clock::now() >= deadline) {
        ended = "no answer";
        break;
      }
      if (answer_ != Answer::kAccepted) continue;
      HandleArrivals(client);
      format_->PublishDue(client);
      if (Clock::now() >= nextTake) {
        PublishPending(client);
        if (settings_.format == MqttFormat::kSparkplugB) nextTake = Clock::now() + kSparkplugGather;
      }
    }
    if (stop.stop_requested() && answer_ == Answer::kAccepted) SayGoodbye(client);
  }
  connected_ = false;
  counters_.connected.Set(0);
  return ended;
}

bool MqttPublisher::Service(MosquittoClient& client, std::chrono::milliseconds timeout,
                            std::string& ended) {
  pollfd fds[2] = {{wake_.Descriptor(), POLLIN, 0}, {client.Socket(), POLLIN, 0}};
  if (client.WantWrite()) fds[1].events |= POLLOUT;
  const nfds_t count = fds[1].fd >= 0 ? 2 : 1;
  poll(fds, count, static_cast<int>(timeout.count()));
  if (fds[0].revents != 0) wake_.Drain();
  int rc = MOSQ_ERR_SUCCESS;
  if ((fds[1].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
    for (int read = 0; read < kReadsPerWake && rc == MOSQ_ERR_SUCCESS; ++read) rc = client.Read();
  }
  if (rc == MOSQ_ERR_SUCCESS && (fds[1].revents & POLLOUT) != 0) rc = client.Write();
  if (rc == MOSQ_ERR_SUCCESS) rc = client.Misc();
  if (rc == MOSQ_ERR_SUCCESS) return true;
  ended = client.ErrorText(rc);
  return false;
}

void MqttPublisher::PublishPending(MosquittoClient& client) {
  if (writes_) {
    for (const MqttWriteOutcome& outcome : writes_->TakeOutcomes()) {
      format_->PublishWriteOutcome(client, outcome);
    }
  }
  // While the broker is behind (the socket takes no more, or too many messages wait for its
  // acknowledgement), the values wait in latest_, one per tag.
  if (client.WantWrite() || client.Unacknowledged() >= kMaxUnacknowledged) return;
  latest_.TakeAll(batch_);
  if (batch_.empty()) return;
  // A message per value would be a TCP segment per value, and the broker's reading of each one
  // costs it more than the message. Corked, the batch leaves in full segments when it is done.
  const SocketCork cork(client.Socket());
  format_->PublishChanges(client, batch_);
}

void MqttPublisher::SayGoodbye(MosquittoClient& client) {
  format_->Stop(client);
  client.Disconnect();
  const Clock::time_point deadline = Clock::now() + kGoodbyeTime;
  std::string ended;
  while (client.WantWrite() && Clock::now() < deadline &&
         Service(client,
                 std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()),
                 ended)) {
  }
}

void MqttPublisher::PauseBeforeRetry(std::chrono::seconds pause, const std::stop_token& stop) {
  const Clock::time_point end = Clock::now() + pause;
  while (!stop.stop_requested() && Clock::now() < end) {
    pollfd wake{wake_.Descriptor(), POLLIN, 0};
    poll(&wake, 1,
         static_cast<int>(
             std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count()) +
             1);
    wake_.Drain();
  }
}

void MqttPublisher::HandleArrivals(MosquittoClient& client) {
  if (starting_) {
    starting_ = false;
    // The whole state goes out now, read from the latest values, which take in what waits.
    latest_.TakeAll(batch_);
    format_->Start(client);
  }
  for (const auto& [topic, payload] : arrived_) {
    format_->Receive(client, topic, payload, requests_);
    for (MqttWriteRequest& request : requests_) {
      const TagHandle handle = request.handle;
      if (project_.FindTag(handle)->dir == kReadOnlyDirection) {
        format_->PublishWriteOutcome(client, {handle, {1, kReadOnlyTagText}});
      } else if (!writes_ || !writes_->Queue(std::move(request))) {
        format_->PublishWriteOutcome(client, {handle, {1, kTooManyWritesText}});
      }
    }
    requests_.clear();
  }
  arrived_.clear();
}

void MqttPublisher::Connected(int code) {
  if (code != 0) {
    answer_ = Answer::kRefused;
    refusal_ = code;
    return;
  }
  answer_ = Answer::kAccepted;
  starting_ = true;
  connected_ = true;
  counters_.connected.Set(1);
  log_.LogMessage("MQTT: connected to " + settings_.url, 0);
}

void MqttPublisher::MessageArrived(std::string_view topic, std::string_view payload,
                                   bool retained) {
  // A retained command is an old one: the broker hands it out again at every subscription, so
  // acting on it would write its value again at each reconnection, over newer writes.
  if (retained) return;
  arrived_.emplace_back(topic, payload);
}

std::unique_ptr<FrontEnd> MakeMqttFrontEnd(const FrontEndContext& context) {
  MqttSettingsReading reading = MqttSettingsOf(context.config);
  BridgeRuntime& runtime = context.runtime;
  for (const std::string& note : reading.notes) runtime.Log().LogMessage(note, 0);
  if (!reading.settings) return nullptr;
  return std::make_unique<MqttPublisher>(std::move(*reading.settings), runtime.Project(),
                                         runtime.Log(), runtime.Metrics(), ThisComputerName());
}

}  // namespace tavrel
