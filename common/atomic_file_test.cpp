#include "common/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <set>

#include "common/test_file_size_limit.h"
#include "common/test_files.h"

namespace tavrel {

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

TEST(ReplaceFileAtomically, TemporariesOfKilledWritersAreRemovedAndOthersKept) {
  const TestDirectory directory;
  // A process number that no process has: a child that has been waited for.
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_GT(dead, 0);
  ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
  const std::string gone = std::to_string(dead);
  const std::string alive = std::to_string(::getppid());
  struct Case {
    std::string name;
    bool old;
    bool kept;
  };
  const Case cases[] = {
      {".p.xml." + gone + ".0.tmp", true, false},     // its writer was killed long ago
      {".p.xml." + gone + ".1.tmp", false, true},     // being written, maybe, elsewhere
      {".p.xml." + alive + ".0.tmp", true, true},     // its writer runs
      {".other.xml." + gone + ".0.tmp", true, true},  // another file's
      {".p.xml.x.0.tmp", true, true},                 // not a name of ours
  };
  const timespec longAgo[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 3600, 0}};
  for (const Case& c : cases) {
    WriteTestFile(directory / c.name, "part");
    if (c.old) {
      ASSERT_EQ(::utimensat(AT_FDCWD, (directory / c.name).c_str(), longAgo, 0), 0);
    }
  }
  std::string error;
  ASSERT_TRUE(ReplaceFileAtomically(directory / "p.xml", {"x"}, error)) << error;
  for (const Case& c : cases) {
    EXPECT_EQ(std::filesystem::exists(directory / c.name), c.kept) << c.name;
  }
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

// The installation folder's project is a link into a data directory that the service may write,
// while the folder itself may not be written: the save goes to the target, beside it, and the
// link stays. Relative targets, chains and a target yet to be made are followed the same way.
TEST(ReplaceFileAtomically, ASaveThroughASymbolicLinkReplacesTheTargetAndKeepsTheLink) {
  namespace fs = std::filesystem;
  const TestDirectory directory;
  fs::create_directories(directory / "folder");
  fs::create_directories(directory / "data");
  WriteTestFile(directory / "data/opc_db.xml", "old");
  ASSERT_EQ(::chmod((directory / "data/opc_db.xml").c_str(), 0640), 0);
  fs::create_symlink(directory / "data/opc_db.xml", directory / "folder/opc_db.xml");
  fs::create_symlink("../data/chained", directory / "folder/relative");
  fs::create_symlink("second", directory / "data/chained");
  fs::create_symlink("opc_db.xml", directory / "data/second");
  fs::create_symlink("absent.xml", directory / "data/dangling");
  fs::create_symlink("loop", directory / "data/loop");

  const struct {
    std::string link;
    std::string content;
    std::string target;
  } kCases[] = {
      {directory / "folder/opc_db.xml", "direct", directory / "data/opc_db.xml"},
      {directory / "folder/relative", "chained", directory / "data/opc_db.xml"},
      {directory / "data/dangling", "created", directory / "data/absent.xml"},
  };
  for (const auto& test : kCases) {
    std::string error;
    ASSERT_TRUE(ReplaceFileAtomically(test.link, {test.content}, error)) << test.link << error;
    EXPECT_TRUE(fs::is_symlink(test.link)) << test.link;
    EXPECT_EQ(ReadTestFile(test.target), test.content) << test.link;
  }
  EXPECT_EQ(PermissionsOf(directory / "data/opc_db.xml"), 0640u);
  EXPECT_EQ(fs::read_symlink(directory / "folder/opc_db.xml"), directory / "data/opc_db.xml");

  std::string error;
  EXPECT_FALSE(ReplaceFileAtomically(directory / "data/loop", {"x"}, error));
  EXPECT_EQ(error, "Too many levels of symbolic links");
  std::set<std::string> folder;  // no temporary file is left anywhere
  for (const auto& entry : fs::directory_iterator(directory / "folder")) {
    folder.insert(entry.path().filename().string());
  }
  EXPECT_EQ(folder, (std::set<std::string>{"opc_db.xml", "relative"}));
  std::set<std::string> data;
  for (const auto& entry : fs::directory_iterator(directory / "data")) {
    data.insert(entry.path().filename().string());
  }
  EXPECT_EQ(data, (std::set<std::string>{"absent.xml", "chained", "dangling", "loop", "opc_db.xml",
                                         "second"}));
}

}  // namespace

}  // namespace tavrel
