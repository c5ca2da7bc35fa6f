#include "platform/opcsim/group_table.h"

#include <string>

#include "platform/opcda/opc_error.h"
#include "platform/opcsim/simulated_group.h"

namespace tavrel::opcsim {

bool GroupTable::NameTakenLocked(WideStringView name) const {
  for (const auto& [handle, entry] : groups_) {
    if (entry.name == name) return true;
  }
  return false;
}

HRESULT GroupTable::Add(WideString name, const Factory& make, ComPtr<SimulatedGroup>* group) {
  MutexLock lock(mutex_);
  if (name.empty()) {
    do {
      const std::string number = std::to_string(++generatedNames_);
      name = OLESTR("Group") + WideString(number.begin(), number.end());
    } while (NameTakenLocked(name));
  } else if (NameTakenLocked(name)) {
    return OPC_E_DUPLICATENAME;
  }
  const OPCHANDLE handle = nextGroupHandle_;
  ComPtr<SimulatedGroup> made = make(handle, name);
  if (!made) return E_OUTOFMEMORY;
  ++nextGroupHandle_;
  groups_.emplace(handle, Entry{made, std::move(name)});
  *group = std::move(made);
  return S_OK;
}

ComPtr<SimulatedGroup> GroupTable::Remove(OPCHANDLE serverHandle) {
  MutexLock lock(mutex_);
  const auto found = groups_.find(serverHandle);
  if (found == groups_.end()) return nullptr;
  ComPtr<SimulatedGroup> group = std::move(found->second.group);
  groups_.erase(found);
  return group;
}

ComPtr<SimulatedGroup> GroupTable::FindByName(WideStringView name) const {
  MutexLock lock(mutex_);
  for (const auto& [handle, entry] : groups_) {
    if (entry.name == name) return entry.group;
  }
  return nullptr;
}

HRESULT GroupTable::Rename(OPCHANDLE serverHandle, WideStringView name) {
  MutexLock lock(mutex_);
  const auto found = groups_.find(serverHandle);
  if (found == groups_.end()) return E_FAIL;
  if (found->second.name == name) return S_OK;
  if (NameTakenLocked(name)) return OPC_E_DUPLICATENAME;
  found->second.name = WideString(name);
  return S_OK;
}

std::vector<WideString> GroupTable::Names() const {
  MutexLock lock(mutex_);
  std::vector<WideString> names;
  for (const auto& [handle, entry] : groups_) names.push_back(entry.name);
  return names;
}

DWORD GroupTable::Count() const {
  MutexLock lock(mutex_);
  return static_cast<DWORD>(groups_.size());
}

std::vector<ComPtr<SimulatedGroup>> GroupTable::RemoveAll() {
  MutexLock lock(mutex_);
  std::vector<ComPtr<SimulatedGroup>> groups;
  for (auto& [handle, entry] : groups_) groups.push_back(std::move(entry.group));
  groups_.clear();
  return groups;
}

}  // namespace tavrel::opcsim
