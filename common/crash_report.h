// The bridge's crash report.
//
// InstallCrashReport makes SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT write a report and end
// the process. When one of them arrives, the handler
//   1. writes the report file kCrashDumpFileName in the process's current directory (created
//      or truncated): the signal, its code, the fault address, the local time as
//      FormatLogTime prints it, the thread and a stack trace of the faulting thread;
//   2. appends the stamped line "客户端出现异常退出！" (CR LF) to
//      <programDirectory>/log/error_log.txt when the `log` directory exists;
//   3. restores the signal's default action and raises it again, so the process ends by that
//      signal (with a core file where the system keeps them).
// The handler runs on an alternate signal stack, so that a stack overflow is reported too, and
// uses only async-signal-safe calls: no allocation, no C streams, no locale or time zone
// look-up. The local time therefore uses the offset from UTC in force at installation.
//
// A second fatal signal in another thread while a report is being written waits for the first
// to end the process; one in the reporting thread itself ends the process at once.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace tavrel {

inline constexpr char kCrashDumpFileName[] = "bridge_error_info.dump";

// Installs the handlers and an alternate signal stack for the calling thread. Call once, at
// the start of the program, on its main thread. False when the paths are too long or a
// handler could not be installed.
bool InstallCrashReport(const std::string& programDirectory);

// An alternate signal stack for the calling thread, for threads other than the one that
// installed the crash report: without one, a stack overflow in that thread ends the process
// without a report. Create it at the top of the thread's function; it must be destroyed on the
// same thread.
class CrashSignalStack {
 public:
  CrashSignalStack();
  ~CrashSignalStack();
  CrashSignalStack(const CrashSignalStack&) = delete;
  CrashSignalStack& operator=(const CrashSignalStack&) = delete;

  // True when the stack is in use.
  bool Active() const { return active_; }

 private:
  std::unique_ptr<char[]> memory_;
  bool active_ = false;
};

}  // namespace tavrel
