// The crash report on Windows: the process's unhandled-exception filter.
//
// On an exception that nothing handles, the filter
//   1. writes a minidump to kCrashDumpFileName in the process's current directory (created or
//      replaced): every thread and module, the modules' data sections left out except ntdll's,
//      with the exception of the faulting thread;
//   2. appends the stamped line "客户端出现异常退出！" (CR LF) to
//      <programDirectory>/log/error_log.txt when the `log` directory exists;
//   3. answers EXCEPTION_EXECUTE_HANDLER, so that the process ends with the exception's code
//      and without the system's error dialog.
// The filter is not made permanent by patching the system's SetUnhandledExceptionFilter in
// memory: on x64 no such patch is sound, and the C runtime does not replace the filter.
// A second exception in another thread while a report is being written waits for the first
// report to end the process. CrashSignalStack has nothing to do on Windows.
#include <windows.h>
// dbghelp.h needs windows.h first.
#include <dbghelp.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

#include "common/crash_report.h"
#include "common/crash_report_path.h"
#include "common/log_time.h"
#include "common/wide_string.h"

namespace tavrel {

namespace {

char errorLogPath[MAX_PATH];
std::atomic<DWORD> reportingThread{0};

// Every thread and module; the modules' data sections only for ntdll, whose state tells how
// the process came to fail.
BOOL CALLBACK ChooseDumpContent(void*, const PMINIDUMP_CALLBACK_INPUT input,
                                PMINIDUMP_CALLBACK_OUTPUT output) {
  if (input == nullptr || output == nullptr) return FALSE;
  switch (input->CallbackType) {
    case IncludeThreadCallback:
    case ThreadCallback:
    case ThreadExCallback:
    case IncludeModuleCallback:
      return TRUE;
    case ModuleCallback: {
      WideStringView name = input->Module.FullPath != nullptr ? input->Module.FullPath : OLESTR("");
      name.remove_prefix(std::min(name.size(), name.find_last_of(OLESTR("\\/")) + 1));
      name = name.substr(0, name.find(OLESTR('.')));
      static constexpr WideStringView kNtdll = OLESTR("ntdll");
      if (name.size() != kNtdll.size() || _wcsnicmp(name.data(), kNtdll.data(), name.size()) != 0) {
        output->ModuleWriteFlags &= ~ModuleWriteDataSeg;
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

void WriteDump(EXCEPTION_POINTERS* exception) {
  const HANDLE file =
      CreateFileA(kCrashDumpFileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  MINIDUMP_EXCEPTION_INFORMATION information{GetCurrentThreadId(), exception, FALSE};
  MINIDUMP_CALLBACK_INFORMATION callback{&ChooseDumpContent, nullptr};
  MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal,
                    exception != nullptr ? &information : nullptr, nullptr, &callback);
  CloseHandle(file);
}

void WriteErrorLogLine() {
  const HANDLE file =
      CreateFileA(errorLogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  static constexpr std::string_view kText = " 客户端出现异常退出！\r\n";
  char line[64 + kText.size()];
  std::size_t length = FormatLogTime(line, 64);
  std::memcpy(line + length, kText.data(), kText.size());
  length += kText.size();
  // One write, as every log line: it must not mix with another writer's line.
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
  DWORD idle = 0;
  if (!reportingThread.compare_exchange_strong(idle, GetCurrentThreadId())) {
    // The report itself failed, or another thread reports and will end the process.
    if (idle == GetCurrentThreadId()) return EXCEPTION_EXECUTE_HANDLER;
    Sleep(30'000);
    return EXCEPTION_EXECUTE_HANDLER;
  }
  WriteDump(exception);
  WriteErrorLogLine();
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

bool InstallCrashReport(const std::string& programDirectory) {
  if (!FormErrorLogPath(programDirectory, errorLogPath)) return false;
  SetUnhandledExceptionFilter(&OnUnhandledException);
  return true;
}

CrashSignalStack::CrashSignalStack() = default;

CrashSignalStack::~CrashSignalStack() = default;

}  // namespace tavrel
