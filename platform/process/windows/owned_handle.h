// A Windows handle that closes itself.
#pragma once

#include <windows.h>

namespace tavrel {

class OwnedHandle {
 public:
  // Takes `handle`; null and INVALID_HANDLE_VALUE (what the calls give on failure) hold nothing.
  explicit OwnedHandle(HANDLE handle = nullptr)
      : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~OwnedHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HANDLE handle_;
};

}  // namespace tavrel
