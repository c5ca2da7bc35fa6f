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

}  // namespace

}  // namespace tavrel
