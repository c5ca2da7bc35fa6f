#include "platform/opcsim/windows/simulated_class_factory.h"

#include "platform/opcsim/simulation_control.h"

namespace tavrel::opcsim {

ComPtr<SimulatedClassFactory> SimulatedClassFactory::ForClass(SimulatedClass simulated) {
  return MakeComObject<SimulatedClassFactory>(
      [simulated = std::move(simulated)](REFIID iid, void** object) {
        return ConnectSimulatedServer(simulated, "", iid, object);
      });
}

ComPtr<SimulatedClassFactory> SimulatedClassFactory::ForControl() {
  return MakeComObject<SimulatedClassFactory>([](REFIID iid, void** object) {
    return MakeComObject<SimulationControl>()->QueryInterface(iid, object);
  });
}

STDMETHODIMP SimulatedClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return create_(iid, object);
}

STDMETHODIMP SimulatedClassFactory::LockServer(BOOL lock) {
  locks_ += lock ? 1 : -1;
  return S_OK;
}

}  // namespace tavrel::opcsim
