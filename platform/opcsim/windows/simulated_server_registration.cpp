// The simulated classes in the system's COM runtime, for this process: class objects
// registered from a thread that stays in the multithreaded apartment for the life of the
// process (registrations end with their apartment, which would otherwise end whenever the
// last of the program's own threads left COM), and the classes' keys for the current user.
#include <cstdio>
#include <future>
#include <mutex>
#include <thread>

#include "platform/com/com_apartment.h"
#include "platform/com/node_name.h"
#include "platform/opcsim/simulated_class.h"
#include "platform/opcsim/simulated_servers.h"
#include "platform/opcsim/windows/simulated_class_objects.h"

namespace tavrel::opcsim {

namespace {

// The class objects and the thread whose apartment holds them, until the process ends.
class ProcessClassObjects {
 public:
  ProcessClassObjects() {
    std::promise<HRESULT> registered;
    std::future<HRESULT> result = registered.get_future();
    thread_ =
        std::thread([registered = std::move(registered), ended = end_.get_future()]() mutable {
          const ComApartment apartment;
          const SimulatedClassObjects objects(CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE);
          registered.set_value(objects.Result());
          ended.wait();
        });
    if (const HRESULT status = result.get(); FAILED(status)) {
      std::fprintf(stderr, "simulated servers: class objects not registered (0x%08lX)\n",
                   static_cast<unsigned long>(status));
    }
  }
  ~ProcessClassObjects() {
    end_.set_value();
    thread_.join();
  }
  ProcessClassObjects(const ProcessClassObjects&) = delete;
  ProcessClassObjects& operator=(const ProcessClassObjects&) = delete;

 private:
  std::promise<void> end_;
  std::thread thread_;
};

}  // namespace

void RegisterSimulatedServers() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    if (const LSTATUS status = WriteSimulatedClassKeys(); status != ERROR_SUCCESS) {
      std::fprintf(stderr, "simulated servers: class keys not written (error %ld)\n",
                   static_cast<long>(status));
    }
    static const ProcessClassObjects objects;
  });
}

std::optional<SimulatedClass> FindSimulatedClass(const CLSID& clsid, std::string_view node) {
  if (!IsThisComputer(node)) return std::nullopt;
  for (const BuiltInClass& builtIn : kBuiltInClasses) {
    if (builtIn.clsid == clsid) {
      return SimulatedClass{builtIn.clsid, builtIn.progId, builtIn.profile, {}};
    }
  }
  return std::nullopt;
}

}  // namespace tavrel::opcsim
