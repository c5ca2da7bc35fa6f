// GroupTable: the groups of one connection (server object), by server handle and by name.
//
// The table holds one reference to each group until RemoveGroup or the end of the server
// object; the groups share the table to keep their names unique and to number their items.
// Group names are compared exactly. Thread-safe; no group method is called under its lock.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <vector>

#include "common/mutex.h"
#include "common/wide_string.h"
#include "platform/com/com_ptr.h"
#include "platform/opcda/opc_types.h"

namespace tavrel::opcsim {

class SimulatedGroup;

class GroupTable {
 public:
  using Factory =
      std::function<ComPtr<SimulatedGroup>(OPCHANDLE serverHandle, const WideString& name)>;

  // Adds the group `make` creates under `name` (a generated unique name when empty).
  // OPC_E_DUPLICATENAME when the name is taken; the factory's failure (null) gives
  // E_OUTOFMEMORY.
  HRESULT Add(WideString name, const Factory& make, ComPtr<SimulatedGroup>* group);
  // Takes the group out of the table and hands its reference to the caller; null when the
  // handle names no group.
  ComPtr<SimulatedGroup> Remove(OPCHANDLE serverHandle);
  ComPtr<SimulatedGroup> FindByName(WideStringView name) const;
  HRESULT Rename(OPCHANDLE serverHandle, WideStringView name);
  std::vector<WideString> Names() const;
  DWORD Count() const;
  // Takes every group out (for the end of the server object).
  std::vector<ComPtr<SimulatedGroup>> RemoveAll();

  // Item server handles, unique within the connection.
  OPCHANDLE NextItemHandle() { return nextItemHandle_.fetch_add(1, std::memory_order_relaxed); }

 private:
  struct Entry {
    ComPtr<SimulatedGroup> group;
    WideString name;
  };
  bool NameTakenLocked(WideStringView name) const REQUIRES(mutex_);

  mutable Mutex mutex_;
  std::map<OPCHANDLE, Entry> groups_ GUARDED_BY(mutex_);
  OPCHANDLE nextGroupHandle_ GUARDED_BY(mutex_) = 1;
  unsigned generatedNames_ GUARDED_BY(mutex_) = 0;
  std::atomic<OPCHANDLE> nextItemHandle_{1};
};

}  // namespace tavrel::opcsim
