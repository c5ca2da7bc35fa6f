#include "platform/com/linux/last_error.h"

namespace tavrel {

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD errorCode) { lastError = errorCode; }

}  // namespace tavrel
