// The process layer on Windows, against real second processes: process_test_helper.exe, which
// lies beside this test and does what the programs do (see its head).
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/code_page.h"
#include "common/program_directory.h"
#include "platform/process/process_end.h"
#include "platform/process/process_list.h"
#include "platform/process/quit_request.h"
#include "platform/process/single_instance.h"
#include "platform/process/spawn.h"
#include "platform/process/windows/owned_handle.h"
#include "platform/process/windows/quit_message.h"

namespace tavrel {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr char kHelperName[] = "process_test_helper.exe";

// Polls `condition` for up to ten seconds.
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 1000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return condition();
}

std::string HelperPath() { return ProgramDirectory().value_or("") + "\\" + kHelperName; }

std::string UniqueLockName() {
  return "Global\\tavrel-test-lock-" + std::to_string(GetCurrentProcessId());
}

// A helper started with StartProgram, held by a handle of the test's own, which is opened at
// once: every mode whose exit code is read lives far longer than the start takes.
class Helper {
 public:
  explicit Helper(const std::vector<std::string>& arguments, const std::string& path = HelperPath())
      : pid_(StartProgram(path, arguments)),
        process_(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                             FALSE, static_cast<DWORD>(pid_))) {}
  ~Helper() {
    if (process_ && IsRunning()) TerminateProcess(process_.get(), 99);
  }

  pid_t pid() const { return pid_; }
  bool IsRunning() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  // The exit code once it has ended within ten seconds; STILL_ACTIVE when it has not.
  DWORD ExitCode() const {
    WaitForSingleObject(process_.get(), 10000);
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }
  // True once its quit window, where the quit message arrives, exists.
  bool Listens() const {
    return Eventually(
        [&] { return PostToTopLevelWindows(static_cast<DWORD>(pid_), WM_NULL, 0, 0) > 0; });
  }

 private:
  pid_t pid_;
  OwnedHandle process_;
};

TEST(SingleInstanceLock, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  const std::string name = UniqueLockName();
  {
    const SingleInstanceLock first(name);
    ASSERT_TRUE(first.held());
    const SingleInstanceLock second(name);
    EXPECT_FALSE(second.held());
  }
  const SingleInstanceLock again(name);
  EXPECT_TRUE(again.held());
}

