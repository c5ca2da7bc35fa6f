#include "bridge/ui/bridge_desktop_app.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <string_view>

#include "bridge/core/bridge_runtime.h"
#include "bridge/ui/bridge_tray_menu.h"
#include "bridge/ui/log_list_window.h"
#include "bridge/ui/main_panel.h"
#include "desktop/desktop_application.h"
#include "desktop/gbk_text.h"
#include "desktop/qt_message_boxes.h"
#include "desktop/quit_signal_loop.h"

namespace tavrel {

namespace {

constexpr char kAboutText[] = "Tavrel 版本6.1.1";

void ShowWindow(QWidget& window) {
  window.showNormal();
  window.raise();
  window.activateWindow();
}

class QtBridgeDesktop final : public BridgeDesktop {
 public:
  QtBridgeDesktop(std::unique_ptr<QApplication> application, BridgeDesktopOptions options)
      : application_(std::move(application)), options_(options) {}

  std::shared_ptr<LogSink> LogLines() override { return queue_; }

  void RunUntilQuit(BridgeRuntime& runtime) override {
    logList_ = std::make_unique<LogListWindow>(queue_, boxes_);
    logList_->MoveQueuedLines();  // the start-up's lines
    panel_ = std::make_unique<MainPanel>(
        MainPanelSources{
            .project = runtime.Project(),
            .log = runtime.Log(),
            .serverConnected =
                [&runtime](int server) { return runtime.Connections()[server]->IsConnected(); },
            .startTime = runtime.StartTime()},
        boxes_);
    menu_ = BridgeTrayMenu({.openPanel = [this] { ShowWindow(*panel_); },
                            .openLog = [this] { ShowWindow(*logList_); },
                            .about = [this] { boxes_.Inform(kAboutText, "关于我们"); },
                            .quit = [] { EndEventLoop(); }});
    tray_ = std::make_unique<QSystemTrayIcon>(QApplication::windowIcon());
    tray_->setToolTip(FromGbk(runtime.Settings().programe_name));
    tray_->setContextMenu(menu_.get());
    tray_->show();
    if (options_.openPanel || !QSystemTrayIcon::isSystemTrayAvailable()) ShowWindow(*panel_);

    RunUntilQuitOrQuitSignal();
    tray_->hide();
  }

 private:
  std::unique_ptr<QApplication> application_;
  const BridgeDesktopOptions options_;
  std::shared_ptr<LogLineQueue> queue_ = std::make_shared<LogLineQueue>();
  QtMessageBoxes boxes_;
  std::unique_ptr<LogListWindow> logList_;
  std::unique_ptr<MainPanel> panel_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QSystemTrayIcon> tray_;
};

}  // namespace

BridgeDesktopOptions DesktopOptionsFrom(int argc, const char* const* argv) {
  BridgeDesktopOptions options;
  for (int index = 1; index < argc; ++index) {
    if (std::string_view(argv[index]) == kWindowOption) options.openPanel = true;
  }
  return options;
}

std::unique_ptr<BridgeDesktop> MakeBridgeDesktop(BridgeDesktopOptions options) {
  if (!DisplayAvailable()) return nullptr;
  static int argc = 1;
  static char name[] = "Tavrel";
  static char* argv[] = {name, nullptr};
  auto application = StartDesktopApplication(argc, argv, "Tavrel");
  if (!application) return nullptr;
  return std::make_unique<QtBridgeDesktop>(std::move(application), options);
}

}  // namespace tavrel
