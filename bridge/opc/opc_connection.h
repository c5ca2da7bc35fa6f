// OpcConnection: the OPC DA client engine of one server (a ConnectionEngine).
//
// A worker thread with a thread message queue runs the connection: a 1000 ms connect timer
// makes connection attempts while the server is not held and watches its status while it is;
// a 500 ms poll timer, started 5000 ms after a successful registration, runs the read cycles
// of the groups. A shutdown request from the server (WM_OPC_RESTART) tears everything down
// and starts over. The status tag is refreshed and pushed every 30 s. The steps and their log
// lines are described with each function in the .cpp files.
//
// Threads: the worker makes, registers, reads and tears down; writes come from the API thread
// or the window; data call-backs from the server's threads. The interfaces and handles that
// writes need (the server, the groups' interfaces, the tags' server handles) are guarded by
// `stateMutex_`, which is never held while the server is called: a writer copies what it needs
// (adding references) and calls with its copies. The worker is their only writer, so it reads
// them without the lock. Item records are reached through the ItemTable (opc_item.h).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bridge/core/bridge_project.h"
#include "bridge/core/connection_engine.h"
#include "bridge/core/exit_flag.h"
#include "bridge/core/server_connection.h"
#include "bridge/opc/opc_item.h"
#include "bridge/opc/opc_sinks.h"
#include "common/bridge_log.h"
#include "common/period_timer.h"
#include "platform/com/com_ptr.h"
#include "platform/msgqueue/thread_messages.h"
#include "platform/opcda/opcda.h"

// The engine's waits and periods; tests shorten them.
struct EngineTiming {
  using Ms = std::chrono::milliseconds;
  Ms connectTick{1000};                  // connect timer
  Ms pollTick{500};                      // poll timer
  Ms settle{5000};                       // after registration, before polling starts
  Ms statusPause{3000};                  // after a status failure
  Ms restartPause{1000};                 // after a shutdown request
  Ms groupWait{1000};                    // while a group is not usable
  Ms cycleSleep{100};                    // after each group of a read cycle
  Ms dropSleep{1000};                    // after a group lost its interface
  Ms teardownSleep{100};                 // before the item records are deleted
  std::int64_t statusRefreshMs = 30000;  // status tag push period
  std::int64_t statusWatchSeconds = 60;  // status query when more than this has passed
  // Seconds since 1970 for the status watch.
  std::function<std::int64_t()> now;
};

class OpcConnection final : public ConnectionEngine {
 public:
  OpcConnection(const ConnectionEngineContext& context, EngineTiming timing = {});
  ~OpcConnection() override;

  OpcConnection(const OpcConnection&) = delete;
  OpcConnection& operator=(const OpcConnection&) = delete;

  int Start() override;
  void Stop() override;
  bool IsConnected() const override { return held_.load(); }
  WriteResult WriteTag(ProjectTag& tag, std::string_view value) override;

  // The server entry's `connected` flag: registration done and polling.
  bool EntryConnected() const { return entryConnected_.load(); }
  // Live item records.
  std::size_t ItemCount() const { return items_->Size(); }

  std::string FormatOpcError(std::string_view text, HRESULT hr) const;
  void LogOpcError(std::string_view text, HRESULT hr) const;

 private:
  // Run-time state of one group entry (same index as in the server entry).
  struct GroupSession {
    ComPtr<IOPCGroupStateMgt> stateMgt;
    OPCHANDLE serverHandle = 0;
    DWORD cookie = 0;
    ComPtr<IOPCAsyncIO2> asyncIO2;
    ComPtr<IOPCSyncIO> syncIO;
  };
  // Run-time state of one tag.
  struct TagSession {
    OPCHANDLE serverHandle = 0;  // 0 until registered and once the connection ends
    OPCHANDLE clientHandle = 0;  // its Item record; 0 when none
    bool registered = true;      // 0 when the server rejected it in single registration
    std::vector<DWORD> propertyIds;
  };

  void Log(const std::string& text) const;
  bool Pause(std::chrono::milliseconds duration);  // false when stopping

  // Worker (opc_connection.cpp).
  void WorkerLoop();
  void RefreshStatusTag(bool push);
  void ConnectOrWatch();
  void WatchStatus();
  void Restart();
  void Disconnect();
  void DropConnection();

  // Connection attempt (server_activation.cpp).
  void Connect();
  ComPtr<IUnknown> Activate(const CLSID& clsid, bool remote);
  CLSID ResolveClsid();

  // Registration (group_registration.cpp). False ends the attempt.
  bool RegisterGroups();
  bool RegisterBulk(ProjectGroup& group, GroupSession& session);
  void AddOneItem(ProjectTag& tag, GroupSession& session);

  // Read cycle (read_cycle.cpp).
  void PollGroups();
  void SyncReadGroup(ProjectGroup& group, GroupSession& session);
  void ReadGroupProperties(ProjectGroup& group);
  void QueryTagProperties(ProjectTag& tag, TagSession& session);
  void PublishRead(const TagSession& session, const OPCITEMSTATE& state);

  // The session of one of the server's tags; FindSession also answers null for a tag of
  // another server.
  TagSession& SessionOf(const ProjectTag& tag);
  TagSession* FindSession(const ProjectTag& tag);
  // Records the server's handle of a tag's item in its session.
  void SetServerHandle(TagSession& session, OPCHANDLE serverHandle);

  ServerConnection& connection_;
  ProjectServer& server_;
  BridgeProject& project_;
  BridgeLog& log_;
  const ExitFlag& exitFlag_;
  const EngineTiming timing_;

  std::shared_ptr<ItemTable> items_;  // shared with the data call-back
  ComPtr<OPCCallback> dataCallback_;
  ComPtr<OPCShutdown> shutdownSink_;

  mutable std::mutex stateMutex_;
  ComPtr<IOPCServer> opcServer_;      // guarded: written by the worker under the lock
  std::vector<GroupSession> groups_;  // guarded likewise
  // One per tag of the server, by the tag's handle minus the first one: a server's tags take
  // consecutive handles (bridge_project.h). The array is fixed; its values are guarded.
  std::vector<TagSession> tags_;
  TagHandle firstTagHandle_ = 0;
  std::atomic<bool> held_{false};

  DWORD shutdownCookie_ = 0;
  std::atomic<bool> groupsAdded_{false};
  std::atomic<DWORD> writeTransaction_{0};
  ComPtr<IOPCItemProperties> itemProperties_;
  std::int64_t lastStatusPoll_ = 0;
  PeriodTimer statusTimer_;
  std::atomic<bool> entryConnected_{false};

  std::thread worker_;
  std::atomic<DWORD> threadId_{0};
  std::atomic<bool> loopRunning_{false};
  UINT_PTR connectTimerId_ = 0;
  UINT_PTR pollTimerId_ = 0;  // 0: the poll timer is stopped

  std::mutex stopMutex_;
  std::condition_variable stopSignal_;
  bool stopRequested_ = false;
};

// The factory the program gives the start-up.
std::unique_ptr<ConnectionEngine> MakeOpcConnection(const ConnectionEngineContext& context);
