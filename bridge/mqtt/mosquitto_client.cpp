#include "bridge/mqtt/mosquitto_client.h"

#include <cerrno>
#include <cstring>

namespace tavrel {

namespace {

constexpr int kKeepAliveSeconds = 30;
// Where the system keeps its certificate authorities, for mqtts:// without `ca`.
constexpr char kSystemCaDirectory[] = "/etc/ssl/certs";

// The library's process-wide set-up, once, before the first client.
void InitialiseLibrary() {
  static const int initialised = mosquitto_lib_init();
  (void)initialised;
}

}  // namespace

MosquittoClient::MosquittoClient(const MqttSettings& settings, Handler& handler)
    : settings_(settings), handler_(handler) {
  InitialiseLibrary();
  client_ =
      mosquitto_new(settings.clientId.empty() ? nullptr : settings.clientId.c_str(), true, this);
  mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1);
  mosquitto_connect_callback_set(client_, [](mosquitto*, void* self, int code) {
    static_cast<MosquittoClient*>(self)->handler_.Connected(code);
  });
  mosquitto_message_callback_set(
      client_, [](mosquitto*, void* self, const mosquitto_message* message) {
        static_cast<MosquittoClient*>(self)->handler_.MessageArrived(
            message->topic,
            std::string_view(static_cast<const char*>(message->payload),
                             static_cast<std::size_t>(message->payloadlen)),
            message->retain);
      });
}

MosquittoClient::~MosquittoClient() { mosquitto_destroy(client_); }

int MosquittoClient::Connect(const Will& will) {
  if (!settings_.user.empty()) {
    mosquitto_username_pw_set(client_, settings_.user.c_str(),
                              settings_.password.empty() ? nullptr : settings_.password.c_str());
  }
  if (settings_.tls) {
    const int rc =
        settings_.ca.empty()
            ? mosquitto_tls_set(client_, nullptr, kSystemCaDirectory, nullptr, nullptr, nullptr)
            : mosquitto_tls_set(client_, settings_.ca.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS) return rc;
  }
  const int rc =
      mosquitto_will_set(client_, will.topic.c_str(), static_cast<int>(will.payload.size()),
                         will.payload.data(), will.qos, will.retain);
  if (rc != MOSQ_ERR_SUCCESS) return rc;
  return mosquitto_connect_async(client_, settings_.host.c_str(), settings_.port,
                                 kKeepAliveSeconds);
}

int MosquittoClient::Publish(const std::string& topic, std::string_view payload, int qos,
                             bool retain) {
  return mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                           payload.data(), qos, retain);
}

int MosquittoClient::Subscribe(const std::string& pattern, int qos) {
  return mosquitto_subscribe(client_, nullptr, pattern.c_str(), qos);
}

std::string MosquittoClient::ErrorText(int error) const {
  std::string text = error == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(error);
  if (!lastReport_.empty()) text += " (" + lastReport_ + ")";
  return text;
}

std::string MosquittoClient::RefusalText(int code) { return mosquitto_connack_string(code); }

}  // namespace tavrel
