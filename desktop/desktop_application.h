// The start of a desktop program: the display check, the application object, its name (also
// the key its settings are kept under) and its icon.
#pragma once

#include <QApplication>
#include <memory>

namespace tavrel {

inline constexpr char kNeedsDisplayLine[] =
    "needs a display: set DISPLAY, or QT_QPA_PLATFORM=offscreen";

// True when Qt can open a window here: a platform is named (QT_QPA_PLATFORM), or, on Linux, an
// X11 or Wayland display is, and on Windows the process runs in the interactive window station
// (not in a service's, which has no screen).
bool DisplayAvailable();

// The application named `name`, with that program's icon (desktop/app_icons.h) as the icon
// of its windows and trays; null after printing kNeedsDisplayLine
// to stderr when no display is available (Qt would abort instead).
std::unique_ptr<QApplication> StartDesktopApplication(int& argc, char** argv, const char* name);

}  // namespace tavrel
