#include "platform/process/single_instance.h"

#include <windows.h>

#include "common/code_page.h"

namespace tavrel {

SingleInstanceLock::SingleInstanceLock(std::string_view name) {
  const WideString wideName = AnsiToWide(name);
  const HANDLE semaphore = CreateSemaphoreW(nullptr, 1, 1, wideName.c_str());
  if (semaphore == nullptr) return;  // refused: one of another account, or a name of another kind
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(semaphore);
    return;
  }
  lock_ = reinterpret_cast<std::intptr_t>(semaphore);
}

SingleInstanceLock::~SingleInstanceLock() {
  if (held()) CloseHandle(reinterpret_cast<HANDLE>(lock_));
}

std::optional<pid_t> SingleInstanceLock::Holder(std::string_view) { return std::nullopt; }

std::optional<std::string> SingleInstanceLock::LockPath(std::string_view) { return std::nullopt; }

}  // namespace tavrel
