// SimulatedDevice: one simulated OPC server "process": its address space and values, its
// faults, its update thread, and the connections clients made to it.
//
// Every activation of a simulated class gives a new server object (a connection with its own
// groups and browse position); all connections of one device share the values (a write on
// one is read on the others), the faults and the one update thread, as the clients of one
// out-of-process server do.
//
// Profiles: kTree answers with a hierarchical address space and the OPC DA 2.0 interfaces;
// kFlat the same with a flat address space; kLegacy is a DA 1.0 server: hierarchical, with no
// IOPCCommon, IOPCItemProperties, IOPCShutdown connection point, IOPCAsyncIO2 or
// IOPCDataCallback connection point; its groups send data as DA 1.0 streams only.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

#include "common/mutex.h"
#include "common/wide_string.h"
#include "platform/com/com_api.h"
#include "platform/opcsim/call_journal.h"
#include "platform/opcsim/fault_controls.h"
#include "platform/opcsim/item_catalogue.h"
#include "platform/opcsim/simulation_settings.h"
#include "platform/opcsim/update_scheduler.h"
#include "platform/opcsim/value_generators.h"

namespace tavrel::opcsim {

enum class ServerProfile { kTree, kFlat, kLegacy };

class SimulatedServer;

class SimulatedDevice final : public std::enable_shared_from_this<SimulatedDevice>,
                              private ScheduledWork,
                              private UpdateScheduler::Gate {
 public:
  using SteadyTime = std::chrono::steady_clock::time_point;

  // Starts the device's update thread; the fault script runs from now on.
  static std::shared_ptr<SimulatedDevice> Create(ServerProfile profile,
                                                 SimulationSettings settings = {});
  ~SimulatedDevice();
  SimulatedDevice(const SimulatedDevice&) = delete;
  SimulatedDevice& operator=(const SimulatedDevice&) = delete;

  // A new connection: a server object's `iid` interface. CO_E_SERVER_EXEC_FAILURE while the
  // device is dead.
  HRESULT Connect(REFIID iid, void** object);

  ServerProfile Profile() const { return profile_; }
  bool IsHierarchical() const { return profile_ != ServerProfile::kFlat; }
  bool OffersDa2() const { return profile_ != ServerProfile::kLegacy; }
  const SimulationSettings& Settings() const { return settings_; }
  const ItemCatalogue& Catalogue() const { return catalogue_; }
  const SignalClock& Clock() const { return clock_; }
  FaultControls& Faults() { return faults_; }
  CallJournal& Journal() { return journal_; }
  UpdateScheduler& Scheduler() { return *scheduler_; }
  FILETIME StartTime() const { return startTime_; }
  // The time of the last data change sent to a client (zero before the first).
  FILETIME LastUpdateTime() const;
  void NoteUpdateSent(SteadyTime now);

  // Reads item `index` at `now`: its value, or the item's per-item error (OPC_E_BADRIGHTS
  // for an item that cannot be read).
  ItemSample Read(std::size_t index, SteadyTime now) const;
  // Writes `value` to item `index`, converted to its canonical type; returns the per-item
  // outcome: OPC_E_BADRIGHTS, OPC_E_BADTYPE, OPC_E_RANGE or the item's own write error.
  HRESULT Write(std::size_t index, const VARIANT& value);

  // Sends ShutdownRequest(reason) to the shutdown sinks of every connection, from the update
  // thread (postponed while the device hangs, dropped while it is dead).
  void RequestShutdown(WideString reason);

  void AddConnection(SimulatedServer* server);
  void RemoveConnection(SimulatedServer* server);

 private:
  struct ScriptStep {
    std::chrono::milliseconds at;
    FaultEvent event;
    bool undo;  // the end of the event's duration
  };

  SimulatedDevice(ServerProfile profile, SimulationSettings settings);
  void Collect(SteadyTime now, DeliveryList& out, SteadyTime* wakeAt) override;
  bool AdmitsSources(SteadyTime now, SteadyTime* retryAt) override;
  // Runs the script's steps due `elapsed` after the start that have not run yet.
  void RunStepsDueBy(std::chrono::milliseconds elapsed);
  void RunStep(const ScriptStep& step);
  void CollectShutdowns(DeliveryList& out);

  const ServerProfile profile_;
  const SimulationSettings settings_;
  const ItemCatalogue catalogue_;
  SignalClock clock_;
  FILETIME startTime_{};
  FaultControls faults_;
  CallJournal journal_;
  std::atomic<std::int64_t> lastUpdateMs_{-1};  // since clock_.start

  mutable Mutex valuesMutex_;
  std::vector<OwnedVariant> storedValues_
      GUARDED_BY(valuesMutex_);  // by item index; only stored items use theirs
  std::vector<FILETIME> storedTimes_ GUARDED_BY(valuesMutex_);

  Mutex connectionsMutex_;
  std::vector<SimulatedServer*> connections_ GUARDED_BY(connectionsMutex_);
  std::vector<WideString> pendingShutdowns_ GUARDED_BY(connectionsMutex_);

  std::vector<ScriptStep> script_;  // by time; read by the update thread only
  std::size_t nextStep_ = 0;

  std::unique_ptr<UpdateScheduler> scheduler_;  // last: stopped first
};

}  // namespace tavrel::opcsim
