#include "common/program_directory.h"

#include <errno.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ProgramDirectory, IsTheAbsoluteDirectoryHoldingThisExecutable) {
  const std::string directory = ProgramDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.front(), '/');
  EXPECT_NE(directory.back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(directory));
  // program_invocation_short_name is the file name this test was started under.
  EXPECT_TRUE(std::filesystem::is_regular_file(directory + "/" + program_invocation_short_name));
}

}  // namespace
