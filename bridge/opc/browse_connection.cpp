#include "bridge/opc/browse_connection.h"

#include <string>
#include <thread>

#include "opcclient/ignoring_data_sink.h"
#include "opcclient/opc_error_text.h"
#include "platform/com/guid_text.h"
#include "platform/opcda/opc_proxy_registration.h"

namespace tavrel {

namespace {

constexpr WCHAR kBrowseGroupName[] = OLESTR("Tomelund");
constexpr DWORD kBrowseGroupRate = 1000;
constexpr OPCHANDLE kBrowseGroupClientHandle = 1986;

class BrowseShutdownSink final : public ComObject<IOPCShutdown> {
 public:
  STDMETHODIMP ShutdownRequest(LPCWSTR /*reason*/) override { return S_OK; }
};

}  // namespace

void SleepBrowseTeardownPause() { std::this_thread::sleep_for(kBrowseTeardownPause); }

BrowseConnection::BrowseConnection(DiscoveryPause settle) : settle_(std::move(settle)) {}

std::unique_ptr<BrowseConnection> BrowseConnection::Open(std::string_view clsidText, BridgeLog& log,
                                                         DiscoveryPause settle) {
  // The registry form only: Windows' CLSIDFromString also reads a registered ProgID, which a
  // peer's text must not open.
  CLSID clsid;
  if (!ParseGuid(clsidText, &clsid)) return nullptr;

  std::unique_ptr<BrowseConnection> connection(new BrowseConnection(std::move(settle)));
  // The interfaces of a server in another process travel through our proxy/stub.
  if (const HRESULT registered = RegisterOpcProxies(); FAILED(registered)) {
    log.LogMessage(FormatOpcError("RegisterOpcProxies", registered, nullptr), 0);
  }
  ComPtr<IUnknown> object;
  const HRESULT created = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                                           object.ReleaseAndGetVoidAddressOf());
  if (FAILED(created) || !object) {
    log.LogMessage(
        FormatOpcError("CoCreateInstance:Error connecting to OPC server " + std::string(clsidText),
                       created, nullptr),
        0);
    return nullptr;
  }
  if (const HRESULT queried = object.As(&connection->server_); FAILED(queried)) {
    log.LogMessage(FormatOpcError("Register: ", queried, nullptr), 0);
    return nullptr;
  }
  IOPCServer* server = connection->server_.Get();
  connection->shutdownSink_ = MakeComObject<BrowseShutdownSink>();
  AtlAdvise(server, connection->shutdownSink_.Get(), IID_IOPCShutdown,
            &connection->shutdownCookie_);

  FLOAT deadband = 0.0f;
  DWORD revisedRate = 0;
  ComPtr<IUnknown> group;
  const HRESULT added = server->AddGroup(
      kBrowseGroupName, TRUE, kBrowseGroupRate, kBrowseGroupClientHandle, nullptr, &deadband, 0,
      &connection->groupHandle_, &revisedRate, IID_IOPCGroupStateMgt, group.GetAddressOf());
  if (FAILED(added) || !group) {
    log.LogMessage(FormatOpcError("AddGroup node: ", added, server), 0);
    return nullptr;
  }
  connection->group_.Attach(static_cast<IOPCGroupStateMgt*>(group.Detach()));
  connection->group_.As(&connection->items_);
  connection->dataSink_ = MakeComObject<IgnoringDataSink>();
  AtlAdvise(connection->group_.Get(), connection->dataSink_.Get(), IID_IOPCDataCallback,
            &connection->dataCookie_);
  return connection;
}

BrowseConnection::~BrowseConnection() {
  if (shutdownCookie_ != 0) AtlUnadvise(server_.Get(), IID_IOPCShutdown, shutdownCookie_);
  if (dataCookie_ != 0) AtlUnadvise(group_.Get(), IID_IOPCDataCallback, dataCookie_);
  if (server_ && group_) server_->RemoveGroup(groupHandle_, TRUE);
  items_.Reset();
  group_.Reset();
  const bool reached = static_cast<bool>(server_);
  server_.Reset();
  if (reached && settle_) settle_();
  shutdownSink_.Reset();
  dataSink_.Reset();
  if (reached && settle_) settle_();
}

}  // namespace tavrel
