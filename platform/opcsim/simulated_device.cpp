#include "platform/opcsim/simulated_device.h"

#include <algorithm>

#include "platform/com/com_api.h"
#include "platform/com/connection_point.h"
#include "platform/com/file_time_ticks.h"
#include "platform/opcda/opc_interfaces.h"
#include "platform/opcsim/simulated_address_space.h"
#include "platform/opcsim/simulated_server.h"

namespace tavrel::opcsim {

namespace {

class ShutdownDelivery final : public Delivery {
 public:
  ShutdownDelivery(std::vector<ComPtr<IOPCShutdown>> sinks, WideString reason)
      : sinks_(std::move(sinks)), reason_(std::move(reason)) {}
  void Dispatch() override {
    for (const auto& sink : sinks_) sink->ShutdownRequest(reason_.c_str());
  }

 private:
  std::vector<ComPtr<IOPCShutdown>> sinks_;
  WideString reason_;
};

HRESULT WriteConversionError(HRESULT hr) {
  return hr == DISP_E_OVERFLOW ? OPC_E_RANGE : OPC_E_BADTYPE;
}

}  // namespace

std::shared_ptr<SimulatedDevice> SimulatedDevice::Create(ServerProfile profile,
                                                         SimulationSettings settings) {
  std::shared_ptr<SimulatedDevice> device(new SimulatedDevice(profile, std::move(settings)));
  ScheduledWork& work = *device;
  UpdateScheduler::Gate& gate = *device;
  device->scheduler_ = std::make_unique<UpdateScheduler>(work, gate);
  return device;
}

SimulatedDevice::SimulatedDevice(ServerProfile profile, SimulationSettings settings)
    : profile_(profile),
      settings_(std::move(settings)),
      catalogue_(BuildSimulatedAddressSpace(settings_.bulkItemCount)) {
  clock_.start = std::chrono::steady_clock::now();
  clock_.systemStart = std::chrono::system_clock::now();
  clock_.signalPeriod = settings_.signalPeriod;
  clock_.bulkPeriod = settings_.bulkPeriod;
  startTime_ = FileTimeFromSystemClock(clock_.systemStart);
  storedValues_.resize(catalogue_.ItemCount());
  storedTimes_.resize(catalogue_.ItemCount(), startTime_);
  for (std::size_t i = 0; i < catalogue_.ItemCount(); ++i) {
    if (catalogue_.Item(i).signal == SignalKind::kStored) {
      storedValues_[i] = catalogue_.Item(i).initialValue;
    }
  }
  for (const FaultEvent& event : settings_.faultScript) {
    script_.push_back({event.at, event, false});
    if (event.duration) script_.push_back({event.at + *event.duration, event, true});
  }
  std::stable_sort(script_.begin(), script_.end(),
                   [](const ScriptStep& a, const ScriptStep& b) { return a.at < b.at; });
  RunStepsDueBy(std::chrono::milliseconds(0));  // in force before the first call
}

SimulatedDevice::~SimulatedDevice() { scheduler_.reset(); }

HRESULT SimulatedDevice::Connect(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (faults_.IsDead()) return CO_E_SERVER_EXEC_FAILURE;
  return MakeComObject<SimulatedServer>(shared_from_this())->QueryInterface(iid, object);
}

FILETIME SimulatedDevice::LastUpdateTime() const {
  const std::int64_t ms = lastUpdateMs_.load(std::memory_order_relaxed);
  if (ms < 0) return FILETIME{};
  return FileTimeFromSystemClock(clock_.systemStart + std::chrono::milliseconds(ms));
}

void SimulatedDevice::NoteUpdateSent(SteadyTime now) {
  lastUpdateMs_.store(
      std::chrono::duration_cast<std::chrono::milliseconds>(now - clock_.start).count(),
      std::memory_order_relaxed);
}

ItemSample SimulatedDevice::Read(std::size_t index, SteadyTime now) const {
  const ItemDefinition& item = catalogue_.Item(index);
  ItemSample sample;
  if (!(item.accessRights & OPC_READABLE) || FAILED(item.readError)) {
    sample.error = FAILED(item.readError) ? item.readError : OPC_E_BADRIGHTS;
    sample.quality = OPC_QUALITY_BAD;
    sample.timeStamp = clock_.Now(now);
    return sample;
  }
  if (item.signal != SignalKind::kStored) return GenerateSample(item, clock_, now);
  MutexLock lock(valuesMutex_);
  sample.value = storedValues_[index];
  sample.timeStamp = storedTimes_[index];
  return sample;
}

HRESULT SimulatedDevice::Write(std::size_t index, const VARIANT& value) {
  const ItemDefinition& item = catalogue_.Item(index);
  if (!(item.accessRights & OPC_WRITEABLE) || item.signal != SignalKind::kStored) {
    return OPC_E_BADRIGHTS;
  }
  if (FAILED(item.writeError)) return item.writeError;
  OwnedVariant converted;
  if (value.vt == item.canonicalType) {
    converted = OwnedVariant(value);
  } else {
    const HRESULT hr = VariantChangeType(converted.Mutable(), &value, 0, item.canonicalType);
    if (FAILED(hr)) return WriteConversionError(hr);
  }
  if (converted.Type() != item.canonicalType) return OPC_E_BADTYPE;
  const FILETIME now = FileTimeFromSystemClock(std::chrono::system_clock::now());
  MutexLock lock(valuesMutex_);
  storedValues_[index].Swap(converted);
  storedTimes_[index] = now;
  return S_OK;
}

void SimulatedDevice::RequestShutdown(WideString reason) {
  {
    MutexLock lock(connectionsMutex_);
    pendingShutdowns_.push_back(std::move(reason));
  }
  scheduler_->Wake();
}

void SimulatedDevice::AddConnection(SimulatedServer* server) {
  MutexLock lock(connectionsMutex_);
  connections_.push_back(server);
}

void SimulatedDevice::RemoveConnection(SimulatedServer* server) {
  MutexLock lock(connectionsMutex_);
  std::erase(connections_, server);
}

void SimulatedDevice::Collect(SteadyTime now, DeliveryList& out, SteadyTime* wakeAt) {
  RunStepsDueBy(std::chrono::duration_cast<std::chrono::milliseconds>(now - clock_.start));
  if (nextStep_ < script_.size()) *wakeAt = std::min(*wakeAt, clock_.start + script_[nextStep_].at);
  if (const auto hangEnd = faults_.HangEnd(now)) {
    *wakeAt = std::min(*wakeAt, *hangEnd);
    return;  // shutdown requests wait for the hang to end
  }
  CollectShutdowns(out);
}

void SimulatedDevice::CollectShutdowns(DeliveryList& out) {
  MutexLock lock(connectionsMutex_);
  if (faults_.IsDead()) pendingShutdowns_.clear();
  for (WideString& reason : pendingShutdowns_) {
    std::vector<ComPtr<IOPCShutdown>> sinks;
    for (SimulatedServer* server : connections_) {
      for (auto& sink : server->ShutdownSinks()) sinks.push_back(std::move(sink));
    }
    if (!sinks.empty()) out.push_back(std::make_unique<ShutdownDelivery>(sinks, std::move(reason)));
  }
  pendingShutdowns_.clear();
}

bool SimulatedDevice::AdmitsSources(SteadyTime now, SteadyTime* retryAt) {
  if (const auto hangEnd = faults_.HangEnd(now)) {
    *retryAt = *hangEnd;
    return false;
  }
  return !faults_.IsDead();
}

void SimulatedDevice::RunStepsDueBy(std::chrono::milliseconds elapsed) {
  while (nextStep_ < script_.size() && script_[nextStep_].at <= elapsed) {
    RunStep(script_[nextStep_++]);
  }
}

void SimulatedDevice::RunStep(const ScriptStep& step) {
  const FaultEvent& event = step.event;
  switch (event.action) {
    case FaultAction::kState:
      faults_.SetServerState(step.undo ? OPC_STATUS_RUNNING : event.state);
      break;
    case FaultAction::kShutdown: {
      MutexLock lock(connectionsMutex_);
      pendingShutdowns_.push_back(event.reason);
      break;
    }
    case FaultAction::kDie:
      step.undo ? faults_.Revive() : faults_.Die();
      break;
    case FaultAction::kHang:
      if (step.undo) {
        faults_.EndHang();
      } else {
        faults_.Hang(event.duration.value_or(std::chrono::hours(24 * 365)));
      }
      break;
    case FaultAction::kRefuseAddGroup:
      faults_.RefuseAddGroup(step.undo ? S_OK : E_FAIL);
      break;
    case FaultAction::kRefuseBrowse:
      faults_.RefuseBrowsing(!step.undo);
      break;
    case FaultAction::kRejectItems:
      faults_.RejectItemIds(step.undo ? std::vector<WideString>() : event.itemIds);
      break;
  }
}

}  // namespace tavrel::opcsim
