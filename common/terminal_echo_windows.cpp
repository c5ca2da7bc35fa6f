// EchoToTerminal (terminal_echo.h) on Windows: a console takes the line as UTF-16
// (WriteConsoleW), whatever its code page; a descriptor that is no console gets nothing.
#include <io.h>
#include <windows.h>

#include <string>

#include "common/code_page.h"
#include "common/terminal_echo.h"
#include "common/wide_string.h"

namespace tavrel {

void EchoToTerminal(std::string_view program, std::string_view text, int fd) {
  const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) return;
  std::string line(program);
  line += ": ";
  line += text;
  line += '\n';
  const WideString wide = AnsiToWide(line);
  // A console that cannot take the line loses it; the log file has it.
  DWORD written = 0;
  WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace tavrel
