#include "bridge/core/settings_document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "bridge/core/app_settings.h"
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
    // Said for a file that is there; a missing one gives the defaults without a word.
    EXPECT_EQ(config.Problem().empty(), path == directory / "missing.xml") << config.Problem();
  }
}

TEST(SettingsDocument, TheBridgePrintsThePortAndAddressItWillUseAndWhatItWouldLog) {
  const TestDirectory directory;
  const struct {
    const char* config;  // null: none
    std::string out;
    std::string err;
  } cases[] = {
      {nullptr, "api_port=21215\napi_address=0.0.0.0\n", ""},
      {"<root port=\"21216\"/>", "api_port=21216\napi_address=0.0.0.0\n", ""},
      {"<root port=\"95277\"/>", "api_port=29741\napi_address=0.0.0.0\n",
       "config.xml: port=\"95277\" is not a port from 1 to 65535; the API listens on 29741, its "
       "low 16 bits\n"},
      {"<root port=\"21216\"><listen api=\"127.0.0.2\"/></root>",
       "api_port=21216\napi_address=127.0.0.2\n", ""},
      {"<root port=\"21216\"><listen api=\"here\"/></root>",
       "api_port=21216\napi_address=0.0.0.0\n",
       "listen: api=\"here\" is not an IPv4 address; using 0.0.0.0\n"},
      {"<root>", "api_port=21215\napi_address=0.0.0.0\n",
       "config.xml: " + (directory / "config.xml") +
           " is not well formed: Element 'root' at offset 0 (line 1, column 1) not ended\n"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(directory / "config.xml");
    if (c.config) WriteTestFile(directory / "config.xml", c.config);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    PrintBridgeSettings(directory.Path(), out, err);
    for (auto [file, expected] : {std::pair{out, c.out}, std::pair{err, c.err}}) {
      std::rewind(file);
      std::string text;
      for (int ch; (ch = std::fgetc(file)) != EOF;) text += static_cast<char>(ch);
      std::fclose(file);
      EXPECT_EQ(text, expected);
    }
  }
}

}  // namespace

}  // namespace tavrel
