// SimulatedClassFactory: the class object of one class of the simulated servers' process, for
// CoRegisterClassObject: a simulated class (simulated_class.h), every instance of which is a
// new connection to the class's device on this computer, so that all clients of the class
// share its values and faults, in this process or, through an out-of-process server's
// registration, in others; or the control class (simulation_control.h).
#pragma once

#include <atomic>
#include <functional>
#include <utility>

#include "platform/com/com_object.h"
#include "platform/opcsim/simulated_class.h"

namespace tavrel {
COM_INTERFACE_ID(IClassFactory);
}  // namespace tavrel

namespace tavrel::opcsim {

class SimulatedClassFactory final : public ComObject<IClassFactory> {
 public:
  // Makes an instance and returns its `iid` interface (one reference) in `*object`.
  using Create = std::function<HRESULT(REFIID iid, void** object)>;

  explicit SimulatedClassFactory(Create create) : create_(std::move(create)) {}
  // The factory of a simulated class.
  static ComPtr<SimulatedClassFactory> ForClass(SimulatedClass simulated);
  // The factory of the control class.
  static ComPtr<SimulatedClassFactory> ForControl();

  // CLASS_E_NOAGGREGATION with an outer object (the objects cannot be aggregated); otherwise
  // what making the instance gives (ConnectSimulatedServer for a simulated class).
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  // Counts the locks clients hold on the classes of this process (Locks), which keep an
  // out-of-process server running.
  STDMETHODIMP LockServer(BOOL lock) override;
  static long Locks() { return locks_.load(); }

 private:
  static inline std::atomic<long> locks_{0};
  const Create create_;
};

}  // namespace tavrel::opcsim
