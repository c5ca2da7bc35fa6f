// The control class of the simulated servers: the object through which a test stages faults
// on a simulated class's device and reads its call journal (simulation_control.idl), in the
// test's process or in the process that serves the classes.
//
//   OPCSim.Control.1  {3901D18F-AE9F-47E5-A4E4-4168EDE4DF50}
//
// It is registered with the simulated classes and is no OPC server (no category, no OPC mark).
#pragma once

#include "platform/com/com_api.h"
#include "platform/com/com_object.h"

namespace tavrel {

#include "platform/opcsim/simulation_control_declarations.h"
COM_INTERFACE_ID(ISimulationControl);

}  // namespace tavrel

namespace tavrel::opcsim {

inline constexpr CLSID CLSID_OPCSimControl = {
    0x3901D18F, 0xAE9F, 0x47E5, {0xA4, 0xE4, 0x41, 0x68, 0xED, 0xE4, 0xDF, 0x50}};
inline constexpr const char* kOpcSimControlProgId = "OPCSim.Control.1";
inline constexpr const char* kOpcSimControlDescription = "OPCSim Simulation Control";

// The control object: it acts on the devices of this process's simulated classes on this
// computer (simulated_servers.h).
class SimulationControl final : public ComObject<ISimulationControl> {
 public:
  STDMETHODIMP Reset(REFCLSID clsid, DWORD minimumUpdateRate, DWORD signalPeriod, DWORD bulkPeriod,
                     DWORD bulkItems, BOOL syncIo) override;
  STDMETHODIMP SetServerState(REFCLSID clsid, DWORD state) override;
  STDMETHODIMP Die(REFCLSID clsid) override;
  STDMETHODIMP Revive(REFCLSID clsid) override;
  STDMETHODIMP RefuseAddGroup(REFCLSID clsid, HRESULT error) override;
  STDMETHODIMP RefuseBrowsing(REFCLSID clsid, BOOL refused) override;
  STDMETHODIMP RefuseCallbacks(REFCLSID clsid, HRESULT error) override;
  STDMETHODIMP RejectItemIds(REFCLSID clsid, DWORD count, LPWSTR* itemIds, HRESULT error) override;
  STDMETHODIMP RequestShutdown(REFCLSID clsid, LPCWSTR reason) override;
  STDMETHODIMP ProcessId(DWORD* processId) override;
  STDMETHODIMP JournalEntries(REFCLSID clsid, LPCWSTR call, DWORD* count,
                              SIMULATEDCALL** entries) override;
};

}  // namespace tavrel::opcsim
