// Installs the crash report and then fails on purpose, as the crash report test asks:
//   crash_report_test_helper <program directory> <current directory> <how>
// <how> is one of: segv, abort, bus, fpe, ill, overflow, thread.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <thread>

#include "common/crash_report.h"

namespace tavrel {

namespace {

// Volatile, so that the compiler cannot see through the bad address or the endless recursion.
int* volatile badAddress = reinterpret_cast<int*>(0x10);
volatile bool keepRecursing = true;

int Recurse(int depth) {
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  if (keepRecursing) return Recurse(depth + 1) + frame[0];
  return frame[0];
}

void Fail(const char* how) {
  if (std::strcmp(how, "segv") == 0) *badAddress = 1;
  if (std::strcmp(how, "abort") == 0) abort();
  if (std::strcmp(how, "bus") == 0) raise(SIGBUS);
  if (std::strcmp(how, "fpe") == 0) raise(SIGFPE);
  if (std::strcmp(how, "ill") == 0) __builtin_trap();
  if (std::strcmp(how, "overflow") == 0) Recurse(0);
  if (std::strcmp(how, "thread") == 0) {
    std::thread([] {
      const CrashSignalStack stack;
      *badAddress = 2;
    }).join();
  }
}

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  // The test looks at the report; a core file would only fill the disk.
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  if (argc != 4 || chdir(argv[2]) != 0 || !InstallCrashReport(argv[1])) {
    std::fprintf(stderr, "usage: %s <program directory> <current directory> <how>\n", argv[0]);
    return 2;
  }
  Fail(argv[3]);
  return 1;  // the failure did not happen
}
