#include "manager/qt_manager_tray.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>

#include "common/gbk_prefix.h"
#include "desktop/desktop_application.h"
#include "desktop/gbk_text.h"
#include "desktop/quit_signal_loop.h"

namespace tavrel {

namespace {

class QtManagerTray final : public ManagerTray {
 public:
  QtManagerTray(std::unique_ptr<QApplication> application, const std::string& watch)
      : application_(std::move(application)),
        menu_(ManagerTrayMenu([] { EndEventLoop(); })),
        tray_(QApplication::windowIcon()) {
    tray_.setToolTip(FromGbk(ManagerTrayTip(watch)));
    tray_.setContextMenu(menu_.get());
    tray_.show();
  }

  void RunUntilQuit(const std::function<void()>& tick, std::chrono::milliseconds period) override {
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, tick);
    watchdog.start(period);
    RunUntilQuitOrQuitSignal();
  }

 private:
  std::unique_ptr<QApplication> application_;
  std::unique_ptr<QMenu> menu_;
  QSystemTrayIcon tray_;
};

}  // namespace

std::string ManagerTrayTip(const std::string& watch) {
  return std::string(GbkPrefix(watch, kTrayTipLength));
}

std::unique_ptr<QMenu> ManagerTrayMenu(const std::function<void()>& quit) {
  auto menu = std::make_unique<QMenu>();
  QObject::connect(menu->addAction(FromGbk("退出系统")), &QAction::triggered, quit);
  return menu;
}

std::unique_ptr<ManagerTray> MakeManagerTray(const std::string& watch) {
  if (!DisplayAvailable()) return nullptr;
  static int argc = 1;
  static char name[] = "Morvane";
  static char* argv[] = {name, nullptr};
  auto application = StartDesktopApplication(argc, argv, "Morvane");
  if (!application) return nullptr;
  return std::make_unique<QtManagerTray>(std::move(application), watch);
}

}  // namespace tavrel
