#include "desktop/desktop_application.h"

#include <cstdio>

#include "desktop/app_icons.h"

namespace tavrel {

std::unique_ptr<QApplication> StartDesktopApplication(int& argc, char** argv, const char* name) {
  if (!DisplayAvailable()) {
    std::fprintf(stderr, "%s\n", kNeedsDisplayLine);
    return nullptr;
  }
  auto application = std::make_unique<QApplication>(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(name));
  QApplication::setOrganizationName(QString::fromLatin1(name));
  QApplication::setWindowIcon(ApplicationIcon(ProgramNamed(name)));
  return application;
}

}  // namespace tavrel
