// ServerLink: the maker's live connection to a project server, used by the online functions
// (browsing, attribute look-ups, scanning). It follows the bridge's connection sequence:
//
//  1. The CLSID text is read; a text that is no CLSID ends the attempt without a word.
//  2. A node that is empty, "127.0.0.1", "localhost" or this computer's name (case ignored) is
//     local: activation with CLSCTX_ALL. Any other node is reached with CLSCTX_REMOTE_SERVER,
//     presenting the identity c2 (user), c4 (domain), c3 (password) when c1 is non-zero, which
//     is then also set on the proxy (NTLM, impersonate).
//  3. Failures: "CoCreateInstanceEx: Error", "MultiQI: ERROR", "CoCreateInstance: Error", or
//     without IOPCServer "You may not have registered the OPC Proxy dll!" and a line break;
//     caption: the application's title.
//  4. A shutdown sink is advised (a failure is ignored).
//  5. The internal group "Tomelund" is added: active, 1000 ms, client handle 1324, no time
//     bias, deadband 0, locale 0. Failure: "AddGroup: " with the system's text, the attempt
//     ends.
//  6. A data callback is advised on the group; a server without one gets the OPC DA 1.0
//     stream advises on the group's IDataObject (write completions, then data), or the message
//     "IDataObject not supported by this server" (caption "Hollvik Client"). These messages do
//     not end the attempt: the maker reads no data through the group.
//
// The sinks accept and ignore every call-back; the shutdown sink keeps the reason it is given.
// The destructor unadvises, removes the group, releases the server, waits 100 ms for the
// server's last call-backs and then releases the sinks.
#pragma once

#include <memory>
#include <string>

#include "desktop/message_boxes.h"
#include "platform/com/com_ptr.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

class ShutdownReasonSink;
struct ServerNode;

inline constexpr char kMakerTitle[] = "Keldrin";
inline constexpr OPCHANDLE kInternalGroupClientHandle = 1324;

class ServerLink {
 public:
  // Connects `server`; null after the failure's message (if it has one).
  static std::unique_ptr<ServerLink> Connect(const ServerNode& server, MessageBoxes& boxes);
  ~ServerLink();
  ServerLink(const ServerLink&) = delete;
  ServerLink& operator=(const ServerLink&) = delete;

  IOPCServer* Server() const { return server_.Get(); }
  // The internal group's item management (null when the group does not offer it).
  IOPCItemMgt* Items() const { return items_.Get(); }
  // True when the group took the data callback (OPC DA 2.0).
  bool HasDataCallback() const { return dataCookie_ != 0; }
  // The reason of the server's last shutdown request; empty when none came.
  std::string ShutdownReason() const;

 private:
  ServerLink() = default;
  void AdviseDataStreams(MessageBoxes& boxes);

  ComPtr<IOPCServer> server_;
  ComPtr<IOPCGroupStateMgt> group_;
  ComPtr<IOPCItemMgt> items_;
  ComPtr<IDataObject> dataObject_;
  OPCHANDLE groupHandle_ = 0;
  ComPtr<ShutdownReasonSink> shutdownSink_;
  ComPtr<IOPCDataCallback> dataSink_;
  ComPtr<IAdviseSink> streamSink_;
  DWORD shutdownCookie_ = 0;
  DWORD dataCookie_ = 0;
  DWORD writeStreamCookie_ = 0;
  DWORD dataStreamCookie_ = 0;
};

// Connects the server unless it is connected; true when it is afterwards.
bool ConnectServer(ServerNode& server, MessageBoxes& boxes);
bool IsServerConnected(const ServerNode& server);

}  // namespace tavrel
