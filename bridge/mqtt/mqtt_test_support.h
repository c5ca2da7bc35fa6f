// A real mosquitto broker and a libmosquitto subscriber, for the MQTT tests and the benchmark.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/test_files.h"
#include "platform/net/test_ports.h"

namespace tavrel {

namespace mqtt_test {

using namespace std::chrono_literals;

inline constexpr char kBrokerProgram[] = "/usr/sbin/mosquitto";

// True when something accepts TCP connections on 127.0.0.1:`port`.
inline bool Accepts(int port) {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool accepted =
      connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(probe);
  return accepted;
}

// The files of a test certificate authority and of a broker certificate for 127.0.0.1 that it
// signed, and of another authority that signed nothing of ours.
struct TestCertificates {
  std::string ca;
  std::string otherCa;
  std::string brokerCertificate;
  std::string brokerKey;
};

// Makes them with openssl in `directory`; none when openssl fails.
inline std::optional<TestCertificates> MakeTestCertificates(const std::string& directory) {
  const std::string d = directory + "/";
  WriteTestFile(d + "san.ext", "subjectAltName=IP:127.0.0.1\n");
  const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
  const std::string commands =
      "cd " + directory + " && " + "openssl req -x509" + key +
      " -keyout ca.key -out ca.crt -days 2 -subj /CN=TestCA && " + "openssl req -x509" + key +
      " -keyout other.key -out other.crt -days 2 -subj /CN=Other && " + "openssl req" + key +
      " -keyout broker.key -out broker.csr -subj /CN=127.0.0.1 && " +
      "openssl x509 -req -in broker.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 " +
      "-extfile san.ext -out broker.crt";
  if (std::system((commands + " >/dev/null 2>&1").c_str()) != 0) return std::nullopt;
  return TestCertificates{d + "ca.crt", d + "other.crt", d + "broker.crt", d + "broker.key"};
}

// A mosquitto broker on free loopback ports, anonymous, without persistence (so a restart
// forgets retained messages); with certificates, a TLS listener too. Stopped at the end, and
// by the kernel when the test process dies.
class TestBroker {
 public:
  explicit TestBroker(const std::string& directory,
                      const std::optional<TestCertificates>& tls = std::nullopt,
                      const std::string& extraSettings = "")
      : configuration_(directory + "/mosquitto.conf"), port_(FreeLoopbackPort()) {
    std::string text = "per_listener_settings false\nallow_anonymous true\npersistence false\n" +
                       std::string("log_dest none\n") +
                       // as root it would change its user, which clears the death signal
                       // and loses the test's files
                       "user root\n" + extraSettings + "listener " + std::to_string(port_) +
                       " 127.0.0.1\n";
    if (tls) {
      tlsPort_ = FreeLoopbackPort();
      text += "listener " + std::to_string(tlsPort_) + " 127.0.0.1\ncafile " + tls->ca +
              "\ncertfile " + tls->brokerCertificate + "\nkeyfile " + tls->brokerKey + "\n";
    }
    WriteTestFile(configuration_, text);
    Start();
  }
  ~TestBroker() { Stop(); }
  TestBroker(const TestBroker&) = delete;
  TestBroker& operator=(const TestBroker&) = delete;

  int Port() const { return port_; }
  int TlsPort() const { return tlsPort_; }
  std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }
  pid_t Pid() const { return pid_; }

  // Starts the broker (again) on the same ports; true once it accepts connections.
  bool Start() {
    pid_ = fork();
    if (pid_ == 0) {
      // The broker ends with the test, even one that crashes.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      const int devNull = open("/dev/null", O_WRONLY);
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
      execl(kBrokerProgram, kBrokerProgram, "-c", configuration_.c_str(), nullptr);
      _exit(127);
    }
    for (int attempt = 0; attempt < 500; ++attempt) {
      if (Accepts(port_)) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

 private:
  const std::string configuration_;
  const int port_;
  int tlsPort_ = 0;
  pid_t pid_ = 0;
};

struct Message {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// A libmosquitto client on its own network thread, subscribed to `pattern`. It keeps every
// message it receives, or hands each to `handler` when one is given.
class TestSubscriber {
 public:
  using Handler = std::function<void(const mosquitto_message&)>;

  TestSubscriber(int port, std::string pattern, Handler handler = {})
      : pattern_(std::move(pattern)), handler_(std::move(handler)) {
    mosquitto_lib_init();
    client_ = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(client_, [](mosquitto* client, void* self, int code) {
      if (code == 0) {
        mosquitto_subscribe(client, nullptr, static_cast<TestSubscriber*>(self)->pattern_.c_str(),
                            1);
      }
    });
    mosquitto_subscribe_callback_set(client_, [](mosquitto*, void* self, int, int, const int*) {
      auto* subscriber = static_cast<TestSubscriber*>(self);
      std::lock_guard lock(subscriber->mutex_);
      subscriber->subscribed_ = true;
      subscriber->changed_.notify_all();
    });
    mosquitto_message_callback_set(client_,
                                   [](mosquitto*, void* self, const mosquitto_message* message) {
                                     static_cast<TestSubscriber*>(self)->Receive(*message);
                                   });
    mosquitto_connect(client_, "127.0.0.1", port, 30);
    mosquitto_loop_start(client_);
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, 5s, [this] { return subscribed_; });
  }
  ~TestSubscriber() {
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
  }
  TestSubscriber(const TestSubscriber&) = delete;
  TestSubscriber& operator=(const TestSubscriber&) = delete;

  std::vector<Message> Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  // Waits until `condition` holds for the messages kept, or `limit` has passed.
  bool WaitFor(const std::function<bool(const std::vector<Message>&)>& condition,
               std::chrono::milliseconds limit = 10s) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return condition(messages_); });
  }
  // Waits for a message on `topic` and returns the newest; none after `limit`.
  std::optional<Message> WaitForTopic(const std::string& topic,
                                      std::chrono::milliseconds limit = 10s) {
    std::optional<Message> found;
    WaitFor(
        [&](const std::vector<Message>& messages) {
          for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
            if (it->topic == topic) {
              found = *it;
              return true;
            }
          }
          return false;
        },
        limit);
    return found;
  }
  void Publish(const std::string& topic, const std::string& payload, int qos = 1,
               bool retain = false) {
    mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                      payload.data(), qos, retain);
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
  }

 private:
  void Receive(const mosquitto_message& message) {
    if (handler_) {
      handler_(message);
      return;
    }
    std::lock_guard lock(mutex_);
    messages_.push_back({message.topic,
                         std::string(static_cast<const char*>(message.payload),
                                     static_cast<std::size_t>(message.payloadlen)),
                         message.retain});
    changed_.notify_all();
  }

  const std::string pattern_;
  const Handler handler_;
  mosquitto* client_ = nullptr;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool subscribed_ = false;
  std::vector<Message> messages_;
};

}  // namespace mqtt_test

}  // namespace tavrel
