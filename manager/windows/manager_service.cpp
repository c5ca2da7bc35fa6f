#include "manager/windows/manager_service.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>

#include "platform/process/quit_request.h"

namespace tavrel {

namespace {

// The manager stops the bridge within about 10 seconds of a stop, then ends.
constexpr DWORD kStopWaitHintMs = 15'000;

// The one service of this process, for the Service Control Manager's call-backs; set before
// the dispatcher starts and kept until it returns.
struct Service {
  std::function<int()> manager;
  SERVICE_STATUS_HANDLE status = nullptr;
  int exitCode = 1;
};
Service* service = nullptr;

void Report(DWORD state, int exitCode = 0, DWORD waitHintMs = 0) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted =
      state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
  status.dwWin32ExitCode = exitCode == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
  status.dwServiceSpecificExitCode = static_cast<DWORD>(exitCode);
  status.dwWaitHint = waitHintMs;
  SetServiceStatus(service->status, &status);
}

DWORD WINAPI OnControl(DWORD control, DWORD, void*, void*) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
      Report(SERVICE_STOP_PENDING, 0, kStopWaitHintMs);
      RequestQuit();
      return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
      return NO_ERROR;
    default:
      return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
  service->status = RegisterServiceCtrlHandlerExA(kManagerServiceName, &OnControl, nullptr);
  if (service->status == nullptr) return;
  Report(SERVICE_RUNNING);
  service->exitCode = service->manager();
  Report(SERVICE_STOPPED, service->exitCode);
}

}  // namespace

int RunAsService(std::function<int()> manager) {
  Service running{.manager = std::move(manager)};
  service = &running;
  std::string name = kManagerServiceName;  // the table takes a writable text
  SERVICE_TABLE_ENTRYA table[] = {{name.data(), &ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherA(table)) {
    std::fprintf(stderr,
                 "Morvane: --service is for the Service Control Manager, which did not start "
                 "this process (error %lu)\n",
                 static_cast<unsigned long>(GetLastError()));
    service = nullptr;
    return 1;
  }
  service = nullptr;
  return running.exitCode;
}

}  // namespace tavrel