// The request from inside the process (a service's stop) is pending until a wait takes it, once.
TEST(QuitRequest, TimedWaitEndsAtTheTimeOrAtAPendingQuitRequest) {
  ListenForQuitRequests();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WaitForQuitRequestFor(30ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
  RequestQuit();
  RequestQuit();
  EXPECT_TRUE(WaitForQuitRequestFor(-1ms));
  EXPECT_FALSE(WaitForQuitRequestFor(-1ms));
  std::thread later([] {
    std::this_thread::sleep_for(20ms);
    RequestQuit();
  });
  EXPECT_TRUE(WaitForQuitRequestFor(std::chrono::milliseconds::max()));
  later.join();
}

TEST(ProcessLayer, HelperIsFoundAskedToQuitByMessageAndItsEndWaitedFor) {
  const std::string lock = UniqueLockName();
  const Helper helper({"quit", lock});
  ASSERT_GT(helper.pid(), 0);
  ASSERT_TRUE(helper.Listens());
  EXPECT_FALSE(SingleInstanceLock(lock).held());
  const Helper second({"quit", lock});
  EXPECT_EQ(second.ExitCode(), 2u);

  EXPECT_EQ(FindProcessByName(kHelperName, NameMatch::kExact), helper.pid());
  EXPECT_EQ(FindProcessByName("PROCESS_test_helper.EXE", NameMatch::kIgnoreCase), helper.pid());
  EXPECT_EQ(FindProcessByName("PROCESS_test_helper.EXE", NameMatch::kExact), 0);
  const std::string path = HelperPath();
  EXPECT_EQ(ProcessExecutable(helper.pid()), path);
  EXPECT_EQ(FindOwnProcess(path, NameMatch::kExact), helper.pid());
  std::string slashed = path;
  slashed[slashed.rfind('\\')] = '/';
  EXPECT_EQ(FindOwnProcess(slashed, NameMatch::kExact), helper.pid());
  const std::string upper = path.substr(0, path.rfind('\\') + 1) + "PROCESS_test_helper.EXE";
  EXPECT_EQ(FindOwnProcess(upper, NameMatch::kIgnoreCase), helper.pid());
  EXPECT_EQ(FindOwnProcess(upper, NameMatch::kExact), 0);
  const std::string other = path.substr(0, path.rfind('\\')) + "\\other\\" + kHelperName;
  EXPECT_EQ(FindOwnProcess(other, NameMatch::kExact), 0);
  EXPECT_TRUE(IsProcessRunning(helper.pid()));

  // Another wParam is ignored, and so is a session that does not end; 255 ends it, and the wait
  // ends with it.
  const auto pid = static_cast<DWORD>(helper.pid());
  EXPECT_GT(PostToTopLevelWindows(pid, kQuitMessage, 254, 255), 0);
  EXPECT_GT(PostToTopLevelWindows(pid, WM_ENDSESSION, FALSE, 0), 0);
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(helper.IsRunning());
  EXPECT_TRUE(AskToQuitAndWaitForEnd(helper.pid(), 10s));
  EXPECT_FALSE(helper.IsRunning());
  EXPECT_EQ(helper.ExitCode(), 0u);
  EXPECT_FALSE(IsProcessRunning(helper.pid()));
  EXPECT_EQ(FindProcessByName(kHelperName, NameMatch::kExact), 0);
  EXPECT_TRUE(SingleInstanceLock(lock).held());  // gone with its holder
  EXPECT_TRUE(AskToQuitAndWaitForEnd(helper.pid(), 0ms));
}

TEST(ProcessLayer, TheEndOfTheSessionAndTheWindowsCloseEndTheHelper) {
  for (const auto& [message, wParam] :
       {std::pair<UINT, WPARAM>{WM_ENDSESSION, TRUE}, std::pair<UINT, WPARAM>{WM_CLOSE, 0}}) {
    const Helper helper({"quit", UniqueLockName()});
    ASSERT_TRUE(helper.Listens());
    PostToTopLevelWindows(static_cast<DWORD>(helper.pid()), message, wParam, 0);
    EXPECT_EQ(helper.ExitCode(), 0u) << message;
  }
}

// Asked before it listens, a program that is still starting gets the request once it does.
TEST(ProcessLayer, AProgramAskedToQuitWhileStartingEndsOnceItListens) {
  const Helper starting({"slow-start"});
  ASSERT_GT(starting.pid(), 0);
  EXPECT_TRUE(AskToQuitAndWaitForEnd(starting.pid(), 10s));
  EXPECT_EQ(starting.ExitCode(), 0u);
}

TEST(ProcessLayer, ProcessThatDoesNotListenIsWaitedForAndLeftRunning) {
  const Helper deaf({"deaf"});
  ASSERT_TRUE(Eventually([&] { return FindProcessByName(kHelperName, NameMatch::kExact) != 0; }));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(AskToQuitAndWaitForEnd(deaf.pid(), 200ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
  EXPECT_TRUE(deaf.IsRunning());
}

// Every other way a program is asked to quit, or ends its stop, and the exit code it ends with.
TEST(ProcessLayer, QuitRequestsAndStopDeadlinesEndTheHelperWithItsCode) {
  const struct {
    std::vector<std::string> arguments;
    DWORD exitCode;
  } cases[] = {
      {{"request"}, 0},
      {{"console", "c"}, 0},
      {{"stuck-stop"}, 7},
      {{"finished-stop"}, 3},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.arguments.front() + " " + each.arguments.back());
    const Helper helper(each.arguments);
    ASSERT_GT(helper.pid(), 0);
    EXPECT_EQ(helper.ExitCode(), each.exitCode);
  }
}

// A program run to its end gives its exit code; one that cannot be started gives nothing.
TEST(ProcessLayer, RunProgramGivesTheProgramsExitCode) {
  EXPECT_EQ(RunProgram(HelperPath(), {"stuck-stop"}), 7);
  EXPECT_EQ(RunProgram(ProgramDirectory().value_or("") + "\\absent.exe", {}), std::nullopt);
}

// Wine 8 refuses to raise Ctrl+Break in a console (GenerateConsoleCtrlEvent fails with
// ERROR_INVALID_HANDLE, where Ctrl+C goes through): under Wine the helper says so and the test is
// skipped; Windows raises it, and the helper ends as it does on Ctrl+C.
TEST(ProcessLayer, CtrlBreakEndsTheHelperAsCtrlCDoes) {
  const Helper helper({"console", "break"});
  ASSERT_GT(helper.pid(), 0);
  const DWORD exitCode = helper.ExitCode();
  if (exitCode == 4) GTEST_SKIP() << "Ctrl+Break cannot be raised here";
  EXPECT_EQ(exitCode, 0u);
}

// A program in a folder whose name needs quoting is started, and finds its program directory;
// arguments that need quoting, and GBK text, reach it unchanged. (The folder's name is ASCII:
// Wine makes Unix file names in the host's locale, and without zh_CN.UTF-8 installed it cannot
// make non-ASCII ones.)
TEST(ProcessLayer, ArgumentsAndProgramDirectoryPassUnchanged) {
  const std::string folder =
      ProgramDirectory().value_or("") + "\\program folder " + std::to_string(GetCurrentProcessId());
  const fs::path wideFolder(AnsiToWide(folder));
  fs::remove_all(wideFolder);  // of an earlier run that was cut short
  ASSERT_TRUE(CreateDirectoryW(wideFolder.c_str(), nullptr));
  const std::string copy = folder + "\\" + kHelperName;
  fs::copy_file(AnsiToWide(HelperPath()), AnsiToWide(copy));
  const std::string output = folder + "\\echo.bin";
  const std::vector<std::string> arguments = {
      "",           "plain",       "two words",           "quote\"inside",
      "trailing\\", "a\\\\b\\\"c", "\\\\server\\share\\", "中文 参数",
      "tab\there"};
  std::vector<std::string> command = {"echo", output};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const pid_t pid = StartProgram(copy, command);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(Eventually([&] { return !IsProcessRunning(pid); }));

  std::ifstream file(wideFolder / "echo.bin", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), {});
  std::string expected = folder + '\0';
  for (const std::string& argument : arguments) expected += argument + '\0';
  EXPECT_EQ(bytes, expected);
  file.close();
  EXPECT_EQ(StartProgram(folder + "\\absent.exe"), 0);
  fs::remove_all(wideFolder);
}

}  // namespace

}  // namespace tavrel
