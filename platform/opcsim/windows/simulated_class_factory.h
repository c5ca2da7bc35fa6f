// SimulatedClassFactory: the class object of one simulated class (simulated_class.h), for
// CoRegisterClassObject. Every instance it makes is a new connection to the class's device
// on this computer, so that all clients of the class share its values and faults, in this
// process or, through an out-of-process server's registration, in others.
#pragma once

#include <utility>

#include "platform/com/com_object.h"
#include "platform/opcsim/simulated_class.h"

namespace tavrel {
COM_INTERFACE_ID(IClassFactory);
}  // namespace tavrel

namespace tavrel::opcsim {

class SimulatedClassFactory final : public ComObject<IClassFactory> {
 public:
  explicit SimulatedClassFactory(SimulatedClass simulated) : simulated_(std::move(simulated)) {}

  // CLASS_E_NOAGGREGATION with an outer object (the servers cannot be aggregated); otherwise
  // the connection's result (ConnectSimulatedServer).
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  // Counts on the server process's reference count (CoAddRefServerProcess), which keeps an
  // out-of-process server running while a client holds a lock.
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  const SimulatedClass simulated_;
};

}  // namespace tavrel::opcsim
