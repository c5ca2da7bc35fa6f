#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "common/crash_report.h"
#include "common/log_time.h"
#include "common/test_files.h"

namespace tavrel {

namespace {

// Runs the helper in `currentDirectory`, where it fails as `how` says; its exit code, or -1
// when it could not be started.
long RunCrashingHelper(const std::string& programDirectory, const std::string& currentDirectory,
                       const char* how) {
  std::string command = "\"" CRASH_REPORT_TEST_HELPER "\" \"" + programDirectory + "\" " + how;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentDirectory.c_str(), &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<long>(exitCode);
}

class CrashReportTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { std::filesystem::create_directory(programDirectory / "log"); }

  std::string DumpPath() const { return currentDirectory / kCrashDumpFileName; }
  std::string ErrorLog() const { return ReadTestFile(programDirectory / "log/error_log.txt"); }

  TestDirectory programDirectory;
  TestDirectory currentDirectory;
};

TEST_P(CrashReportTest, WritesTheDumpAndTheErrorLogLineAndEndsWithTheExceptionsCode) {
  for (int crash = 1; crash <= 2; ++crash) {
    ASSERT_EQ(RunCrashingHelper(programDirectory.Path(), currentDirectory.Path(), GetParam()),
              static_cast<long>(EXCEPTION_ACCESS_VIOLATION));
    // A minidump, replaced by the second crash; a line per crash, in the log's stamp format.
    EXPECT_EQ(ReadTestFile(DumpPath()).substr(0, 4), "MDMP");
    static const std::string kLine = " 客户端出现异常退出！\r\n";
    const std::string log = ErrorLog();
    ASSERT_EQ(log.size(), crash * (kLogTimeLength + kLine.size())) << log;
    EXPECT_EQ(log.substr(log.size() - kLine.size()), kLine);
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, CrashReportTest, ::testing::Values("access", "thread"));

TEST_F(CrashReportTest, WithoutALogDirectoryOnlyTheDumpIsWritten) {
  std::filesystem::remove(programDirectory / "log");
  ASSERT_EQ(RunCrashingHelper(programDirectory.Path(), currentDirectory.Path(), "access"),
            static_cast<long>(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_TRUE(std::filesystem::exists(DumpPath()));
  EXPECT_FALSE(std::filesystem::exists(programDirectory / "log"));
}

}  // namespace

}  // namespace tavrel
