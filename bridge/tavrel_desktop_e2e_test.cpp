// The real bridge program with a display: its desktop front end runs the event loop on the
// main thread, and a quit signal still ends it in order with exit code 0.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>

#include "bridge/tavrel_test_support.h"

namespace tavrel {

namespace {

using namespace e2e;

// Names the offscreen platform as the display for the programs started while it lives.
class OffscreenDisplay {
 public:
  OffscreenDisplay() { setenv("QT_QPA_PLATFORM", "offscreen", 1); }
  ~OffscreenDisplay() { unsetenv("QT_QPA_PLATFORM"); }
};

TEST_F(TavrelTest, WithADisplayAQuitSignalEndsTheWindowLoopWithCodeZero) {
  ConfigureFreeApiPort();
  std::optional<BridgeProcess> bridge;
  {
    const OffscreenDisplay display;
    bridge.emplace(Executable());
  }
  ASSERT_TRUE(WaitForStartUp());
  // The log list took the start-up's lines; the daily log has them all the same.
  EXPECT_NE(LogText().find("版本6.1.1"), std::string::npos);
  bridge->Signal(SIGTERM);
  EXPECT_TRUE(bridge->EndsWithCodeZero(3s));
}

// A write from the window to a server that hangs does not hold back the stop, whether the quit
// signal or the tray's "退出系统" asks for it: the window loop ends at once and the bounded stop
// ends the process with the write still waiting.
TEST_F(TavrelTest, StopWhileTheWriteDialogWaitsForAHungServer) {
  ConfigureFreeApiPort();
  DeclareHungServer(3);  // connected and its item added first
  WriteHungServerProject();
  const std::string helper = programDirectory_ + "/TavrelWindowDriven";
  fs::copy_file(TAVREL_WINDOW_TEST_HELPER, helper);
  for (const bool fromTheMenu : {false, true}) {
    SCOPED_TRACE(fromTheMenu ? "menu" : "signal");
    fs::remove(programDirectory_ + "/writing");
    std::optional<BridgeProcess> bridge;
    {
      const OffscreenDisplay display;
      bridge.emplace(helper, std::vector<std::string>{fromTheMenu ? "menu" : "signal"});
    }
    ASSERT_TRUE(Eventually([&] { return fs::exists(programDirectory_ + "/writing"); }, 15s));
    if (!fromTheMenu) bridge->Signal(SIGTERM);
    EXPECT_TRUE(bridge->EndsWithCodeZero(10s));
  }
}

// Without a tray host (the offscreen platform has none) the main panel opens at the start, with
// or without the option that asks for it.
TEST_F(TavrelTest, WithoutATrayTheMainPanelOpensAtTheStart) {
  ConfigureFreeApiPort();
  const std::string helper = programDirectory_ + "/TavrelWindowDriven";
  fs::copy_file(TAVREL_WINDOW_TEST_HELPER, helper);
  for (const char* option : {"", "--window"}) {
    SCOPED_TRACE(option);
    const std::string listed = programDirectory_ + "/windows";
    fs::remove(listed);
    std::optional<BridgeProcess> bridge;
    {
      const OffscreenDisplay display;
      bridge.emplace(helper, std::vector<std::string>{"windows", option});
    }
    ASSERT_TRUE(Eventually([&] { return fs::exists(listed); }, 15s));
    std::this_thread::sleep_for(100ms);  // written whole
    EXPECT_EQ(ReadTestFile(listed), "开主面板\n");
    bridge->Signal(SIGTERM);
    EXPECT_TRUE(bridge->EndsWithCodeZero(5s));
  }
}

}  // namespace

}  // namespace tavrel
