// BrowseConnection: the private connection of one address-space traversal.
//
// Open activates the server of a CLSID text on this computer, advises a shutdown sink on it,
// adds the group "Tomelund" (active, update rate 1000 ms, client handle 1986, no time bias,
// dead band 0.0, locale 0) and advises a data callback on the group. The sinks ignore what
// they receive: the browse group's items have client handle 0 and no one reads them. A server
// without the shutdown or the data callback connection point (a DA 1.0 server) is browsed all
// the same.
//
// The connection is torn down by its destructor on every path, including after a failed open:
// unadvise both sinks, RemoveGroup(force TRUE), release the group and the server, `settle`,
// release the sinks, `settle` again (the pauses give a server's last call-backs time to end
// before the sinks go; they are made only when a server was reached).
#pragma once

#include <memory>
#include <string_view>

#include "bridge/opc/server_discovery.h"
#include "common/bridge_log.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

inline constexpr std::chrono::milliseconds kBrowseTeardownPause{100};
void SleepBrowseTeardownPause();

class BrowseConnection {
 public:
  // Opens a connection to the server of `clsid`; null when it cannot be opened. Failures after
  // the CLSID text was read are logged at level 0: "CoCreateInstance:Error connecting to OPC
  // server <clsid>", "Register: " or "AddGroup node: ", each with the error text.
  static std::unique_ptr<BrowseConnection> Open(std::string_view clsid, BridgeLog& log,
                                                DiscoveryPause settle);
  ~BrowseConnection();

  BrowseConnection(const BrowseConnection&) = delete;
  BrowseConnection& operator=(const BrowseConnection&) = delete;

  IOPCServer* Server() const { return server_.Get(); }
  // The browse group's item management; null when the group does not offer it.
  IOPCItemMgt* Items() const { return items_.Get(); }

 private:
  explicit BrowseConnection(DiscoveryPause settle);

  DiscoveryPause settle_;
  ComPtr<IOPCServer> server_;
  ComPtr<IOPCGroupStateMgt> group_;
  ComPtr<IOPCItemMgt> items_;
  OPCHANDLE groupHandle_ = 0;
  ComPtr<IOPCShutdown> shutdownSink_;
  ComPtr<IOPCDataCallback> dataSink_;
  DWORD shutdownCookie_ = 0;
  DWORD dataCookie_ = 0;
};

}  // namespace tavrel
