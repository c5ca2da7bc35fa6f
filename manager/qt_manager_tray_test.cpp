#include "manager/qt_manager_tray.h"

#include <gtest/gtest.h>

#include "desktop/gbk_text.h"

namespace tavrel {

namespace {

TEST(ManagerTray, MenuHoldsOnlyTheExit) {
  int quits = 0;
  const auto menu = ManagerTrayMenu([&] { ++quits; });
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_EQ(ToGbk(menu->actions()[0]->text()), "退出系统");
  menu->actions()[0]->trigger();
  EXPECT_EQ(quits, 1);
}

TEST(ManagerTray, TipKeepsAtMost127BytesOfWholeCharacters) {
  EXPECT_EQ(ManagerTrayTip("watch"), "watch");
  EXPECT_EQ(ManagerTrayTip(std::string(200, 'w')), std::string(127, 'w'));
  // 63 two-byte characters fill 126 bytes; the 64th would end at byte 128.
  std::string wide;
  for (int character = 0; character < 64; ++character) wide += "监";
  EXPECT_EQ(ManagerTrayTip(wide), wide.substr(0, 126));
  EXPECT_EQ(ManagerTrayTip("a" + wide), "a" + wide.substr(0, 126));
}

}  // namespace

}  // namespace tavrel
