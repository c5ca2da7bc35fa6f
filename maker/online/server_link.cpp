#include "maker/online/server_link.h"

#include <thread>

#include "common/code_page.h"
#include "common/decimal_text.h"
#include "common/mutex.h"
#include "common/wide_string.h"
#include "maker/project/project_nodes.h"
#include "opcclient/ignoring_data_sink.h"
#include "opcclient/opc_error_text.h"
#include "opcclient/remote_identity.h"
#include "platform/com/com.h"

namespace tavrel {

constexpr WCHAR kInternalGroupName[] = OLESTR("Tomelund");
constexpr DWORD kInternalGroupRate = 1000;
constexpr std::chrono::milliseconds kTeardownPause{100};
constexpr char kStreamCaption[] = "Hollvik Client";

class ShutdownReasonSink final : public ComObject<IOPCShutdown> {
 public:
  STDMETHODIMP ShutdownRequest(LPCWSTR reason) override {
    const MutexLock lock(mutex_);
    reason_ = reason != nullptr ? WideToAnsi(WideStringView(reason)) : std::string();
    return S_OK;
  }
  std::string Reason() const {
    const MutexLock lock(mutex_);
    return reason_;
  }

 private:
  mutable Mutex mutex_;
  std::string reason_ GUARDED_BY(mutex_);
};

namespace {

class IgnoringStreamSink final : public ComObject<IAdviseSink> {
 public:
  STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {}
  STDMETHODIMP_(void) OnRename(IMoniker*) override {}
  STDMETHODIMP_(void) OnSave() override {}
  STDMETHODIMP_(void) OnClose() override {}
};

// The system's message for `hr` after `text`, on one line.
std::string OneLineError(std::string_view text, HRESULT hr) {
  std::string message = FormatOpcError(text, hr, nullptr);
  std::erase_if(message, [](char c) { return c == '\r' || c == '\n'; });
  return message;
}

ComPtr<IUnknown> ActivateRemotely(const CLSID& clsid, const ServerSettings& settings,
                                  MessageBoxes& boxes) {
  const bool withIdentity = ParseDecimal(settings.c1) != 0;
  WideString node = AnsiToWide(settings.node);
  ExplicitIdentity identity(IdentityFromText(settings.c2, settings.c4, settings.c3));
  COAUTHINFO authentication{
      RPC_C_AUTHN_WINNT,           RPC_C_AUTHZ_NONE, nullptr,  RPC_C_AUTHN_LEVEL_CONNECT,
      RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(),   EOAC_NONE};
  COSERVERINFO serverInfo{0, node.data(), withIdentity ? &authentication : nullptr, 0};
  MULTI_QI query{&IID_IUnknown, nullptr, S_OK};
  if (FAILED(CoCreateInstanceEx(clsid, nullptr, CLSCTX_REMOTE_SERVER, &serverInfo, 1, &query))) {
    boxes.Inform("CoCreateInstanceEx: Error", kMakerTitle);
    return nullptr;
  }
  ComPtr<IUnknown> object;
  object.Attach(query.pItf);
  if (FAILED(query.hr) || !object) {
    boxes.Inform("MultiQI: ERROR", kMakerTitle);
    return nullptr;
  }
  if (withIdentity) {
    CoSetProxyBlanket(object.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                      RPC_C_AUTHN_LEVEL_CONNECT, RPC_C_IMP_LEVEL_IMPERSONATE, identity.Get(),
                      EOAC_NONE);
  }
  return object;
}

ComPtr<IUnknown> ActivateLocally(const CLSID& clsid, MessageBoxes& boxes) {
  ComPtr<IUnknown> object;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                                      object.ReleaseAndGetVoidAddressOf());
  if (FAILED(hr) || !object) {
    boxes.Inform("CoCreateInstance: Error", kMakerTitle);
    return nullptr;
  }
  return object;
}

}  // namespace

