#include "platform/process/end_process.h"

#include <windows.h>

#include <cstdlib>

namespace tavrel {

void EndProcessNow(int exitCode) {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
  std::_Exit(exitCode);  // only when the system refused the termination
}

}  // namespace tavrel
