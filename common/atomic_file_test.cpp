#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/test_files.h"

namespace {

mode_t PermissionsOf(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

TEST(ReplaceFileAtomically, NewFilesFollowTheUmaskReplacedFilesKeepTheirPermissions) {
  const TestDirectory directory;
  const mode_t previousMask = ::umask(022);
  std::string error;
  const bool created = ReplaceFileAtomically(directory / "new", {"<a>", "", "</a>"}, error);
  ::umask(previousMask);
  ASSERT_TRUE(created) << error;
  EXPECT_EQ(ReadTestFile(directory / "new"), "<a></a>");
  EXPECT_EQ(PermissionsOf(directory / "new"), 0644u);

  WriteTestFile(directory / "old", "a longer old content that must leave no tail");
  ASSERT_EQ(::chmod((directory / "old").c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFileAtomically(directory / "old", {"new"}, error)) << error;
  EXPECT_EQ(ReadTestFile(directory / "old"), "new");
  EXPECT_EQ(PermissionsOf(directory / "old"), 0640u);
  EXPECT_EQ(directory.Entries(), (std::set<std::string>{"new", "old"}));
}

TEST(ReplaceFileAtomically, FailuresLeaveNoTemporaryFileBehind) {
  const TestDirectory directory;
  std::string error;
  EXPECT_FALSE(ReplaceFileAtomically(directory / "missing/file.xml", {"x"}, error));
  EXPECT_EQ(error, "No such file or directory");

  // The rename over a directory fails after the temporary file has been written.
  std::filesystem::create_directory(directory / "occupied");
  error.clear();
  EXPECT_FALSE(ReplaceFileAtomically(directory / "occupied", {"x"}, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(directory.Entries(), std::set<std::string>{"occupied"});
}

TEST(ReplaceFileAtomically, AWriteFailingMidwayLeavesTheOldFileWhole) {
  const TestDirectory directory;
  const std::string path = directory / "project.xml";
  const std::string old = "<old>" + std::string(3000, 'o') + "</old>";
  WriteTestFile(path, old);

  // Half of the new content fits under the limit; the write of the rest fails.
  const std::string replacement(64 * 1024, 'n');
  EXPECT_TRUE(RunWithFileSizeLimit(32 * 1024, [&] {
    std::string error;
    return !ReplaceFileAtomically(path, {replacement}, error) && error == "File too large";
  }));
  EXPECT_EQ(ReadTestFile(path), old);
  EXPECT_EQ(directory.Entries(), std::set<std::string>{"project.xml"});

  std::string error;
  EXPECT_TRUE(ReplaceFileAtomically(path, {replacement}, error)) << error;
  EXPECT_EQ(ReadTestFile(path), replacement);
}

}  // namespace
