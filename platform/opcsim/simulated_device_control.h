// SimulatedDeviceControl: a test's hold on the device of one simulated class, through the
// control class (simulation_control.h), so that the test is the same whether the simulated
// servers run in its process or in a server process of their own.
//
// Every method throws std::runtime_error naming the call and its HRESULT when the control
// fails (the control class is not registered, the class is not simulated there), so that a
// test that cannot stage what it means to stops there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/wide_string.h"
#include "platform/com/com_ptr.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcda/opc_types.h"
#include "platform/opcsim/call_journal.h"
#include "platform/opcsim/simulation_control.h"
#include "platform/opcsim/simulation_settings.h"

namespace tavrel::opcsim {

class SimulatedDeviceControl {
 public:
  // Creates a control object (CoCreateInstance, CLSCTX_ALL); COM must have been entered.
  explicit SimulatedDeviceControl(const CLSID& clsid);

  // A fresh device with `settings` (its fault script aside); connections made before keep the
  // old one.
  void Reset(const SimulationSettings& settings);
  void SetServerState(OPCSERVERSTATE state);
  void Die();
  void Revive();
  void RefuseAddGroup(HRESULT error = E_FAIL);
  void AcceptAddGroup() { RefuseAddGroup(S_OK); }
  void RefuseCallbacks(HRESULT error);
  void RefuseBrowsing(bool refused);
  void RejectItemIds(const std::vector<WideString>& itemIds, HRESULT error = OPC_E_UNKNOWNITEMID);
  void RequestShutdown(const WideString& reason);
  std::vector<JournalEntry> JournalEntries(std::string_view call);
  // The process the simulated classes run in.
  DWORD ServerProcessId();

 private:
  const CLSID clsid_;
  ComPtr<ISimulationControl> control_;
};

}  // namespace tavrel::opcsim
