#include "desktop/window_picture.h"

#include <QApplication>
#include <QElapsedTimer>

namespace tavrel {

bool SaveWindowPicture(QWidget& window, const std::string& directory, const char* name,
                       int settleMs) {
  window.show();
  QElapsedTimer settling;
  settling.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  } while (settling.elapsed() < settleMs);
  const std::string path = directory + "/" + name + ".png";
  if (window.grab().save(QString::fromStdString(path))) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

}  // namespace tavrel
