#include "platform/process/process_end.h"

#include <windows.h>

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
  int posted = 0;
};

BOOL CALLBACK PostIfOfProcess(HWND window, LPARAM context) {
  auto& post = *reinterpret_cast<PostedMessage*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == post.pid && PostMessageW(window, post.message, post.wParam, post.lParam)) {
    ++post.posted;
  }
  return TRUE;
}

}  // namespace

int PostToTopLevelWindows(DWORD pid, UINT message, WPARAM wParam, LPARAM lParam) {
  PostedMessage post{pid, message, wParam, lParam};
  EnumWindows(PostIfOfProcess, reinterpret_cast<LPARAM>(&post));
  return post.posted;
}

bool AskToQuitAndWaitForEnd(pid_t pid, std::chrono::milliseconds timeout) {
  const OwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)));
  // An id that names no process any more fails as an invalid parameter: it has ended.
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  PostToTopLevelWindows(static_cast<DWORD>(pid), kQuitMessage, kQuitMessageParameter,
                        static_cast<LPARAM>(kQuitMessageParameter));
  return WaitForHandle(process.get(), timeout);
}

}  // namespace tavrel
