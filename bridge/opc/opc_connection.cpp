// The worker of a connection: its loop, the status watch, restart, teardown, the status tag.
#include "bridge/opc/opc_connection.h"

#include <ctime>
#include <system_error>

#include "bridge/opc/engine_text.h"
#include "bridge/opc/opc_error_text.h"
#include "bridge/opc/task_memory_ptr.h"

namespace {

constexpr int kStartChecks = 100;
constexpr std::chrono::milliseconds kStartCheckPeriod{10};

std::int64_t TimeNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace

OpcConnection::OpcConnection(const ConnectionEngineContext& context, EngineTiming timing)
    : connection_(context.connection),
      server_(context.connection.Server()),
      project_(context.project),
      log_(context.log),
      exitFlag_(context.exitFlag),
      timing_(std::move(timing)),
      items_(std::make_shared<ItemTable>()),
      dataCallback_(MakeComObject<OPCCallback>(items_, project_)),
      shutdownSink_(MakeComObject<OPCShutdown>()),
      groups_(server_.groups.size()),
      statusTimer_(timing_.statusRefreshMs) {
  std::size_t tagCount = 0;
  for (const auto& group : server_.groups) {
    if (tagCount == 0 && !group->tags.empty()) firstTagHandle_ = group->tags.front()->handle;
    tagCount += group->tags.size();
  }
  tags_.resize(tagCount);
}

OpcConnection::TagSession* OpcConnection::FindSession(const ProjectTag& tag) {
  const auto index = static_cast<std::size_t>(tag.handle - firstTagHandle_);
  return tag.handle >= firstTagHandle_ && index < tags_.size() && &tag.group.server == &server_
             ? &tags_[index]
             : nullptr;
}

OpcConnection::TagSession& OpcConnection::SessionOf(const ProjectTag& tag) {
  return tags_[static_cast<std::size_t>(tag.handle - firstTagHandle_)];
}

OpcConnection::~OpcConnection() { Stop(); }

void OpcConnection::Log(const std::string& text) const { log_.LogMessage(text, 0); }

bool OpcConnection::Pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(stopMutex_);
  return !stopSignal_.wait_for(lock, duration, [this] { return stopRequested_; });
}

std::string OpcConnection::FormatOpcError(std::string_view text, HRESULT hr) const {
  ComPtr<IOPCServer> server;
  {
    std::lock_guard lock(stateMutex_);
    server = opcServer_;
  }
  return ::FormatOpcError(text, hr, server.Get());
}

void OpcConnection::LogOpcError(std::string_view text, HRESULT hr) const {
  Log(FormatOpcError(text, hr));
}

int OpcConnection::Start() {
  if (exitFlag_.IsSet()) return 0;
  try {
    worker_ = std::thread([this] { WorkerLoop(); });
  } catch (const std::system_error&) {
    Log("Create work thread failed!");
    return -1;
  }
  for (int check = 0; check < kStartChecks && !loopRunning_.load(); ++check) {
    std::this_thread::sleep_for(kStartCheckPeriod);
  }
  return 0;
}

void OpcConnection::Stop() {
  {
    std::lock_guard lock(stopMutex_);
    stopRequested_ = true;
  }
  stopSignal_.notify_all();
  // The connection is not torn down at exit; servers that still call back find nothing from
  // now on, so the value push may go away after this.
  items_->Close();
  if (!worker_.joinable()) return;
  // Wakes the loop at once; it ends because the exit flag is set (or here, at WM_QUIT).
  while (threadId_.load() == 0 && !loopRunning_.load()) std::this_thread::yield();
  PostThreadMessage(threadId_.load(), WM_QUIT, 0, 0);
  worker_.join();
}

// The thread procedure: the connect timer, then messages until the exit flag is set.
void OpcConnection::WorkerLoop() {
  threadId_ = GetCurrentThreadId();
  shutdownSink_->SetWorker(threadId_.load());
  connectTimerId_ = SetTimer(nullptr, 0, static_cast<UINT>(timing_.connectTick.count()), nullptr);
  loopRunning_ = true;
  MSG message;
  while (GetMessage(&message, nullptr, 0, 0) && !exitFlag_.IsSet()) {
    if (statusTimer_.Restart(false)) RefreshStatusTag(true);
    if (message.hwnd != nullptr) continue;
    if (message.message == WM_TIMER && message.wParam == connectTimerId_) {
      ConnectOrWatch();
      RefreshStatusTag(false);
    } else if (message.message == WM_TIMER && pollTimerId_ != 0 && message.wParam == pollTimerId_) {
      PollGroups();
    } else if (message.message == WM_OPC_RESTART) {
      Restart();
    } else {
      TranslateMessage(&message);
      DispatchMessage(&message);
    }
  }
  KillTimer(nullptr, connectTimerId_);
  if (pollTimerId_ != 0) KillTimer(nullptr, pollTimerId_);
  loopRunning_ = false;
}

// The status tag: 1 while the server is held, else 0, stamped now. `push`: hand it to the API
// as a changed value; otherwise only a change of the value is applied, without a push.
void OpcConnection::RefreshStatusTag(bool push) {
  StatusTag& status = connection_.GetStatusTag();
  const int value = held_.load() ? 1 : 0;
  if (!push && status.liveValue.Snapshot().integerValue == value) return;
  status.liveValue.ApplyTextValue(value != 0 ? "1" : "0", "192", SystemWallTime(),
                                  push ? project_.PushSink() : nullptr);
}

