// Draws the manager's only window, its tray menu, into a PNG file for the documentation.
//
//   morvane_window_gallery <output directory>
//
// Run it on a display (scripts/screenshots uses Xvfb).
#include <QApplication>
#include <cstdio>
#include <string>

#include "desktop/desktop_application.h"
#include "desktop/window_picture.h"
#include "manager/qt_manager_tray.h"

int main(int argc, char** argv) {
  using namespace tavrel;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
    return 2;
  }
  const std::string output = argv[1];
  const auto application = StartDesktopApplication(argc, argv, "Morvane");
  if (!application) return 1;
  const auto menu = ManagerTrayMenu({});
  return SaveWindowPicture(*menu, output, "morvane-tray-menu") ? 0 : 1;
}