std::unique_ptr<ServerLink> ServerLink::Connect(const ServerNode& server, MessageBoxes& boxes) {
  const ServerSettings& settings = server.settings;
  CLSID clsid;
  if (FAILED(CLSIDFromString(AnsiToWide(settings.clsid).c_str(), &clsid))) return nullptr;
  const ComPtr<IUnknown> object = IsRemoteNode(settings.node)
                                      ? ActivateRemotely(clsid, settings, boxes)
                                      : ActivateLocally(clsid, boxes);
  if (!object) return nullptr;

  std::unique_ptr<ServerLink> link(new ServerLink);
  if (FAILED(object.As(&link->server_)) || !link->server_) {
    boxes.Inform("You may not have registered the OPC Proxy dll!\n", kMakerTitle);
    return nullptr;
  }
  IOPCServer* opcServer = link->server_.Get();
  link->shutdownSink_ = MakeComObject<ShutdownReasonSink>();
  AtlAdvise(opcServer, link->shutdownSink_.Get(), IID_IOPCShutdown, &link->shutdownCookie_);

  FLOAT deadband = 0.0f;
  DWORD revisedRate = 0;
  ComPtr<IUnknown> group;
  const HRESULT added = opcServer->AddGroup(
      kInternalGroupName, TRUE, kInternalGroupRate, kInternalGroupClientHandle, nullptr, &deadband,
      0, &link->groupHandle_, &revisedRate, IID_IOPCGroupStateMgt, group.GetAddressOf());
  if (FAILED(added) || !group) {
    boxes.Inform(OneLineError("AddGroup: ", added), kMakerTitle);
    return nullptr;
  }
  link->group_.Attach(static_cast<IOPCGroupStateMgt*>(group.Detach()));
  link->group_.As(&link->items_);
  link->dataSink_ = MakeComObject<IgnoringDataSink>();
  if (FAILED(AtlAdvise(link->group_.Get(), link->dataSink_.Get(), IID_IOPCDataCallback,
                       &link->dataCookie_))) {
    link->dataCookie_ = 0;
    link->AdviseDataStreams(boxes);
  }
  return link;
}

void ServerLink::AdviseDataStreams(MessageBoxes& boxes) {
  if (FAILED(group_.As(&dataObject_)) || !dataObject_) {
    boxes.Inform("IDataObject not supported by this server\nNo data notifications will take place",
                 kStreamCaption);
    return;
  }
  streamSink_ = MakeComObject<IgnoringStreamSink>();
  const auto advise = [&](const char* formatName, DWORD& cookie) {
    FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatA(formatName)), nullptr,
                     DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return dataObject_->DAdvise(&format, 0, streamSink_.Get(), &cookie);
  };
  if (const HRESULT hr = advise("OPCSTMFORMATWRITECOMPLETE", writeStreamCookie_); FAILED(hr)) {
    writeStreamCookie_ = 0;
    boxes.Inform(OneLineError("IAdviseSink: ", hr), kMakerTitle);
    return;
  }
  if (const HRESULT hr = advise("OPCSTMFORMATDATA", dataStreamCookie_); FAILED(hr)) {
    dataStreamCookie_ = 0;
    boxes.Inform(OneLineError("IDataObject::DAdvise: ", hr), kMakerTitle);
  }
}

ServerLink::~ServerLink() {
  if (dataStreamCookie_ != 0) dataObject_->DUnadvise(dataStreamCookie_);
  if (writeStreamCookie_ != 0) dataObject_->DUnadvise(writeStreamCookie_);
  if (dataCookie_ != 0) AtlUnadvise(group_.Get(), IID_IOPCDataCallback, dataCookie_);
  if (shutdownCookie_ != 0) AtlUnadvise(server_.Get(), IID_IOPCShutdown, shutdownCookie_);
  if (server_ && group_) server_->RemoveGroup(groupHandle_, TRUE);
  dataObject_.Reset();
  items_.Reset();
  group_.Reset();
  server_.Reset();
  std::this_thread::sleep_for(kTeardownPause);
}

std::string ServerLink::ShutdownReason() const { return shutdownSink_->Reason(); }

bool ConnectServer(ServerNode& server, MessageBoxes& boxes) {
  if (!server.link) server.link = ServerLink::Connect(server, boxes);
  return server.link != nullptr;
}

bool IsServerConnected(const ServerNode& server) { return server.link != nullptr; }

}  // namespace tavrel
