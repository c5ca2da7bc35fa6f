// Windows: the quit requests (platform/process/quit_request.h: the manager's quit message, the
// console's control events, the end of the session) set one event; a notifier on it ends the
// loop. The notifier's wait takes the request, as WaitForQuitRequest would.
#include <QApplication>
#include <QWinEventNotifier>

#include "desktop/quit_signal_loop.h"
#include "platform/process/windows/quit_event.h"

namespace tavrel {

void RunUntilQuitOrQuitSignal() {
  QWinEventNotifier quitNotifier(QuitRequestEvent());
  QObject::connect(&quitNotifier, &QWinEventNotifier::activated, [] { EndEventLoop(); });
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::exec();
}

}  // namespace tavrel
