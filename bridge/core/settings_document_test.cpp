#include "bridge/core/settings_document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/test_files.h"

namespace tavrel {

namespace {

// Every reader finds `root` from the top, whatever the reader before it did with the positions.
TEST(SettingsDocument, EachReaderStartsAtTheTop) {
  const TestDirectory directory;
  const std::string path = directory / "config.xml";
  WriteTestFile(path, "<root port=\"1\"><mqtt url=\"u\"><x/></mqtt><metrics/></root>");
  SettingsDocument config(path);
  for (int reader = 0; reader < 2; ++reader) {
    MarkupDocument& document = config.FromTop();
    ASSERT_TRUE(document.FindElement("root")) << reader;
    EXPECT_EQ(document.GetAttribute("port"), "1");
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.FindElement("mqtt"));
    ASSERT_TRUE(document.EnterElement());  // deeper than any reader goes
    EXPECT_TRUE(document.FindElement("x"));
  }
}

// A file that cannot be read or is not well formed has no `root` for any reader.
TEST(SettingsDocument, AnUnreadableOrIllFormedFileIsEmpty) {
  const TestDirectory directory;
  const std::string illFormed = directory / "ill-formed.xml";
  WriteTestFile(illFormed, "<root port=\"1\"><mqtt>");
  std::filesystem::create_directory(directory / "folder.xml");
  for (const std::string& path : {illFormed, directory / "missing.xml", directory / "folder.xml"}) {
    SettingsDocument config(path);
    EXPECT_FALSE(config.FromTop().FindElement("root")) << path;
    EXPECT_TRUE(config.FromTop().GetText().empty()) << path;
  }
}

}  // namespace

}  // namespace tavrel
