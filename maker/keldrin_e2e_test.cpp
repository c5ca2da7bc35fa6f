// The real maker program, started without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace tavrel {

namespace {

// Qt would abort without a display; the maker says what it needs and ends with status 1.
TEST(KeldrinTest, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                              std::string(TAVREL_PROGRAM_DIRECTORY) + "/Keldrin 2>&1";
  FILE* output = ::popen(command.c_str(), "r");
  ASSERT_NE(output, nullptr);
  std::string printed;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, output) != nullptr) printed += buffer;
  const int status = ::pclose(output);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(printed, "needs a display: set DISPLAY, or QT_QPA_PLATFORM=offscreen\n");
}

}  // namespace

}  // namespace tavrel
