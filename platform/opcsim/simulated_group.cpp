#include "platform/opcsim/simulated_group.h"

#include <algorithm>
#include <cmath>

#include "platform/com/com_api.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcsim/stream_formats.h"
#include "platform/opcsim/variant_compare.h"

namespace tavrel::opcsim {

namespace {

bool IsDa2GroupInterface(REFIID iid) {
  return iid == IID_IOPCAsyncIO2 || iid == IID_IConnectionPointContainer;
}

bool IsValidDeadband(float deadband) { return deadband >= 0.0f && deadband <= 100.0f; }

}  // namespace

SimulatedGroup::SimulatedGroup(std::shared_ptr<SimulatedDevice> device,
                               std::shared_ptr<GroupTable> table, std::uint64_t epoch,
                               OPCHANDLE serverHandle, const Parameters& parameters)
    : device_(std::move(device)),
      table_(std::move(table)),
      epoch_(epoch),
      serverHandle_(serverHandle),
      dataPoint_(*this, IID_IOPCDataCallback),
      name_(parameters.name),
      active_(parameters.active),
      updateRate_(ReviseRate(parameters.requestedUpdateRate)),
      clientHandle_(parameters.clientHandle),
      timeBias_(parameters.timeBias),
      percentDeadband_(parameters.percentDeadband),
      locale_(parameters.locale),
      nextUpdate_(std::chrono::steady_clock::now()) {
  device_->Scheduler().Attach(this);
}

SimulatedGroup::~SimulatedGroup() { Withdraw(); }

void SimulatedGroup::Withdraw() {
  {
    MutexLock lock(mutex_);
    if (withdrawn_) return;
    withdrawn_ = true;
  }
  device_->Scheduler().Detach(this);
}

DWORD SimulatedGroup::ReviseRate(DWORD requested) const {
  const auto fastest = static_cast<DWORD>(device_->Settings().minimumUpdateRate.count());
  return std::max(requested, fastest);
}

DWORD SimulatedGroup::UpdateRate() const {
  MutexLock lock(mutex_);
  return updateRate_;
}

STDMETHODIMP SimulatedGroup::QueryInterface(REFIID iid, void** object) {
  const bool withheld = (!device_->OffersDa2() && IsDa2GroupInterface(iid)) ||
                        (!device_->Settings().offersSyncIo && iid == IID_IOPCSyncIO);
  if (object != nullptr && withheld) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  return ComObject::QueryInterface(iid, object);
}

STDMETHODIMP SimulatedGroup::GetState(DWORD* updateRate, BOOL* active, LPWSTR* name, LONG* timeBias,
                                      FLOAT* percentDeadband, DWORD* lcid, OPCHANDLE* clientGroup,
                                      OPCHANDLE* serverGroup) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (updateRate == nullptr || active == nullptr || name == nullptr || timeBias == nullptr ||
      percentDeadband == nullptr || lcid == nullptr || clientGroup == nullptr ||
      serverGroup == nullptr) {
    return E_INVALIDARG;
  }
  MutexLock lock(mutex_);
  *name = TaskMemStringDuplicate(name_);
  if (*name == nullptr) return E_OUTOFMEMORY;
  *updateRate = updateRate_;
  *active = active_ ? TRUE : FALSE;
  *timeBias = timeBias_;
  *percentDeadband = percentDeadband_;
  *lcid = locale_;
  *clientGroup = clientHandle_;
  *serverGroup = serverHandle_;
  return S_OK;
}

STDMETHODIMP SimulatedGroup::SetState(DWORD* requestedUpdateRate, DWORD* revisedUpdateRate,
                                      BOOL* active, LONG* timeBias, FLOAT* percentDeadband,
                                      DWORD* lcid, OPCHANDLE* clientGroup) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (revisedUpdateRate == nullptr) return E_INVALIDARG;
  if (percentDeadband != nullptr && !IsValidDeadband(*percentDeadband)) return E_INVALIDARG;
  HRESULT result = S_OK;
  bool wake = false;
  {
    MutexLock lock(mutex_);
    if (requestedUpdateRate != nullptr) {
      updateRate_ = ReviseRate(*requestedUpdateRate);
      if (updateRate_ != *requestedUpdateRate) result = OPC_S_UNSUPPORTEDRATE;
      nextUpdate_ = std::min(
          nextUpdate_, std::chrono::steady_clock::now() + std::chrono::milliseconds(updateRate_));
      wake = true;
    }
    *revisedUpdateRate = updateRate_;
    if (active != nullptr) {
      const bool activating = *active != FALSE && !active_;
      active_ = *active != FALSE;
      if (activating) {
        ResendAllLocked();
        wake = true;
      }
    }
    if (timeBias != nullptr) timeBias_ = *timeBias;
    if (percentDeadband != nullptr) percentDeadband_ = *percentDeadband;
    if (lcid != nullptr) locale_ = *lcid;
    if (clientGroup != nullptr) clientHandle_ = *clientGroup;
  }
  if (wake) device_->Scheduler().Wake();
  return result;
}

WideString SimulatedGroup::Name() const {
  MutexLock lock(mutex_);
  return name_;
}

