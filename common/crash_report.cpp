#include "common/crash_report.h"

#include <execinfo.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string_view>

#include "common/crash_report_path.h"
#include "common/signal_safe_text.h"

namespace tavrel {

namespace {

constexpr std::size_t kSignalStackSize = 128 * 1024;
constexpr int kStackFrames = 64;

struct FatalSignal {
  int number;
  const char* name;
};
constexpr FatalSignal kFatalSignals[] = {
    {SIGSEGV, "SIGSEGV"}, {SIGBUS, "SIGBUS"},   {SIGFPE, "SIGFPE"},
    {SIGILL, "SIGILL"},   {SIGABRT, "SIGABRT"},
};

// Everything the handler needs is prepared at installation, in static storage.
char errorLogPath[PATH_MAX + 32];
std::int64_t utcOffsetSeconds = 0;
alignas(16) char mainSignalStack[kSignalStackSize];
// The kernel thread id of the thread writing a report; 0 while there is none.
std::atomic<long> reportingThread{0};
static_assert(std::atomic<long>::is_always_lock_free);

void WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

const char* SignalName(int number) {
  for (const FatalSignal& fatal : kFatalSignals) {
    if (fatal.number == number) return fatal.name;
  }
  return "unknown";
}

void AppendNow(SignalSafeText& text) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  AppendLogTime(text, now.tv_sec, static_cast<int>(now.tv_nsec / 1000000), utcOffsetSeconds);
}

void WriteDumpFile(int number, const siginfo_t* info, long thread) {
  const int fd = ::open(kCrashDumpFileName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  char buffer[512];
  SignalSafeText text(buffer, sizeof buffer);
  text.Append("signal: ").AppendDecimal(number).Append(" ").Append(SignalName(number));
  text.Append("\ncode: ").AppendDecimal(info->si_code);
  if (info->si_code > 0) {
    // Raised by the kernel for a faulting instruction: si_addr is the address at fault.
    text.Append("\naddress: ").AppendHex(reinterpret_cast<std::uintptr_t>(info->si_addr));
  } else {
    // Sent by a process (kill, raise, abort): there is no fault address, only a sender.
    text.Append("\naddress: none, sent by process ").AppendDecimal(info->si_pid);
  }
  text.Append("\ntime: ");
  AppendNow(text);
  text.Append("\nthread: ").AppendDecimal(thread).Append("\nstack:\n");
  WriteAll(fd, text.View());
  void* frames[kStackFrames];
  const int count = backtrace(frames, kStackFrames);
  backtrace_symbols_fd(frames, count, fd);
  ::close(fd);
}

void WriteErrorLogLine() {
  const int fd = ::open(errorLogPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  char buffer[128];
  SignalSafeText text(buffer, sizeof buffer);
  AppendNow(text);
  text.Append(" ").Append("客户端出现异常退出！").Append("\r\n");
  // One write, as every log line: it must not mix with another writer's line.
  (void)::write(fd, text.View().data(), text.View().size());
  ::close(fd);
}

[[noreturn]] void EndBySignal(int number) {
  struct sigaction defaultAction {};
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  sigaction(number, &defaultAction, nullptr);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, number);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(number);
  // Reached only when the default action did not end the process.
  _exit(128 + number);
}

void OnFatalSignal(int number, siginfo_t* info, void*) {
  const long self = syscall(SYS_gettid);
  long idle = 0;
  if (!reportingThread.compare_exchange_strong(idle, self)) {
    if (idle == self) EndBySignal(number);  // the report itself failed
    // Another thread is reporting and will end the process; give it time, then end anyway.
    const timespec pause{1, 0};
    for (int second = 0; second < 30; ++second) nanosleep(&pause, nullptr);
    EndBySignal(number);
  }
  WriteDumpFile(number, info, self);
  WriteErrorLogLine();
  EndBySignal(number);
}

bool UseSignalStack(char* memory, std::size_t size) {
  stack_t stack{};
  stack.ss_sp = memory;
  stack.ss_size = size;
  return sigaltstack(&stack, nullptr) == 0;
}

}  // namespace

bool InstallCrashReport(const std::string& programDirectory) {
  if (!FormErrorLogPath(programDirectory, errorLogPath)) return false;

  const time_t now = time(nullptr);
  tm local{};
  if (localtime_r(&now, &local) != nullptr) utcOffsetSeconds = local.tm_gmtoff;

  // The first backtrace() loads the unwinder, which allocates; do it now, not in the handler.
  void* frame = nullptr;
  backtrace(&frame, 1);

  if (!UseSignalStack(mainSignalStack, sizeof mainSignalStack)) return false;
  struct sigaction action {};
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (const FatalSignal& fatal : kFatalSignals) sigaddset(&action.sa_mask, fatal.number);
  for (const FatalSignal& fatal : kFatalSignals) {
    if (sigaction(fatal.number, &action, nullptr) != 0) return false;
  }
  return true;
}

CrashSignalStack::CrashSignalStack() : memory_(new char[kSignalStackSize]) {
  active_ = UseSignalStack(memory_.get(), kSignalStackSize);
}

CrashSignalStack::~CrashSignalStack() {
  if (!active_) return;
  stack_t disabled{};
  disabled.ss_flags = SS_DISABLE;
  sigaltstack(&disabled, nullptr);
}

}  // namespace tavrel