void OpcConnection::ConnectOrWatch() {
  if (opcServer_) {
    WatchStatus();
  } else if (!entryConnected_.load()) {
    Connect();
  }
}

// The status watch: a status query when more than a minute has passed since the last one; a
// failed query or a state other than running drops the connection.
void OpcConnection::WatchStatus() {
  const std::int64_t now = timing_.now ? timing_.now() : TimeNow();
  if (lastStatusPoll_ > now) lastStatusPoll_ = now;
  if (now - lastStatusPoll_ <= timing_.statusWatchSeconds) return;
  lastStatusPoll_ = now;

  OPCSERVERSTATUS* rawStatus = nullptr;
  const HRESULT hr = opcServer_->GetStatus(&rawStatus);
  const TaskMemoryPtr<OPCSERVERSTATUS> status(rawStatus);
  if (status) CoTaskMemFree(status->szVendorInfo);
  if (SUCCEEDED(hr) && status && status->dwServerState == OPC_STATUS_RUNNING) return;
  if (SUCCEEDED(hr) && status) {
    Log(FormatText("Server Status = %d 准备断开...", static_cast<int>(status->dwServerState)));
  }
  Disconnect();
  entryConnected_ = false;
  if (pollTimerId_ != 0) KillTimer(nullptr, pollTimerId_);
  pollTimerId_ = 0;
  Pause(timing_.statusPause);
}

// WM_OPC_RESTART: the server asked its clients to let go.
void OpcConnection::Restart() {
  KillTimer(nullptr, connectTimerId_);
  if (pollTimerId_ != 0) KillTimer(nullptr, pollTimerId_);
  pollTimerId_ = 0;
  Disconnect();
  entryConnected_ = false;
  Pause(timing_.restartPause);
  connectTimerId_ = SetTimer(nullptr, 0, static_cast<UINT>(timing_.connectTick.count()), nullptr);
}

// A group lost its interface (the hidden window's WM_OPC_DROP, called directly).
void OpcConnection::DropConnection() {
  if (pollTimerId_ != 0) KillTimer(nullptr, pollTimerId_);
  pollTimerId_ = 0;
  Disconnect();
  entryConnected_ = false;
}

// Tears down all OPC state: the shutdown advice, the call-back advice of every group, the
// items and groups, the server; then the item records. Only acts while the server is held.
void OpcConnection::Disconnect() {
  if (!opcServer_) return;
  if (shutdownCookie_ != 0) AtlUnadvise(opcServer_.Get(), IID_IOPCShutdown, shutdownCookie_);
  shutdownCookie_ = 0;

  for (std::size_t index = 0; index < groups_.size(); ++index) {
    const GroupSession& session = groups_[index];
    if (groupsAdded_.load() && session.stateMgt) {
      AtlUnadvise(session.stateMgt.Get(), IID_IOPCDataCallback, session.cookie);
      Log(FormatText("AtlUnadvise: Server：%s ,组名%s ok", server_.name.c_str(),
                     server_.groups[index]->name.c_str()));
    }
  }
  std::vector<OPCHANDLE> serverHandles;  // of the registered items, in registration order
  for (const TagSession& session : tags_) {
    if (session.clientHandle != 0) serverHandles.push_back(session.serverHandle);
  }
  for (std::size_t index = 0; index < groups_.size(); ++index) {
    GroupSession released;
    {
      std::lock_guard lock(stateMutex_);
      std::swap(released.stateMgt, groups_[index].stateMgt);
      std::swap(released.asyncIO2, groups_[index].asyncIO2);
      std::swap(released.syncIO, groups_[index].syncIO);
    }
    if (!released.stateMgt) continue;
    ComPtr<IOPCItemMgt> itemMgt;
    if (SUCCEEDED(released.stateMgt.As(&itemMgt)) && !serverHandles.empty()) {
      HRESULT* rawErrors = nullptr;
      itemMgt->RemoveItems(static_cast<DWORD>(serverHandles.size()), serverHandles.data(),
                           &rawErrors);
      CoTaskMemFree(rawErrors);
    }
    opcServer_->RemoveGroup(groups_[index].serverHandle, FALSE);
    Log(FormatText("RemoveGroup: Server：%s ,组名%s ok", server_.name.c_str(),
                   server_.groups[index]->name.c_str()));
  }
  itemProperties_ = nullptr;
  ComPtr<IOPCServer> released;
  {
    std::lock_guard lock(stateMutex_);
    std::swap(released, opcServer_);
  }
  released = nullptr;
  held_ = false;

  Pause(timing_.teardownSleep);
  items_->Clear();
  // The handles named items of the connection that ended; a write must not reach whatever
  // they name on the next one.
  std::lock_guard lock(stateMutex_);
  for (TagSession& session : tags_) {
    session.clientHandle = 0;
    session.serverHandle = 0;
  }
}

std::unique_ptr<ConnectionEngine> MakeOpcConnection(const ConnectionEngineContext& context) {
  return std::make_unique<OpcConnection>(context);
}
