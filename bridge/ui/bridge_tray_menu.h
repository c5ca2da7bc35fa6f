// The bridge's tray menu: "开主面板", "查看日志", a separator, "关于我们", a separator, "退出系统".
#pragma once

#include <QMenu>
#include <functional>
#include <memory>

namespace tavrel {

struct BridgeTrayCommands {
  std::function<void()> openPanel;
  std::function<void()> openLog;
  std::function<void()> about;
  std::function<void()> quit;
};

std::unique_ptr<QMenu> BridgeTrayMenu(const BridgeTrayCommands& commands);

}  // namespace tavrel
