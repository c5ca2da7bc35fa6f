#include "platform/process/process_end.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <string_view>

#include "platform/process/windows/handle_wait.h"
#include "platform/process/windows/owned_handle.h"
#include "platform/process/windows/quit_message.h"

namespace tavrel {

namespace {

struct PostedMessage {
  DWORD pid;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  int quitWindows = 0;
};

bool IsQuitWindow(HWND window) {
  wchar_t name[std::size(kQuitWindowClass) + 1] = {};
  const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return length > 0 &&
         std::wstring_view(name, static_cast<std::size_t>(length)) == kQuitWindowClass;
}

BOOL CALLBACK PostIfOfProcess(HWND window, LPARAM context) {
  auto& post = *reinterpret_cast<PostedMessage*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == post.pid && PostMessageW(window, post.message, post.wParam, post.lParam) &&
      IsQuitWindow(window)) {
    ++post.quitWindows;
  }
  return TRUE;
}

}  // namespace

int PostToTopLevelWindows(DWORD pid, UINT message, WPARAM wParam, LPARAM lParam) {
  PostedMessage post{pid, message, wParam, lParam};
  EnumWindows(PostIfOfProcess, reinterpret_cast<LPARAM>(&post));
  return post.quitWindows;
}

// A process that is still starting has no quit window yet: the message is posted again every
// kRepostPeriod until its quit window has taken it, while the wait for its end goes on.
bool AskToQuitAndWaitForEnd(pid_t pid, std::chrono::milliseconds timeout) {
  constexpr std::chrono::milliseconds kRepostPeriod{50};
  const OwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  // An id that names no process any more fails as an invalid parameter: it has ended.
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  const auto start = std::chrono::steady_clock::now();
  const auto left = [&] {  // rounded up, so that the whole timeout is waited
    return timeout -
           std::chrono::floor<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  };
  while (PostToTopLevelWindows(static_cast<DWORD>(pid), kQuitMessage, kQuitMessageParameter,
                               static_cast<LPARAM>(kQuitMessageParameter)) == 0) {
    if (WaitForHandle(process.get(), std::min(kRepostPeriod, left()))) return true;
    if (left() <= std::chrono::milliseconds::zero()) return false;
  }
  return WaitForHandle(process.get(), left());
}

}  // namespace tavrel
