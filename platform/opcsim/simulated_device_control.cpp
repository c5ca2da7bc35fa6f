#include "platform/opcsim/simulated_device_control.h"

#include <cstdio>
#include <stdexcept>

#include "common/code_page.h"
#include "platform/opcsim/simulation_control_proxy.h"

namespace tavrel::opcsim {

namespace {

void Check(HRESULT hr, const char* call) {
  if (SUCCEEDED(hr)) return;
  char text[96];
  std::snprintf(text, sizeof text, "simulation control: %s failed with 0x%08lX", call,
                static_cast<unsigned long>(hr));
  throw std::runtime_error(text);
}

}  // namespace

SimulatedDeviceControl::SimulatedDeviceControl(const CLSID& clsid) : clsid_(clsid) {
  Check(RegisterSimulationControlProxies(), "RegisterSimulationControlProxies");
  Check(CoCreateInstance(CLSID_OPCSimControl, nullptr, CLSCTX_ALL, IID_ISimulationControl,
                         control_.ReleaseAndGetVoidAddressOf()),
        "CoCreateInstance");
}

void SimulatedDeviceControl::Reset(const SimulationSettings& settings) {
  Check(control_->Reset(clsid_, static_cast<DWORD>(settings.minimumUpdateRate.count()),
                        static_cast<DWORD>(settings.signalPeriod.count()),
                        static_cast<DWORD>(settings.bulkPeriod.count()),
                        static_cast<DWORD>(settings.bulkItemCount), settings.offersSyncIo),
        "Reset");
}

void SimulatedDeviceControl::SetServerState(OPCSERVERSTATE state) {
  Check(control_->SetServerState(clsid_, state), "SetServerState");
}

void SimulatedDeviceControl::Die() { Check(control_->Die(clsid_), "Die"); }

void SimulatedDeviceControl::Revive() { Check(control_->Revive(clsid_), "Revive"); }

void SimulatedDeviceControl::RefuseAddGroup(HRESULT error) {
  Check(control_->RefuseAddGroup(clsid_, error), "RefuseAddGroup");
}

void SimulatedDeviceControl::RefuseCallbacks(HRESULT error) {
  Check(control_->RefuseCallbacks(clsid_, error), "RefuseCallbacks");
}

void SimulatedDeviceControl::RefuseBrowsing(bool refused) {
  Check(control_->RefuseBrowsing(clsid_, refused), "RefuseBrowsing");
}

void SimulatedDeviceControl::RejectItemIds(const std::vector<WideString>& itemIds, HRESULT error) {
  std::vector<LPWSTR> ids;
  for (const WideString& id : itemIds) ids.push_back(const_cast<LPWSTR>(id.c_str()));
  Check(control_->RejectItemIds(clsid_, static_cast<DWORD>(ids.size()), ids.data(), error),
        "RejectItemIds");
}

void SimulatedDeviceControl::RequestShutdown(const WideString& reason) {
  Check(control_->RequestShutdown(clsid_, reason.c_str()), "RequestShutdown");
}

std::vector<JournalEntry> SimulatedDeviceControl::JournalEntries(std::string_view call) {
  DWORD count = 0;
  SIMULATEDCALL* entries = nullptr;
  Check(control_->JournalEntries(clsid_, AnsiToWide(call).c_str(), &count, &entries),
        "JournalEntries");
  std::vector<JournalEntry> result;
  for (DWORD index = 0; index < count; ++index) {
    result.push_back({std::string(call), entries[index].szGroup, entries[index].dwArgument});
    CoTaskMemFree(entries[index].szGroup);
  }
  CoTaskMemFree(entries);
  return result;
}

DWORD SimulatedDeviceControl::ServerProcessId() {
  DWORD processId = 0;
  Check(control_->ProcessId(&processId), "ProcessId");
  return processId;
}

}  // namespace tavrel::opcsim
