// The quit requests on Windows: console control events, the end of the session and the quit
// message at a hidden top-level window, gathered into one auto-reset event that the waits take.
//
// The window lives on a thread of its own, so that it answers while the program's threads are
// busy or waiting; it is made once and stays until the process ends, and nothing waits for its
// thread at the end (the handlers may hold on until the process ends, see quit_request.h).
#include "platform/process/quit_request.h"

#include <windows.h>

#include <future>
#include <mutex>
#include <thread>
#include <utility>

#include "common/wide_string.h"
#include "platform/process/windows/handle_wait.h"
#include "platform/process/windows/quit_event.h"
#include "platform/process/windows/quit_message.h"

namespace tavrel {

HANDLE QuitRequestEvent() {
  static const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return event;
}

namespace {

// After a close, logoff or shutdown event, or at the end of the session, the system ends the
// process once the handler returns: the handler holds on until the orderly stop has ended the
// process (or the system's limit runs out).
[[noreturn]] void HoldOnUntilTheProcessEnds() {
  while (true) Sleep(INFINITE);
}

BOOL WINAPI OnConsoleControl(DWORD event) {
  RequestQuit();
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) HoldOnUntilTheProcessEnds();
  return TRUE;
}

LRESULT CALLBACK QuitWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kQuitMessage:
      if (wParam == kQuitMessageParameter) RequestQuit();
      return 0;
    case WM_ENDSESSION:
      if (wParam) {
        RequestQuit();
        HoldOnUntilTheProcessEnds();
      }
      return 0;
    case WM_CLOSE:
      // The window's close (taskkill without /F sends it) is the program's: the window stays
      // for the life of the process.
      RequestQuit();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Makes the hidden window on this thread and runs its message loop; `made` is set once the
// window exists (or could not be made).
void RunQuitWindow(std::promise<void> made) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = QuitWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kQuitWindowClass;
  RegisterClassExW(&windowClass);
  // A top-level window (not a message-only one), so that a search of the top-level windows of
  // the process finds it; never shown.
  const HWND window = CreateWindowExW(0, windowClass.lpszClassName, OLESTR(""), WS_POPUP, 0, 0, 0,
                                      0, nullptr, nullptr, instance, nullptr);
  made.set_value();
  if (window == nullptr) return;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

}  // namespace

void ListenForQuitRequests() {
  static std::once_flag once;
  std::call_once(once, [] {
    QuitRequestEvent();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    std::promise<void> made;
    const std::future<void> windowMade = made.get_future();
    std::thread(RunQuitWindow, std::move(made)).detach();
    windowMade.wait();
  });
}

void RequestQuit() { SetEvent(QuitRequestEvent()); }

void WaitForQuitRequest() { WaitForSingleObject(QuitRequestEvent(), INFINITE); }

bool WaitForQuitRequestFor(std::chrono::milliseconds timeout) {
  return WaitForHandle(QuitRequestEvent(), timeout);
}

}  // namespace tavrel
