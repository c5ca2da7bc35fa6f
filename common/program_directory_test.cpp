#include "common/program_directory.h"

#include <errno.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/program_directory_posix.h"
#include "common/test_files.h"

namespace tavrel {

namespace {

TEST(ProgramDirectory, IsTheAbsoluteDirectoryHoldingThisExecutable) {
  const std::optional<std::string> directory = ProgramDirectory();
  ASSERT_TRUE(directory);
  ASSERT_FALSE(directory->empty());
  EXPECT_EQ(directory->front(), '/');
  EXPECT_NE(directory->back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(*directory));
  // program_invocation_short_name is the file name this test was started under.
  EXPECT_TRUE(std::filesystem::is_regular_file(*directory + "/" + program_invocation_short_name));
}

TEST(ProgramDirectory, ExecutableInTheRootIsEmptyTextAndAnUnreadableLinkIsNothing) {
  const TestDirectory links;
  std::filesystem::create_symlink("/Tavrel", links / "root");
  std::filesystem::create_symlink("Tavrel", links / "relative");
  EXPECT_EQ(ProgramDirectoryOfLink(links / "root"), std::optional<std::string>(""));
  EXPECT_EQ(ProgramDirectoryOfLink(links / "relative"), std::nullopt);
  EXPECT_EQ(ProgramDirectoryOfLink(links / "missing"), std::nullopt);
}

}  // namespace

}  // namespace tavrel
