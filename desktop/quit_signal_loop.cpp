#include "desktop/quit_signal_loop.h"

#include <QApplication>
#include <QSocketNotifier>

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

void EndEventLoop() { QCoreApplication::exit(0); }

}  // namespace tavrel
