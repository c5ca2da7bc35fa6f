#include "platform/process/end_process.h"

#include <unistd.h>

namespace tavrel {

void EndProcessNow(int exitCode) { _exit(exitCode); }

}  // namespace tavrel
