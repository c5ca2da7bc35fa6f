#include "desktop/quit_signal_loop.h"

#include <QCoreApplication>

namespace tavrel {

void EndEventLoop() { QCoreApplication::exit(0); }

}  // namespace tavrel
