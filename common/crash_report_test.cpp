#include "common/crash_report.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <regex>

#include "common/test_files.h"

extern char** environ;

namespace tavrel {

namespace {

struct CrashCase {
  const char* how;
  int signal;
};

// Runs the helper, which crashes as `how` says, and returns its wait status.
int RunCrashingHelper(const std::string& programDirectory, const std::string& currentDirectory,
                      const char* how) {
  const std::string helper = CRASH_REPORT_TEST_HELPER;
  std::vector<char*> argv = {
      const_cast<char*>(helper.c_str()), const_cast<char*>(programDirectory.c_str()),
      const_cast<char*>(currentDirectory.c_str()), const_cast<char*>(how), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, helper.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return status;
}

class CrashReportTest : public ::testing::TestWithParam<CrashCase> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(programDirectory.Path().empty());
    ASSERT_FALSE(currentDirectory.Path().empty());
    std::filesystem::create_directory(programDirectory.Path() + "/log");
  }
  std::string DumpPath() const { return currentDirectory.Path() + "/" + kCrashDumpFileName; }
  std::string ErrorLogPath() const { return programDirectory.Path() + "/log/error_log.txt"; }

  TestDirectory programDirectory;
  TestDirectory currentDirectory;
};

TEST_P(CrashReportTest, WritesTheReportAndEndsByTheSignal) {
  const CrashCase crash = GetParam();
  const int status = RunCrashingHelper(programDirectory.Path(), currentDirectory.Path(), crash.how);
  ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
  EXPECT_EQ(WTERMSIG(status), crash.signal);

  const std::string dump = ReadTestFile(DumpPath());
  EXPECT_EQ(dump.substr(0, dump.find('\n')),
            "signal: " + std::to_string(crash.signal) + " SIG" + sigabbrev_np(crash.signal));
  EXPECT_TRUE(std::regex_search(
      dump, std::regex("\ntime: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\d{3}\n")))
      << dump;
  // At least the handler's own frame and the helper's frames are listed.
  const std::size_t stack = dump.find("\nstack:\n");
  ASSERT_NE(stack, std::string::npos) << dump;
  EXPECT_GE(std::count(dump.begin() + static_cast<long>(stack) + 8, dump.end(), '\n'), 3) << dump;
  EXPECT_NE(dump.find("crash_report_test_helper"), std::string::npos) << dump;

  // The stamped line in GBK, ending in CR LF.
  EXPECT_TRUE(std::regex_match(ReadTestFile(ErrorLogPath()),
                               std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\d{3} "
                                          "\xBF\xCD\xBB\xA7\xB6\xCB\xB3\xF6\xCF\xD6\xD2\xEC\xB3\xA3"
                                          "\xCD\xCB\xB3\xF6\xA3\xA1\r\n")))
      << ReadTestFile(ErrorLogPath());
}

std::vector<CrashCase> CrashCases() {
  std::vector<CrashCase> cases = {{"segv", SIGSEGV}, {"abort", SIGABRT}, {"bus", SIGBUS},
                                  {"fpe", SIGFPE},   {"ill", SIGILL},    {"thread", SIGSEGV}};
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // The sanitizers' own stack handling gets in the way of an overflow.
  cases.push_back({"overflow", SIGSEGV});
#endif
  return cases;
}

INSTANTIATE_TEST_SUITE_P(FatalSignals, CrashReportTest, ::testing::ValuesIn(CrashCases()),
                         [](const auto& info) { return std::string(info.param.how); });

TEST_F(CrashReportTest, FaultAddressOrSenderIsReported) {
  ASSERT_TRUE(
      WIFSIGNALED(RunCrashingHelper(programDirectory.Path(), currentDirectory.Path(), "segv")));
  EXPECT_NE(ReadTestFile(DumpPath()).find("\naddress: 0x10\n"), std::string::npos);

  ASSERT_TRUE(
      WIFSIGNALED(RunCrashingHelper(programDirectory.Path(), currentDirectory.Path(), "abort")));
  EXPECT_NE(ReadTestFile(DumpPath()).find("\naddress: none, sent by process "), std::string::npos);
}

TEST_F(CrashReportTest, ErrorLogLinesAccumulateAndTheDumpIsReplaced) {
  ASSERT_TRUE(
      WIFSIGNALED(RunCrashingHelper(programDirectory.Path(), currentDirectory.Path(), "abort")));
  ASSERT_TRUE(
      WIFSIGNALED(RunCrashingHelper(programDirectory.Path(), currentDirectory.Path(), "segv")));
  const std::string log = ReadTestFile(ErrorLogPath());
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
  EXPECT_EQ(ReadTestFile(DumpPath()).rfind("signal: 11 SIGSEGV\n", 0), 0u);
}

TEST_F(CrashReportTest, MissingLogDirectoryStillGivesTheDump) {
  std::filesystem::remove(programDirectory.Path() + "/log");
  const int status = RunCrashingHelper(programDirectory.Path(), currentDirectory.Path(), "segv");
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGSEGV);
  EXPECT_TRUE(std::filesystem::exists(DumpPath()));
  EXPECT_FALSE(std::filesystem::exists(programDirectory.Path() + "/log"));
}

}  // namespace

}  // namespace tavrel
