#include "platform/opcsim/windows/simulated_class_objects.h"

#include "platform/com/com_ptr.h"
#include "platform/opcda/opc_ids.h"
#include "platform/opcsim/simulated_class.h"
#include "platform/opcsim/simulation_control.h"
#include "platform/opcsim/windows/class_keys.h"
#include "platform/opcsim/windows/simulated_class_factory.h"

namespace tavrel::opcsim {

SimulatedClassObjects::SimulatedClassObjects(DWORD context, DWORD flags) {
  const auto add = [&](const CLSID& clsid, const ComPtr<SimulatedClassFactory>& factory) {
    DWORD cookie = 0;
    const HRESULT registered = CoRegisterClassObject(
        clsid, static_cast<IClassFactory*>(factory.Get()), context, flags, &cookie);
    if (SUCCEEDED(registered)) cookies_.push_back(cookie);
    return registered;
  };
  for (const BuiltInClass& builtIn : kBuiltInClasses) {
    result_ =
        add(builtIn.clsid, SimulatedClassFactory::ForClass(*FindSimulatedClass(builtIn.clsid, "")));
    if (FAILED(result_)) return;
  }
  result_ = add(CLSID_OPCSimControl, SimulatedClassFactory::ForControl());
}

SimulatedClassObjects::~SimulatedClassObjects() {
  for (const DWORD cookie : cookies_) CoRevokeClassObject(cookie);
}

std::vector<ClassKeys> SimulatedClassKeys() {
  std::vector<ClassKeys> classes;
  for (const BuiltInClass& builtIn : kBuiltInClasses) {
    ClassKeys keys{builtIn.progId, builtIn.clsid, builtIn.description, {}, true};
    if (builtIn.profile != ServerProfile::kLegacy) keys.categories = {CATID_OPCDAServer20};
    classes.push_back(std::move(keys));
  }
  classes.push_back(
      {kOpcSimControlProgId, CLSID_OPCSimControl, kOpcSimControlDescription, {}, false});
  return classes;
}

LSTATUS WriteSimulatedClassKeys() {
  for (const ClassKeys& keys : SimulatedClassKeys()) {
    if (const LSTATUS status = WriteClassKeys(keys); status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

}  // namespace tavrel::opcsim
