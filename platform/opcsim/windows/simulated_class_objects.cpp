#include "platform/opcsim/windows/simulated_class_objects.h"

#include "platform/com/com_ptr.h"
#include "platform/opcda/opc_ids.h"
#include "platform/opcsim/simulated_class.h"
#include "platform/opcsim/windows/class_keys.h"
#include "platform/opcsim/windows/simulated_class_factory.h"

namespace tavrel::opcsim {

SimulatedClassObjects::SimulatedClassObjects(DWORD context, DWORD flags) {
  for (const BuiltInClass& builtIn : kBuiltInClasses) {
    const ComPtr<SimulatedClassFactory> factory =
        MakeComObject<SimulatedClassFactory>(*FindSimulatedClass(builtIn.clsid, ""));
    DWORD cookie = 0;
    const HRESULT registered = CoRegisterClassObject(
        builtIn.clsid, static_cast<IClassFactory*>(factory.Get()), context, flags, &cookie);
    if (FAILED(registered)) {
      result_ = registered;
      return;
    }
    cookies_.push_back(cookie);
  }
}

SimulatedClassObjects::~SimulatedClassObjects() {
  for (const DWORD cookie : cookies_) CoRevokeClassObject(cookie);
}

LSTATUS WriteSimulatedClassKeys() {
  for (const BuiltInClass& builtIn : kBuiltInClasses) {
    ClassKeys keys{builtIn.progId, builtIn.clsid, builtIn.description, {}, true};
    if (builtIn.profile != ServerProfile::kLegacy) keys.categories = {CATID_OPCDAServer20};
    if (const LSTATUS status = WriteClassKeys(keys); status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

}  // namespace tavrel::opcsim
