// opcsim_server: the simulated servers (simulated_servers.h) and their control class
// (simulation_control.h) as an out-of-process COM server, as every real OPC server on Windows
// is one.
//
//   opcsim_server /RegServer    writes the classes' keys for the current user, with this
//                               program as their LocalServer32 (never machine-wide)
//   opcsim_server -Embedding    what COM starts it with: serves the classes from the
//                               multithreaded apartment, and ends once no client has held an
//                               object of it, nor a lock on a class, for kIdleEnd
//
// One process serves every client (REGCLS_MULTIPLEUSE), so that they share each class's device.
// Exit codes: 0 done, 1 a registration failed, 2 a wrong argument.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>

#include "platform/com/com_apartment.h"
#include "platform/com/com_object.h"
#include "platform/com/guid_text.h"
#include "platform/opcda/opc_proxy_registration.h"
#include "platform/opcsim/simulation_control_proxy.h"
#include "platform/opcsim/windows/class_keys.h"
#include "platform/opcsim/windows/simulated_class_factory.h"
#include "platform/opcsim/windows/simulated_class_objects.h"

namespace tavrel::opcsim {

namespace {

using namespace std::chrono_literals;

constexpr auto kIdleEnd = 5s;
constexpr auto kIdleCheck = 100ms;

// The command line COM starts this program with: its own path, quoted.
std::string ServerCommand() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return "\"" + std::string(path, length) + "\"";
}

int Register() {
  const std::string command = ServerCommand();
  for (const ClassKeys& keys : SimulatedClassKeys()) {
    LSTATUS status = WriteClassKeys(keys);
    if (status == ERROR_SUCCESS) {
      status = WriteUserClassKey("CLSID\\" + GuidToString(keys.clsid) + "\\LocalServer32",
                                 command.c_str());
    }
    if (status != ERROR_SUCCESS) {
      std::fprintf(stderr, "opcsim_server: the keys of %s were not written (error %ld)\n",
                   keys.progId.c_str(), static_cast<long>(status));
      return 1;
    }
  }
  std::printf("opcsim_server: %s registered for the current user\n", command.c_str());
  return 0;
}

int Serve() {
  const ComApartment apartment;
  HRESULT hr = RegisterOpcProxies();
  if (SUCCEEDED(hr)) hr = RegisterSimulationControlProxies();
  if (FAILED(hr)) {
    std::fprintf(stderr, "opcsim_server: proxies not registered (0x%08lX)\n",
                 static_cast<unsigned long>(hr));
    return 1;
  }
  // Objects of this process that are no client's: the class factories.
  const std::size_t ownObjects = ComObjectsAlive();
  const SimulatedClassObjects objects(CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED);
  if (SUCCEEDED(objects.Result())) hr = CoResumeClassObjects();
  if (FAILED(objects.Result()) || FAILED(hr)) {
    std::fprintf(stderr, "opcsim_server: class objects not registered (0x%08lX)\n",
                 static_cast<unsigned long>(FAILED(hr) ? hr : objects.Result()));
    return 1;
  }
  const std::size_t factories = ComObjectsAlive() - ownObjects;
  auto idle = std::chrono::steady_clock::duration::zero();
  while (idle < kIdleEnd) {
    std::this_thread::sleep_for(kIdleCheck);
    const bool used =
        ComObjectsAlive() > ownObjects + factories || SimulatedClassFactory::Locks() > 0;
    idle = used ? std::chrono::steady_clock::duration::zero() : idle + kIdleCheck;
  }
  CoSuspendClassObjects();
  return 0;
}

bool IsSwitch(std::string_view argument, std::string_view name) {
  if (argument.empty() || (argument[0] != '/' && argument[0] != '-')) return false;
  argument.remove_prefix(1);
  if (argument.size() != name.size()) return false;
  for (std::size_t index = 0; index < name.size(); ++index) {
    if (std::tolower(static_cast<unsigned char>(argument[index])) !=
        std::tolower(static_cast<unsigned char>(name[index]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

}  // namespace tavrel::opcsim

int main(int argc, char** argv) {
  using namespace tavrel::opcsim;
  if (argc == 2 && IsSwitch(argv[1], "RegServer")) return Register();
  if (argc == 1 || (argc == 2 && IsSwitch(argv[1], "Embedding"))) return Serve();
  std::fprintf(stderr, "usage: opcsim_server [/RegServer | -Embedding]\n");
  return 2;
}
