#include <gtest/gtest.h>

#include <filesystem>

#include "common/program_directory.h"

namespace tavrel {

namespace {

// Folders whose names are not ASCII are shown by the process tests (platform/process), which
// start a copy of a program in such a folder.
TEST(ProgramDirectory, IsTheFullPathOfTheFolderHoldingThisExecutable) {
  const std::optional<std::string> directory = ProgramDirectory();
  ASSERT_TRUE(directory);
  ASSERT_GE(directory->size(), 2u);
  EXPECT_EQ((*directory)[1], ':');
  EXPECT_NE(directory->back(), '\\');
  EXPECT_TRUE(std::filesystem::is_regular_file(*directory + "\\common_tests.exe"));
}

}  // namespace

}  // namespace tavrel
