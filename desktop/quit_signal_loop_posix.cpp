// Linux: the quit signals (SIGTERM, SIGINT), blocked in every thread, are read from a
// descriptor that a notifier watches.
#include <QApplication>
#include <QSocketNotifier>

#include "desktop/quit_signal_loop.h"
#include "platform/process/linux/quit_signal_descriptor.h"

namespace tavrel {

void RunUntilQuitOrQuitSignal() {
  const QuitSignalDescriptor quitSignal;
  QSocketNotifier quitNotifier(quitSignal.Descriptor(), QSocketNotifier::Read);
  QObject::connect(&quitNotifier, &QSocketNotifier::activated, [&quitSignal] {
    if (quitSignal.Take() != 0) EndEventLoop();
  });
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::exec();
}

}  // namespace tavrel
