#include <windows.h>

#include "tools/utf8_console.h"

namespace tavrel {

// GetConsoleOutputCP answers 0 when the process has no console.
Utf8Console::Utf8Console() {
  const UINT current = GetConsoleOutputCP();
  if (current != 0 && current != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
    previousCodePage_ = current;
  }
}

Utf8Console::~Utf8Console() {
  if (previousCodePage_ != 0) SetConsoleOutputCP(previousCodePage_);
}

}  // namespace tavrel
