#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/process/linux/quit_signal.h"
#include "platform/process/process_list.h"
#include "platform/process/quit_request.h"
#include "platform/process/single_instance.h"
#include "platform/process/spawn.h"

namespace tavrel {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Polls `condition` for up to five seconds.
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 500; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return condition();
}

std::string UniqueLockName() { return "tavrel-test-lock-" + std::to_string(getpid()); }

// Points the locks at a runtime directory of the test's own, with `mode`.
class RuntimeDirectory {
 public:
  explicit RuntimeDirectory(fs::perms mode = fs::perms::owner_all)
      : path_(fs::temp_directory_path() / ("tavrel-run-" + std::to_string(getpid()))) {
    fs::create_directories(path_);
    fs::permissions(path_, mode);
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    if (old != nullptr) old_ = old;
    setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
  }
  ~RuntimeDirectory() {
    if (old_) {
      setenv("XDG_RUNTIME_DIR", old_->c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
    fs::remove_all(path_);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
  std::optional<std::string> old_;
};

// The lock is a file in the account's runtime directory that names its holder; a directory
// that others may write is not used, nor a lock file of another account.
TEST(SingleInstanceLock, IsAFileOfTheAccountThatNamesItsHolder) {
  {
    const RuntimeDirectory runtime;
    const std::string name = "Global\\" + UniqueLockName();
    EXPECT_EQ(SingleInstanceLock::Holder(name), std::nullopt);
    const SingleInstanceLock lock(name);
    ASSERT_TRUE(lock.held());
    EXPECT_EQ(SingleInstanceLock::LockPath(name),
              (runtime.path() / (UniqueLockName() + ".lock")).string());
    EXPECT_EQ(SingleInstanceLock::Holder(name), getpid());
  }
  {
    const RuntimeDirectory shared(fs::perms::all);
    EXPECT_FALSE(
        SingleInstanceLock::LockPath(UniqueLockName())->starts_with(shared.path().string()));
  }
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another account";
  const RuntimeDirectory runtime;
  const std::string path = *SingleInstanceLock::LockPath(UniqueLockName());
  std::ofstream(path) << "1\n";
  ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
  EXPECT_FALSE(SingleInstanceLock(UniqueLockName()).held());
}

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

TEST(SingleInstanceLock, KilledHolderLeavesNoStaleLock) {
  const std::string name = UniqueLockName();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const SingleInstanceLock lock(name);
    const char held = lock.held() ? '1' : '0';
    (void)!write(ready[1], &held, 1);
    pause();
    _exit(0);
  }
  char held = 0;
  ASSERT_EQ(read(ready[0], &held, 1), 1);
  EXPECT_EQ(held, '1');
  EXPECT_FALSE(SingleInstanceLock(name).held());
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(SingleInstanceLock(name).held());
  close(ready[0]);
  close(ready[1]);
}

TEST(QuitRequest, TimedWaitEndsAtTheTimeOrAtAPendingQuitRequest) {
  ListenForQuitRequests();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(WaitForQuitRequestFor(30ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);

  // Directed at this thread, the signal stays pending until the wait takes it.
  ASSERT_EQ(pthread_kill(pthread_self(), SIGINT), 0);
  EXPECT_TRUE(WaitForQuitRequestFor(-1ms));
  ASSERT_EQ(pthread_kill(pthread_self(), kQuitSignal), 0);
  EXPECT_TRUE(WaitForQuitRequestFor(std::chrono::milliseconds::max()));
  // From inside, to the process: pending until taken, and taken once.
  RequestQuit();
  EXPECT_TRUE(WaitForQuitRequestFor(-1ms));
  EXPECT_FALSE(WaitForQuitRequestFor(-1ms));
}

// A program with a name of its own that runs until it is signalled.
class ProbeProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() / ("tavrel-probe-" + std::to_string(getpid()));
    fs::create_directories(directory_);
    name_ = "TvlProbe" + std::to_string(getpid() % 100000);
    path_ = (directory_ / name_).string();
    std::ofstream(path_) << "#!/bin/sh\nwhile :; do sleep 0.05; done\n";
    fs::permissions(path_, fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(directory_); }

  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }

  fs::path directory_;
  std::string name_;
  std::string path_;
};

TEST_F(ProbeProgram, IsFoundByNameWhileRunningAndNotAfterItEnds) {
  // The child must not inherit the quit signals that this thread blocks.
  ListenForQuitRequests();
  const pid_t pid = StartProgram(path_);
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(Eventually([&] { return FindProcessByName(name_, NameMatch::kExact) == pid; }));
  EXPECT_EQ(FindProcessByName(Lower(name_), NameMatch::kIgnoreCase), pid);
  EXPECT_EQ(FindProcessByName(Lower(name_), NameMatch::kExact), 0);
  EXPECT_TRUE(IsProcessRunning(pid));

  kill(pid, kQuitSignal);
  // Ended but not yet reaped: a zombie is not a running process.
  EXPECT_TRUE(Eventually([&] { return !IsProcessRunning(pid); }));
  EXPECT_EQ(FindProcessByName(name_, NameMatch::kExact), 0);
  ReapEndedChildren();
  EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

// The ids of the processes whose command name is `name`, read without the code under test.
std::vector<pid_t> ProcessesNamed(const std::string& name) {
  std::vector<pid_t> found;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream comm(entry.path() / "comm");
    std::string line;
    if (std::getline(comm, line) && line == name) {
      found.push_back(static_cast<pid_t>(std::stol(entry.path().filename().string())));
    }
  }
  return found;
}

// A process of the same name in another PID namespace (a container, as the host sees it)
// belongs to another installation and is not found.
TEST_F(ProbeProgram, IsNotFoundInAnotherPidNamespace) {
  ListenForQuitRequests();
  const pid_t unshare = StartProgram("/usr/bin/unshare",
                                     {"--fork", "--pid", "--map-root-user", "--kill-child", path_});
  ASSERT_GT(unshare, 0);
  const bool started = Eventually([&] { return !ProcessesNamed(name_).empty(); });
  if (started) {
    EXPECT_EQ(FindProcessByName(name_, NameMatch::kExact), 0);
  }
  kill(unshare, SIGKILL);  // and with it the probe (--kill-child)
  waitpid(unshare, nullptr, 0);
  if (!started) GTEST_SKIP() << "this system lets no process make a PID namespace";
}

// Only a process of this account that runs the executable of the given folder is ours; one
// started from another folder, or by another account from the same file, is another
// installation's.
TEST_F(ProbeProgram, OwnProcessesAreThoseOfTheAccountAndTheExecutablesFolder) {
  ListenForQuitRequests();
  const fs::path other = directory_ / "other";
  fs::create_directories(other);
  const std::string mine = (directory_ / name_).string();
  fs::remove(mine);
  fs::copy_file("/bin/sleep", mine);
  fs::copy_file("/bin/sleep", other / name_);
  std::vector<pid_t> started = {StartProgram((other / name_).string(), {"30"})};
  ASSERT_TRUE(Eventually([&] { return FindProcessByName(name_, NameMatch::kExact) != 0; }));
  EXPECT_EQ(FindOwnProcess(mine, NameMatch::kExact), 0);
  if (geteuid() == 0) {
    started.push_back(StartProgram(
        "/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", mine, "30"}));
    EXPECT_TRUE(Eventually([&] { return ProcessesNamed(name_).size() == 2; }));
    EXPECT_EQ(FindOwnProcess(mine, NameMatch::kExact), 0);
  }
  const pid_t own = StartProgram(mine, {"30"});
  started.push_back(own);
  EXPECT_TRUE(Eventually([&] { return FindOwnProcess(mine, NameMatch::kExact) == own; }));
  const std::string lower = (directory_ / Lower(name_)).string();
  EXPECT_EQ(FindOwnProcess(lower, NameMatch::kIgnoreCase), own);
  EXPECT_EQ(FindOwnProcess(lower, NameMatch::kExact), 0);
  EXPECT_EQ(ProcessExecutable(own), mine);
  for (const pid_t pid : started) kill(pid, SIGKILL);
  for (const pid_t pid : started) waitpid(pid, nullptr, 0);
}

TEST_F(ProbeProgram, MissingProgramIsNotStarted) {
  EXPECT_EQ(StartProgram((directory_ / "absent").string()), 0);
}

// A program run to its end gives its exit code, or what a shell shows for its signal; one that
// cannot be started gives nothing.
TEST_F(ProbeProgram, RunProgramGivesTheProgramsEnd) {
  ListenForQuitRequests();  // blocked here, the signal must still end the program
  EXPECT_EQ(RunProgram("/bin/sh", {"-c", "exit 3"}), 3);
  EXPECT_EQ(RunProgram("/bin/sh", {"-c", "kill -TERM $$"}), 128 + SIGTERM);
  EXPECT_EQ(RunProgram((directory_ / "absent").string(), {}), std::nullopt);
}

}  // namespace

}  // namespace tavrel
