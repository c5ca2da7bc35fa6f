#include "bridge/opc/opc_connection.h"

#include <algorithm>
#include <ctime>
#include <future>
#include <system_error>

#include "bridge/opc/engine_text.h"
#include "bridge/opc/group_registration.h"
#include "bridge/opc/server_activation.h"
#include "bridge/opc/server_failure_line.h"
#include "bridge/opc/tag_write.h"
#include "opcclient/opc_result_owners.h"
#include "platform/com/com_apartment.h"
#include "platform/com/connection_point.h"

namespace tavrel {

namespace {

// How long Start waits for the worker to run.
constexpr std::chrono::seconds kStartWait{1};

// The deadline after `deadline` of a periodic tick: one period on, or now when that has
// passed already (a tick missed while the worker was busy comes once, at once).
WorkerWakeup::Clock::time_point NextTick(WorkerWakeup::Clock::time_point deadline,
                                         std::chrono::milliseconds period) {
  return std::max(deadline + period, WorkerWakeup::Clock::now());
}

// The value of the server's state series (server_metrics.h).
double StateMetric(ConnectionState state) {
  switch (state) {
    case ConnectionState::kIdle:
      return 0;
    case ConnectionState::kHeld:
      return 1;
    case ConnectionState::kConnected:
      return 2;
  }
  return 0;
}

}  // namespace

OpcConnection::OpcConnection(const ConnectionEngineContext& context, EngineTiming timing)
    : connection_(context.connection),
      exitFlag_(context.exitFlag),
      timing_(std::move(timing)),
      parts_(context.connection, context.project, context.log),
      readCycle_(parts_),
      wakeup_(std::make_shared<WorkerWakeup>()),
      dataCallback_(
          MakeComObject<OPCCallback>(parts_.items, context.project, parts_.metrics.valuesReceived)),
      shutdownSink_(MakeComObject<OPCShutdown>(wakeup_)),
      activationLog_([this](const std::string& line) { parts_.log.Log(line); },
                     timing_.repeatedFailure) {}

OpcConnection::~OpcConnection() { Stop(); }

int OpcConnection::Start() {
  if (exitFlag_.IsSet()) return 0;
  std::promise<void> running;
  std::future<void> started = running.get_future();
  try {
    worker_ = std::jthread([this, running = std::move(running)](std::stop_token stop) mutable {
      // The worker's COM calls are made from the multithreaded apartment, which it enters
      // itself rather than relying on another thread of the process having entered it.
      const ComApartment apartment;
      stop_ = stop;
      running.set_value();
      Run(stop);
    });
  } catch (const std::system_error&) {
    parts_.log.Log("Create work thread failed!");
    return -1;
  }
  started.wait_for(kStartWait);
  return 0;
}

void OpcConnection::Stop() {
  // The connection is not torn down at exit; servers that still call back find nothing from
  // now on, so the value push may go away after this.
  parts_.items->Close();
  if (!worker_.joinable()) return;
  worker_.request_stop();
  worker_.join();
}

bool OpcConnection::Pause(std::chrono::milliseconds duration) {
  return wakeup_->Pause(stop_, duration);
}

void OpcConnection::Run(const std::stop_token& stop) {
  Clock::time_point nextConnect = Clock::now() + timing_.connectTick;
  Clock::time_point nextStatusPush = Clock::now() + timing_.statusRefresh;
  Clock::time_point nextPoll;  // read cycles run only while connected
  while (!exitFlag_.IsSet()) {
    const bool reading = State() == ConnectionState::kConnected;
    const Clock::time_point next =
        std::min({nextConnect, nextStatusPush, reading ? nextPoll : Clock::time_point::max()});
    const WorkerWakeup::Wake wake = wakeup_->WaitUntil(stop, next);
    if (wake == WorkerWakeup::Wake::kStop) return;
    if (wake == WorkerWakeup::Wake::kRestart) {
      // The server asked its clients to let go: both ticks stop until after the pause.
      Disconnect();
      Pause(timing_.restartPause);
      nextConnect = Clock::now() + timing_.connectTick;
      continue;
    }
    if (Clock::now() >= nextStatusPush) {
      RefreshStatusTag(true);
      nextStatusPush = Clock::now() + timing_.statusRefresh;
    }
    if (Clock::now() >= nextConnect) {
      if (State() == ConnectionState::kIdle) {
        Connect();
        nextPoll = Clock::now() + timing_.pollTick;  // the first cycle, if it connected
      } else {
        WatchStatus();
      }
      RefreshStatusTag(false);
      nextConnect = NextTick(nextConnect, timing_.connectTick);
    }
    if (State() == ConnectionState::kConnected && Clock::now() >= nextPoll) {
      if (readCycle_.Run([this] { Pause(timing_.cycleSleep); }) == ReadCycle::Outcome::kDone) {
        nextPoll = NextTick(nextPoll, timing_.pollTick);
      } else {
        Disconnect();
        Pause(timing_.dropSleep);
      }
    }
  }
}

// The status tag: 1 while the server is held, else 0, stamped now. `push`: hand it to the API
// as a changed value; otherwise only a change of the value is applied, without a push.
void OpcConnection::RefreshStatusTag(bool push) {
  StatusTag& status = connection_.GetStatusTag();
  const int value = IsConnected() ? 1 : 0;
  if (!push && status.liveValue.Snapshot().integerValue == value) return;
  status.liveValue.ApplyTextValue(value != 0 ? "1" : "0", "192", SystemWallTime(),
                                  push ? parts_.Push() : nullptr);
}

void OpcConnection::Connect() {
  std::vector<std::string> lines;
  const ComPtr<IOPCServer> server =
      ActivateServer(parts_.server, parts_.session, parts_.log, lines);
  if (!server) {
    activationLog_.Failed(lines);
    return;
  }
  activationLog_.Succeeded(lines);
  parts_.session.HoldServer(server);
  EnterState(ConnectionState::kHeld);
  parts_.log.Log("连接成功，正在添加各种服务!");

  if (const HRESULT hr =
          AtlAdvise(server.Get(), shutdownSink_.Get(), IID_IOPCShutdown, &shutdownCookie_);
      FAILED(hr)) {
    shutdownCookie_ = 0;
    parts_.log.Log("AtlAdvise Shutdown：Server 尚未准备好,这功能服务器不支持,忽略此步...");
    // A server that can take call-backs answers with E_ACCESSDENIED or an RPC error when the
    // call-back is what fails (the other host may not call this one).
    parts_.log.Log(ServerFailureLine(parts_.server, "takes no shutdown requests",
                                     "AtlAdvise(IOPCShutdown)", hr, parts_.log));
  }
  const RegistrationHooks hooks{dataCallback_.Get(), [this] { return Pause(timing_.groupWait); }};
  switch (RegisterGroups(parts_, hooks, readCycle_.ItemProperties())) {
    case Registration::kDone:
      break;
    case Registration::kGroupRefused:
      Disconnect();
      parts_.log.Log("断开成功!");
      return;
    case Registration::kEnded:
      return;  // held, without read cycles
  }
  if (!Pause(timing_.settle)) return;
  EnterState(ConnectionState::kConnected);
}

// The status watch: a status query when more than a minute has passed since the last one; a
// failed query or a state other than running drops the connection, then pauses.
void OpcConnection::WatchStatus() {
  const std::int64_t now = timing_.now ? timing_.now() : std::time(nullptr);
  if (lastStatusPoll_ > now) lastStatusPoll_ = now;
  if (now - lastStatusPoll_ <= timing_.statusWatchSeconds) return;
  lastStatusPoll_ = now;

  OPCSERVERSTATUS* rawStatus = nullptr;
  const HRESULT hr = parts_.session.Server()->GetStatus(&rawStatus);
  const TaskMemoryPtr<OPCSERVERSTATUS> status(rawStatus);
  if (status) CoTaskMemFree(status->szVendorInfo);
  if (SUCCEEDED(hr) && status && status->dwServerState == OPC_STATUS_RUNNING) return;
  if (SUCCEEDED(hr) && status) {
    parts_.log.Log(
        FormatText("Server Status = %d 准备断开...", static_cast<int>(status->dwServerState)));
  }
  Disconnect();
  Pause(timing_.statusPause);
}

// The shutdown advice, the call-back advice of every group, the items and groups, the server;
// then, after a short pause, the item records.
void OpcConnection::Disconnect() {
  ComPtr<IOPCServer> server = parts_.session.Server();
  if (!server) return;
  if (shutdownCookie_ != 0) AtlUnadvise(server.Get(), IID_IOPCShutdown, shutdownCookie_);
  shutdownCookie_ = 0;

  const auto& groups = parts_.server.groups;
  const bool groupsAdded = parts_.session.GroupsAdded();
  for (std::size_t index = 0; index < groups.size(); ++index) {
    const GroupInterfaces group = parts_.session.Group(index);
    if (groupsAdded && group.stateMgt) {
      AtlUnadvise(group.stateMgt.Get(), IID_IOPCDataCallback, group.callbackCookie);
      parts_.log.Log(FormatText("AtlUnadvise: Server：%s ,组名%s ok", parts_.server.name.c_str(),
                                groups[index]->name.c_str()));
    }
  }
  std::vector<OPCHANDLE> serverHandles = parts_.session.ServerHandles();
  // Those of the registered items, in registration order.
  std::size_t registered = 0;
  for (std::size_t index = 0; index < parts_.tagItems.size(); ++index) {
    if (parts_.tagItems[index].clientHandle != 0)
      serverHandles[registered++] = serverHandles[index];
  }
  serverHandles.resize(registered);
  for (std::size_t index = 0; index < groups.size(); ++index) {
    const GroupInterfaces released = parts_.session.ReleaseGroup(index);
    if (!released.stateMgt) continue;
    ComPtr<IOPCItemMgt> itemMgt;
    if (SUCCEEDED(released.stateMgt.As(&itemMgt)) && !serverHandles.empty()) {
      HRESULT* rawErrors = nullptr;
      itemMgt->RemoveItems(static_cast<DWORD>(serverHandles.size()), serverHandles.data(),
                           &rawErrors);
      CoTaskMemFree(rawErrors);
    }
    server->RemoveGroup(released.serverHandle, FALSE);
    parts_.log.Log(FormatText("RemoveGroup: Server：%s ,组名%s ok", parts_.server.name.c_str(),
                              groups[index]->name.c_str()));
  }
  readCycle_.ItemProperties() = nullptr;
  parts_.session.ReleaseServer();
  server = nullptr;
  EnterState(ConnectionState::kIdle);

  Pause(timing_.teardownSleep);
  parts_.items->Clear();
  parts_.session.ClearServerHandles();
  for (TagItem& item : parts_.tagItems) item.clientHandle = 0;
}

void OpcConnection::EnterState(ConnectionState next) {
  if (next == ConnectionState::kHeld) {
    if (heldBefore_) parts_.metrics.reconnects.Increment();
    heldBefore_ = true;
  }
  state_ = next;
  parts_.metrics.connectionState.Set(StateMetric(next));
}

WriteResult OpcConnection::WriteTag(ProjectTag& tag, std::string_view value) {
  const std::optional<std::size_t> tagIndex = parts_.tags.Find(tag);
  if (!tagIndex) return {1, kNotConnectedText};
  const auto& groups = parts_.server.groups;
  const auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const auto& entry) { return entry.get() == &tag.group; });
  const auto target = parts_.session.WriteTargetOf(group - groups.begin(), *tagIndex);
  if (!target) return {1, kNotConnectedText};
  return WriteTagValue(*target, static_cast<VARTYPE>(tag.vt), value, parts_.log);
}

std::unique_ptr<ConnectionEngine> MakeOpcConnection(const ConnectionEngineContext& context) {
  return std::make_unique<OpcConnection>(context);
}

}  // namespace tavrel
