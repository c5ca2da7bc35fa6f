// Installs the crash report and then fails on purpose, as the crash report test asks:
//   crash_report_test_helper <program directory> <how>
// <how> is "access" (a write to a bad address) or "thread" (the same in a second thread).
#include <cstring>
#include <thread>

#include "common/crash_report.h"

namespace tavrel {

namespace {

// Volatile, so that the compiler cannot see through the bad address.
int* volatile badAddress = reinterpret_cast<int*>(0x10);

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  if (argc != 3 || !InstallCrashReport(argv[1])) return 2;
  if (std::strcmp(argv[2], "access") == 0) *badAddress = 1;
  if (std::strcmp(argv[2], "thread") == 0) std::thread([] { *badAddress = 2; }).join();
  return 3;  // not failed as asked
}
