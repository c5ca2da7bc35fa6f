// The real bridge program in a temporary copy of the installation folder, for e2e tests.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bridge/core/bridge_process.h"
#include "common/markup_declarations.h"
#include "common/test_files.h"
#include "platform/net/test_ports.h"
#include "platform/process/single_instance.h"
#include "platform/process/spawn.h"

namespace tavrel {

namespace e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The threads a bridge without servers runs: the main thread and the API thread, plus the
// thread sanitizer's own thread in a build that uses it.
inline std::vector<std::string> ThreadsWithoutServers() {
#if defined(__SANITIZE_THREAD__)
  return {"ApiThread", "Tavrel", "Tavrel"};
#else
  return {"ApiThread", "Tavrel"};
#endif
}

// Polls `condition` every 5 ms until it holds or `limit` has passed.
inline bool Eventually(const std::function<bool()>& condition, Clock::duration limit = 5s) {
  for (const Clock::time_point end = Clock::now() + limit; !condition();) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// A started Tavrel; killed and reaped at the end of the test if it still runs.
class BridgeProcess {
 public:
  explicit BridgeProcess(const std::string& executable,
                         const std::vector<std::string>& arguments = {})
      : pid_(StartProgram(executable, arguments)) {}
  ~BridgeProcess() {
    if (!Running()) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  BridgeProcess(const BridgeProcess&) = delete;
  BridgeProcess& operator=(const BridgeProcess&) = delete;

  void Signal(int signal) const { ASSERT_EQ(kill(pid_, signal), 0); }
  // False once the process has ended (and has been reaped).
  bool Running() {
    if (!ended_ && pid_ > 0) ended_ = waitpid(pid_, &status_, WNOHANG) == pid_;
    return pid_ > 0 && !ended_;
  }
  // True when the process ends within `limit` with exit code 0.
  bool EndsWithCodeZero(Clock::duration limit) {
    return Eventually([this] { return !Running(); }, limit) && WIFEXITED(status_) &&
           WEXITSTATUS(status_) == 0;
  }
  std::vector<std::string> SortedThreadNames() const {
    std::vector<std::string> names;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid_) + "/task")) {
      const std::string name = ReadTestFile(task.path() / "comm");
      names.push_back(name.substr(0, name.find('\n')));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  pid_t pid_;
  bool ended_ = false;
  int status_ = 0;
};

class TavrelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(directory_.Path().empty());
    fs::copy(TAVREL_PROGRAM_DIRECTORY, programDirectory_, fs::copy_options::recursive);
    // Logs of earlier runs from the build's folder (scripts/run) would read as this run's.
    fs::remove_all(programDirectory_ + "/log");
    fs::create_directory(programDirectory_ + "/log");
    // Another bridge on this machine would hold the lock and make every start a second one.
    ASSERT_TRUE(SingleInstanceLock(kBridgeInstanceName).held()) << "a bridge runs already";
  }

  std::string Executable() const { return programDirectory_ + "/Tavrel"; }
  // Writes a config.xml that makes the bridge listen on a free loopback port; returns it.
  int ConfigureFreeApiPort() const {
    const int port = FreeLoopbackPort();
    WriteTestFile(programDirectory_ + "/config.xml",
                  std::string(kProjectDeclaration) + "<root port=\"" + std::to_string(port) +
                      "\" port_h=\"9527\" programe_name=\"test\"/>\r\n");
    return port;
  }
  std::string ProjectPath() const { return programDirectory_ + "/opc_db.xml"; }
  // Declares the simulated server Hung.Server.1 (kHungServerClsid), every call of which blocks
  // for ten minutes from `hangFrom` seconds after the first connection to it.
  static constexpr char kHungServerClsid[] = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8AE0}";
  void DeclareHungServer(int hangFrom = 0) const {
    WriteTestFile(programDirectory_ + "/com_registry.conf",
                  std::string("[class]\nprogid = Hung.Server.1\nclsid = ") + kHungServerClsid +
                      "\nimplementation = OPCSim.Tree.1\nfaults = at " + std::to_string(hangFrom) +
                      " hang for 600\n");
  }
  // A project of the one server Hung.Server.1 with group G of the read and write tag Ramp.Int4.
  void WriteHungServerProject() const {
    WriteTestFile(ProjectPath(),
                  std::string("<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n"
                              "<server name=\"Hung\" desc=\"\" node=\"\" sid=\"Hung.Server.1\" "
                              "clsid=\"") +
                      kHungServerClsid +
                      "\" c1=\"0\">\r\n"
                      "<group name=\"G\" desc=\"\" uptime=\"100\" timebis_minutes=\"0\" "
                      "percent_deadband=\"0\" language_id=\"1033\" active_state=\"1\" "
                      "datachange_type=\"0\" cycle_time=\"500\" additem=\"1\">\r\n"
                      "<tag id=\"Ramp.Int4\" vt=\"3\" dir=\"3\"/>\r\n"
                      "</group>\r\n</server>\r\n</root>\r\n");
  }

  std::string LogText() const {
    std::string text;
    for (const auto& file : fs::directory_iterator(programDirectory_ + "/log")) {
      text += ReadTestFile(file.path());
    }
    return text;
  }
  int StartLines() const {
    const std::string text = LogText();
    int count = 0;
    for (size_t at = text.find("程序启动"); at != std::string::npos;
         at = text.find("程序启动", at + 1)) {
      ++count;
    }
    return count;
  }
  // Waits until `count` starts have written their last start-up line.
  bool WaitForStartUp(int count = 1) {
    return Eventually([&] { return StartLines() >= count; });
  }

  TestDirectory directory_;
  const std::string programDirectory_ = directory_ / "ProgramDirectory";
};

}  // namespace e2e

}  // namespace tavrel