STDMETHODIMP SimulatedGroup::SetName(LPCWSTR name) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (name == nullptr || *name == OLESTR('\0')) return E_INVALIDARG;
  const HRESULT hr = table_->Rename(serverHandle_, name);
  if (FAILED(hr)) return hr;
  MutexLock lock(mutex_);
  name_ = name;
  return S_OK;
}

STDMETHODIMP SimulatedGroup::CloneGroup(LPCWSTR name, REFIID iid, LPUNKNOWN* clone) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (clone == nullptr) return E_INVALIDARG;
  *clone = nullptr;
  Parameters parameters;
  std::vector<GroupItem> items;
  {
    MutexLock lock(mutex_);
    parameters.active = false;  // a clone starts inactive
    parameters.requestedUpdateRate = updateRate_;
    parameters.clientHandle = clientHandle_;
    parameters.timeBias = timeBias_;
    parameters.percentDeadband = percentDeadband_;
    parameters.locale = locale_;
    for (const GroupItem& item : items_) {
      GroupItem copy;
      copy.clientHandle = item.clientHandle;
      copy.index = item.index;
      copy.requestedType = item.requestedType;
      copy.active = item.active;
      items.push_back(std::move(copy));
    }
  }
  ComPtr<SimulatedGroup> made;
  const HRESULT added = table_->Add(
      name != nullptr ? WideString(name) : WideString(),
      [&](OPCHANDLE handle, const WideString& groupName) {
        parameters.name = groupName;
        return MakeComObject<SimulatedGroup>(device_, table_, epoch_, handle, parameters);
      },
      &made);
  if (FAILED(added)) return added;
  {
    MutexLock lock(made->mutex_);
    for (GroupItem& item : items) {
      item.serverHandle = table_->NextItemHandle();
      made->itemPositions_.emplace(item.serverHandle, made->items_.size());
      made->items_.push_back(std::move(item));
    }
  }
  const HRESULT queried = made->QueryInterface(iid, reinterpret_cast<void**>(clone));
  if (FAILED(queried)) {
    table_->Remove(made->ServerHandle());
    made->Withdraw();
  }
  return queried;
}

STDMETHODIMP SimulatedGroup::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  return EnumerateConnectionPoints({&dataPoint_}, points);
}

STDMETHODIMP SimulatedGroup::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (const HRESULT refusal = device_->Faults().CallbackRefusal(); FAILED(refusal)) return refusal;
  return FindConnectionPointIn({&dataPoint_}, iid, point);
}

SimulatedGroup::GroupItem* SimulatedGroup::FindLocked(OPCHANDLE serverHandle) {
  const auto found = itemPositions_.find(serverHandle);
  return found != itemPositions_.end() ? &items_[found->second] : nullptr;
}

ItemSample SimulatedGroup::SampleLocked(const GroupItem& item, SteadyTime now) const {
  ItemSample sample = device_->Read(item.index, now);
  const VARTYPE canonical = device_->Catalogue().Item(item.index).canonicalType;
  if (FAILED(sample.error) || item.requestedType == VT_EMPTY || item.requestedType == canonical) {
    return sample;
  }
  OwnedVariant converted;
  const HRESULT hr =
      VariantChangeType(converted.Mutable(), &sample.value.Get(), 0, item.requestedType);
  if (FAILED(hr)) {
    sample.error = hr == DISP_E_OVERFLOW ? OPC_E_RANGE : OPC_E_BADTYPE;
    sample.quality = OPC_QUALITY_BAD;
    sample.value = OwnedVariant();
  } else {
    sample.value = std::move(converted);
  }
  return sample;
}

bool SimulatedGroup::ChangedLocked(const GroupItem& item, const ItemSample& sample) const {
  if (!item.sent || item.lastQuality != sample.quality || item.lastError != sample.error) {
    return true;
  }
  const ItemDefinition& definition = device_->Catalogue().Item(item.index);
  if (percentDeadband_ > 0.0f && definition.analog) {
    const auto before = VariantAsDouble(item.lastValue.Get());
    const auto after = VariantAsDouble(sample.value.Get());
    if (before && after) {
      const double band = percentDeadband_ / 100.0 * (definition.euHigh - definition.euLow);
      return std::fabs(*after - *before) > band;
    }
  }
  return !VariantsEqual(item.lastValue.Get(), sample.value.Get());
}

void SimulatedGroup::ResendAllLocked() {
  for (GroupItem& item : items_) item.sent = false;
  nextUpdate_ = std::chrono::steady_clock::now();
}

const SimulatedGroup::StreamAdvise* SimulatedGroup::FindAdviseLocked(DWORD connection,
                                                                     bool forWrite) const {
  const StreamFormats& formats = OpcStreamFormats();
  for (const StreamAdvise& advise : streamAdvises_) {
    if (advise.connection != connection) continue;
    const bool fits =
        forWrite ? advise.format == formats.writeComplete : formats.IsData(advise.format);
    return fits ? &advise : nullptr;
  }
  return nullptr;
}

bool SimulatedGroup::HasDataSink() const {
  return device_->OffersDa2() && !dataPoint_.Sinks<IOPCDataCallback>().empty();
}

}  // namespace tavrel::opcsim
