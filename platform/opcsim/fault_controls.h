// FaultControls: the faults a simulated server can be put into, from a test in the same
// process or by the server's fault script. Thread-safe.
//
// - A reported state other than running (GetStatus only; everything else goes on).
// - Death: every call on a connection made before the death fails with RPC_E_DISCONNECTED,
//   also after revival, as a client of a crashed server process holds dead proxies; while
//   dead, activation fails too; after Revive, new connections work.
// - A hang: every call blocks until the hang ends; no callbacks are sent meanwhile.
// - AddGroup refused with a chosen code.
// - Call-backs refused with a chosen code: FindConnectionPoint fails for the shutdown and data
//   call-back points, as Advise does for a server that cannot call its clients back (DCOM's
//   E_ACCESSDENIED between hosts without the rights to).
// - No address-space browsing: IOPCBrowseServerAddressSpace is not offered (QueryInterface).
// - Item ids rejected by AddItems and ValidateItems with a chosen code.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "common/mutex.h"
#include "common/wide_string.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcda/opc_types.h"

namespace tavrel::opcsim {

class FaultControls {
 public:
  using SteadyTime = std::chrono::steady_clock::time_point;

  void SetServerState(OPCSERVERSTATE state);
  OPCSERVERSTATE ServerState() const;

  void Die();
  void Revive();
  bool IsDead() const;
  // Connections remember the epoch they were made in; every death starts a new one.
  std::uint64_t Epoch() const;

  // Calls block from now for `duration` (a hang already running is extended or shortened).
  void Hang(std::chrono::milliseconds duration);
  void EndHang();
  // The end of the hang in force at `now`, or nothing.
  std::optional<SteadyTime> HangEnd(SteadyTime now) const;

  // S_OK: AddGroup is accepted; otherwise the code it fails with.
  void RefuseAddGroup(HRESULT error = E_FAIL);
  void AcceptAddGroup() { RefuseAddGroup(S_OK); }
  HRESULT AddGroupRefusal() const;

  // S_OK: call-back advises are accepted; otherwise the code they fail with.
  void RefuseCallbacks(HRESULT error);
  HRESULT CallbackRefusal() const;

  // While refused, QueryInterface denies IOPCBrowseServerAddressSpace (as a server without
  // browsing does); interfaces a client already holds keep working.
  void RefuseBrowsing(bool refused);
  bool IsBrowsingRefused() const;

  // Replaces the rejected ids (an empty list rejects none).
  void RejectItemIds(std::vector<WideString> itemIds, HRESULT error = OPC_E_UNKNOWNITEMID);
  // S_OK, or the code `itemId` is rejected with.
  HRESULT ItemRejection(WideStringView itemId) const;

  // The gate every interface call of a connection made in `epoch` passes first: waits while
  // the server hangs, then fails with RPC_E_DISCONNECTED when the connection is dead.
  HRESULT AdmitCall(std::uint64_t epoch) const;

 private:
  mutable Mutex mutex_;
  mutable std::condition_variable_any hangEnded_;
  OPCSERVERSTATE state_ GUARDED_BY(mutex_) = OPC_STATUS_RUNNING;
  bool dead_ GUARDED_BY(mutex_) = false;
  std::uint64_t epoch_ GUARDED_BY(mutex_) = 0;
  SteadyTime hangUntil_ GUARDED_BY(mutex_){};
  HRESULT addGroupRefusal_ GUARDED_BY(mutex_) = S_OK;
  HRESULT callbackRefusal_ GUARDED_BY(mutex_) = S_OK;
  bool browsingRefused_ GUARDED_BY(mutex_) = false;
  std::set<WideString, std::less<>> rejectedIds_ GUARDED_BY(mutex_);
  HRESULT rejection_ GUARDED_BY(mutex_) = OPC_E_UNKNOWNITEMID;
};

}  // namespace tavrel::opcsim
