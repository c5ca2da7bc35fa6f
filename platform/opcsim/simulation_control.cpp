#include "platform/opcsim/simulation_control.h"

#include <unistd.h>

#include <memory>
#include <vector>

#include "common/code_page.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel::opcsim {

namespace {

// Runs `action` on the device of `clsid`, or answers that the class is not simulated here.
template <typename Action>
HRESULT OnDevice(REFCLSID clsid, Action action) {
  const std::shared_ptr<SimulatedDevice> device = SimulatedDeviceFor(clsid);
  if (!device) return REGDB_E_CLASSNOTREG;
  action(*device);
  return S_OK;
}

}  // namespace

STDMETHODIMP SimulationControl::Reset(REFCLSID clsid, DWORD minimumUpdateRate, DWORD signalPeriod,
                                      DWORD bulkPeriod, DWORD bulkItems, BOOL syncIo) {
  SimulationSettings settings;
  settings.minimumUpdateRate = std::chrono::milliseconds(minimumUpdateRate);
  settings.signalPeriod = std::chrono::milliseconds(signalPeriod);
  settings.bulkPeriod = std::chrono::milliseconds(bulkPeriod);
  settings.bulkItemCount = bulkItems;
  settings.offersSyncIo = syncIo != FALSE;
  return ResetSimulatedDevice(clsid, std::move(settings)) ? S_OK : REGDB_E_CLASSNOTREG;
}

STDMETHODIMP SimulationControl::SetServerState(REFCLSID clsid, DWORD state) {
  if (state < OPC_STATUS_RUNNING || state > OPC_STATUS_COMM_FAULT) return E_INVALIDARG;
  return OnDevice(clsid, [&](SimulatedDevice& device) {
    device.Faults().SetServerState(static_cast<OPCSERVERSTATE>(state));
  });
}

STDMETHODIMP SimulationControl::Die(REFCLSID clsid) {
  return OnDevice(clsid, [](SimulatedDevice& device) { device.Faults().Die(); });
}

STDMETHODIMP SimulationControl::Revive(REFCLSID clsid) {
  return OnDevice(clsid, [](SimulatedDevice& device) { device.Faults().Revive(); });
}

STDMETHODIMP SimulationControl::RefuseAddGroup(REFCLSID clsid, HRESULT error) {
  return OnDevice(clsid, [&](SimulatedDevice& device) { device.Faults().RefuseAddGroup(error); });
}

STDMETHODIMP SimulationControl::RefuseCallbacks(REFCLSID clsid, HRESULT error) {
  return OnDevice(clsid, [&](SimulatedDevice& device) { device.Faults().RefuseCallbacks(error); });
}

STDMETHODIMP SimulationControl::RefuseBrowsing(REFCLSID clsid, BOOL refused) {
  return OnDevice(
      clsid, [&](SimulatedDevice& device) { device.Faults().RefuseBrowsing(refused != FALSE); });
}

STDMETHODIMP SimulationControl::RejectItemIds(REFCLSID clsid, DWORD count, LPWSTR* itemIds,
                                              HRESULT error) {
  if (count > 0 && itemIds == nullptr) return E_POINTER;
  std::vector<WideString> ids(itemIds, itemIds + count);
  return OnDevice(clsid, [&](SimulatedDevice& device) {
    device.Faults().RejectItemIds(std::move(ids), error);
  });
}

STDMETHODIMP SimulationControl::RequestShutdown(REFCLSID clsid, LPCWSTR reason) {
  if (reason == nullptr) return E_POINTER;
  return OnDevice(clsid, [&](SimulatedDevice& device) { device.RequestShutdown(reason); });
}

STDMETHODIMP SimulationControl::ProcessId(DWORD* processId) {
  if (processId == nullptr) return E_POINTER;
  *processId = static_cast<DWORD>(::getpid());
  return S_OK;
}

STDMETHODIMP SimulationControl::JournalEntries(REFCLSID clsid, LPCWSTR call, DWORD* count,
                                               SIMULATEDCALL** entries) {
  if (call == nullptr || count == nullptr || entries == nullptr) return E_POINTER;
  *count = 0;
  *entries = nullptr;
  std::vector<JournalEntry> found;
  const HRESULT hr = OnDevice(
      clsid, [&](SimulatedDevice& device) { found = device.Journal().Entries(WideToAnsi(call)); });
  if (FAILED(hr) || found.empty()) return hr;
  auto* result = static_cast<SIMULATEDCALL*>(CoTaskMemAlloc(found.size() * sizeof(SIMULATEDCALL)));
  if (result == nullptr) return E_OUTOFMEMORY;
  for (std::size_t index = 0; index < found.size(); ++index) {
    result[index].szGroup = TaskMemStringDuplicate(found[index].group);
    result[index].dwArgument = found[index].argument;
  }
  *count = static_cast<DWORD>(found.size());
  *entries = result;
  return S_OK;
}

}  // namespace tavrel::opcsim
