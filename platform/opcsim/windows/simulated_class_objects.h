// The built-in simulated classes registered with the system's COM runtime: their class
// objects and their keys. An out-of-process server of the simulated classes is built on these
// as the in-process registration (RegisterSimulatedServers) is.
#pragma once

#include <vector>

#include "platform/com/com_api.h"
#include "platform/opcsim/windows/class_keys.h"

namespace tavrel::opcsim {

// A SimulatedClassFactory for each built-in class and the control class, registered with
// CoRegisterClassObject
// (`context`, `flags`: REGCLS_MULTIPLEUSE lets every activation use it) for the life of this
// object. The registrations belong to the apartment of the constructing thread, which must
// have entered COM, and end with it; destroy the object in that apartment.
class SimulatedClassObjects {
 public:
  SimulatedClassObjects(DWORD context, DWORD flags);
  ~SimulatedClassObjects();
  SimulatedClassObjects(const SimulatedClassObjects&) = delete;
  SimulatedClassObjects& operator=(const SimulatedClassObjects&) = delete;

  // S_OK when every class was registered, else the first failure (the classes registered
  // before it stay registered).
  HRESULT Result() const { return result_; }

 private:
  std::vector<DWORD> cookies_;
  HRESULT result_ = S_OK;
};

// The ProgID and CLSID keys of the built-in classes (class_keys.h), each one an OPC server, the
// DA 2.0 ones in the DA 2.0 server category; and those of the control class.
std::vector<ClassKeys> SimulatedClassKeys();

// Writes them for the current user. ERROR_SUCCESS or the first failure's code.
LSTATUS WriteSimulatedClassKeys();

}  // namespace tavrel::opcsim
