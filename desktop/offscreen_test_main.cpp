// The main of widget tests: one QApplication on the offscreen platform, then every test.
#include <gtest/gtest.h>

#include <QApplication>

#if defined(__SANITIZE_THREAD__)
// Debian's Qt is not built with the thread sanitizer: memory that Qt allocates on one of its
// own threads and frees or copies on another (its thread pool, the font and icon loaders) is
// ordered by atomics the sanitizer cannot see, and shows as races. Allocator and memory calls
// made from Qt's libraries are not tracked; everything the tested code does still is.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n";
}
#endif

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
