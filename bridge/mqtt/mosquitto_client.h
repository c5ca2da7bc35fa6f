// MosquittoClient: one MQTT connection attempt through libmosquitto, driven by the thread that
// owns it (no library thread).
//
// The owner polls Socket() for reading, and for writing while WantWrite(), and calls Read(),
// Write() and Misc() (keep-alive) as the socket and the clock say; the handler's call-backs
// run inside those calls, on the owner's thread. Publish() hands the library a message that it
// writes at once when the socket takes it and keeps in its queue otherwise, so WantWrite()
// tells the owner that the broker is behind. A client lives for one connection: after a loss
// the owner makes a new one, so nothing queued for the old connection is sent on the new.
#pragma once

#include <mosquitto.h>

#include <string>
#include <string_view>
#include <unordered_set>

#include "bridge/mqtt/mqtt_settings.h"

namespace tavrel {

class MosquittoClient {
 public:
  class Handler {
   public:
    virtual ~Handler() = default;
    // The broker's answer to the connect: 0 accepted, else the refusal's code.
    virtual void Connected(int code) = 0;
    // `retained`: the broker kept the message and hands it to every new subscription.
    virtual void MessageArrived(std::string_view topic, std::string_view payload,
                                bool retained) = 0;
  };

  struct Will {
    std::string topic;
    std::string payload;
    int qos = 1;
    bool retain = false;
  };

  MosquittoClient(const MqttSettings& settings, Handler& handler);
  ~MosquittoClient();
  MosquittoClient(const MosquittoClient&) = delete;
  MosquittoClient& operator=(const MosquittoClient&) = delete;

  // Starts connecting with `will` (TLS as the settings say); MOSQ_ERR_SUCCESS or the error.
  int Connect(const Will& will);
  int Socket() const { return mosquitto_socket(client_); }
  bool WantWrite() const { return mosquitto_want_write(client_); }
  // Each returns MOSQ_ERR_SUCCESS, or the error that ended the connection.
  int Read() { return mosquitto_loop_read(client_, 1); }
  int Write() { return mosquitto_loop_write(client_, 1); }
  int Misc() { return mosquitto_loop_misc(client_); }

  int Publish(const std::string& topic, std::string_view payload, int qos, bool retain);
  // Messages of QoS 1 and 2 published and not yet acknowledged by the broker (the library
  // keeps each until then).
  std::size_t Unacknowledged() const { return unacknowledged_.size(); }
  int Subscribe(const std::string& pattern, int qos);
  // Queues DISCONNECT, after which the broker drops the will; the owner then writes the queue
  // out while WantWrite().
  void Disconnect() { mosquitto_disconnect(client_); }

  // The text of a library error code, with the library's last error report of this client
  // (what TLS found wrong, for one); the text of a connect refusal code.
  std::string ErrorText(int error) const;
  static std::string RefusalText(int code);

 private:
  const MqttSettings& settings_;
  Handler& handler_;
  mosquitto* client_;
  std::string lastReport_;
  std::unordered_set<int> unacknowledged_;  // message ids
};

}  // namespace tavrel
