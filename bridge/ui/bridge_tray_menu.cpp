#include "bridge/ui/bridge_tray_menu.h"

#include "desktop/gbk_text.h"

namespace tavrel {

std::unique_ptr<QMenu> BridgeTrayMenu(const BridgeTrayCommands& commands) {
  auto menu = std::make_unique<QMenu>();
  QObject::connect(menu->addAction(FromGbk("开主面板")), &QAction::triggered, commands.openPanel);
  QObject::connect(menu->addAction(FromGbk("查看日志")), &QAction::triggered, commands.openLog);
  menu->addSeparator();
  QObject::connect(menu->addAction(FromGbk("关于我们")), &QAction::triggered, commands.about);
  menu->addSeparator();
  QObject::connect(menu->addAction(FromGbk("退出系统")), &QAction::triggered, commands.quit);
  return menu;
}

}  // namespace tavrel
