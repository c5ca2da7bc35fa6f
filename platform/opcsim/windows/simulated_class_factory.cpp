#include "platform/opcsim/windows/simulated_class_factory.h"

namespace tavrel::opcsim {

STDMETHODIMP SimulatedClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return ConnectSimulatedServer(simulated_, "", iid, object);
}

STDMETHODIMP SimulatedClassFactory::LockServer(BOOL lock) {
  if (lock) {
    CoAddRefServerProcess();
  } else {
    CoReleaseServerProcess();
  }
  return S_OK;
}

}  // namespace tavrel::opcsim
