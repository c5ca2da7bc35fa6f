#include "platform/opcsim/fault_controls.h"

namespace tavrel::opcsim {

void FaultControls::SetServerState(OPCSERVERSTATE state) {
  MutexLock lock(mutex_);
  state_ = state;
}

OPCSERVERSTATE FaultControls::ServerState() const {
  MutexLock lock(mutex_);
  return state_;
}

void FaultControls::Die() {
  MutexLock lock(mutex_);
  if (!dead_) ++epoch_;
  dead_ = true;
}

void FaultControls::Revive() {
  MutexLock lock(mutex_);
  dead_ = false;
}

bool FaultControls::IsDead() const {
  MutexLock lock(mutex_);
  return dead_;
}

std::uint64_t FaultControls::Epoch() const {
  MutexLock lock(mutex_);
  return epoch_;
}

void FaultControls::Hang(std::chrono::milliseconds duration) {
  {
    MutexLock lock(mutex_);
    hangUntil_ = std::chrono::steady_clock::now() + duration;
  }
  hangEnded_.notify_all();
}

void FaultControls::EndHang() {
  {
    MutexLock lock(mutex_);
    hangUntil_ = SteadyTime();
  }
  hangEnded_.notify_all();
}

std::optional<FaultControls::SteadyTime> FaultControls::HangEnd(SteadyTime now) const {
  MutexLock lock(mutex_);
  if (now < hangUntil_) return hangUntil_;
  return std::nullopt;
}

void FaultControls::RefuseAddGroup(HRESULT error) {
  MutexLock lock(mutex_);
  addGroupRefusal_ = error;
}

HRESULT FaultControls::AddGroupRefusal() const {
  MutexLock lock(mutex_);
  return addGroupRefusal_;
}

void FaultControls::RefuseCallbacks(HRESULT error) {
  MutexLock lock(mutex_);
  callbackRefusal_ = error;
}

HRESULT FaultControls::CallbackRefusal() const {
  MutexLock lock(mutex_);
  return callbackRefusal_;
}

void FaultControls::RefuseBrowsing(bool refused) {
  MutexLock lock(mutex_);
  browsingRefused_ = refused;
}

bool FaultControls::IsBrowsingRefused() const {
  MutexLock lock(mutex_);
  return browsingRefused_;
}

void FaultControls::RejectItemIds(std::vector<WideString> itemIds, HRESULT error) {
  MutexLock lock(mutex_);
  rejectedIds_ = std::set<WideString, std::less<>>(itemIds.begin(), itemIds.end());
  rejection_ = error;
}

HRESULT FaultControls::ItemRejection(WideStringView itemId) const {
  MutexLock lock(mutex_);
  return rejectedIds_.find(itemId) != rejectedIds_.end() ? rejection_ : S_OK;
}

HRESULT FaultControls::AdmitCall(std::uint64_t epoch) const {
  MutexLock lock(mutex_);
  while (std::chrono::steady_clock::now() < hangUntil_) hangEnded_.wait_until(lock, hangUntil_);
  return dead_ || epoch != epoch_ ? RPC_E_DISCONNECTED : S_OK;
}

}  // namespace tavrel::opcsim
