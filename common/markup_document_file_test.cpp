#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/markup_document.h"

namespace tavrel {

namespace {

// A directory of its own for one test, removed with everything in it.
class TemporaryDirectory {
 public:
  TemporaryDirectory()
      : path_(std::filesystem::temp_directory_path() /
              ("markup_document_file_test." + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~TemporaryDirectory() { std::filesystem::remove_all(path_); }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// "版" in GBK and UTF-8.
const std::string kGbkBan = "\xB0\xE6";
const std::string kUtf8Ban = "\xE7\x89\x88";

TEST(MarkupDocumentFile, FullBuildRoundTripsAUtf8FileWithByteOrderMark) {
  TemporaryDirectory directory;
  const std::string bytes =
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<root name=\"" + kUtf8Ban +
      "\"/>\r\n";
  WriteBytes(directory.File("in.xml"), bytes);
  MarkupDocument document(MarkupBuild::kFull);
  ASSERT_TRUE(document.LoadFile(directory.File("in.xml")));
  ASSERT_TRUE(document.FindElement("root"));
  EXPECT_EQ(document.GetAttribute("name"), kGbkBan) << "text in memory is GBK";
  ASSERT_TRUE(document.SaveFile(directory.File("out.xml")));
  EXPECT_EQ(ReadBytes(directory.File("out.xml")), bytes);
}

TEST(MarkupDocumentFile, FullBuildRoundTripsAGbkFileAndItsEdits) {
  TemporaryDirectory directory;
  const std::string bytes =
      "<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n<root name=\"" + kGbkBan + "\">\r\n</root>\r\n";
  WriteBytes(directory.File("in.xml"), bytes);
  MarkupDocument document(MarkupBuild::kFull);
  ASSERT_TRUE(document.LoadFile(directory.File("in.xml")));
  EXPECT_EQ(document.GetText(), bytes);
  ASSERT_TRUE(document.SaveFile(directory.File("out.xml")));
  EXPECT_EQ(ReadBytes(directory.File("out.xml")), bytes);

  ASSERT_TRUE(document.FindElement("root"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.AddElement("server"));
  ASSERT_TRUE(document.SetAttribute("name", kGbkBan));
  ASSERT_TRUE(document.SaveFile(directory.File("out.xml")));
  MarkupDocument reloaded(MarkupBuild::kFull);
  ASSERT_TRUE(reloaded.LoadFile(directory.File("out.xml")));
  ASSERT_TRUE(reloaded.FindElement("root"));
  ASSERT_TRUE(reloaded.EnterElement());
  ASSERT_TRUE(reloaded.FindElement("server"));
  EXPECT_EQ(reloaded.GetAttribute("name"), kGbkBan);
}

TEST(MarkupDocumentFile, FullBuildWritesAnUndeclaredNonUtf8FileBackWithItsOwnBytes) {
  TemporaryDirectory directory;
  const std::string bytes = "<root name=\"" + kGbkBan + "\">\r\n</root>\r\n";
  WriteBytes(directory.File("in.xml"), bytes);
  MarkupDocument document(MarkupBuild::kFull);
  ASSERT_TRUE(document.LoadFile(directory.File("in.xml")));
  ASSERT_TRUE(document.FindElement("root"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.AddElement("server"));
  ASSERT_TRUE(document.SetAttribute("name", kGbkBan));
  ASSERT_TRUE(document.SaveFile(directory.File("out.xml")));
  EXPECT_EQ(ReadBytes(directory.File("out.xml")), document.GetText());
  // The same text set, not loaded, has no file to follow and is written as UTF-8.
  MarkupDocument set(MarkupBuild::kFull);
  ASSERT_TRUE(set.SetText(bytes));
  ASSERT_TRUE(set.SaveFile(directory.File("set.xml")));
  EXPECT_EQ(ReadBytes(directory.File("set.xml")),
            "<root name=\"" + kUtf8Ban + "\">\r\n</root>\r\n");
}

TEST(MarkupDocumentFile, BridgeBuildReadsAndWritesBytesUnchanged) {
  TemporaryDirectory directory;
  const std::string bytes = "\xEF\xBB\xBF<root name=\"" + kGbkBan + "\"/>\r\n";
  WriteBytes(directory.File("in.xml"), bytes);
  MarkupDocument document(MarkupBuild::kBridge);
  ASSERT_TRUE(document.LoadFile(directory.File("in.xml")));
  EXPECT_EQ(document.GetText(), bytes);
  ASSERT_TRUE(document.SaveFile(directory.File("out.xml")));
  EXPECT_EQ(ReadBytes(directory.File("out.xml")), bytes);
}

TEST(MarkupDocumentFile, LoadingAMissingFileFailsAndEmptiesTheDocument) {
  TemporaryDirectory directory;
  for (MarkupBuild build : {MarkupBuild::kFull, MarkupBuild::kBridge}) {
    MarkupDocument document(build);
    ASSERT_TRUE(document.SetText("<root/>"));
    ASSERT_TRUE(document.FindElement("root"));
    EXPECT_FALSE(document.LoadFile(directory.File("missing.xml")));
    EXPECT_EQ(document.GetText(), "");
    EXPECT_FALSE(document.IsWellFormed());
    EXPECT_FALSE(document.FindElement());
    EXPECT_FALSE(document.GetResult().empty());
    EXPECT_FALSE(document.SaveFile(directory.File("no/such/directory.xml")));
  }
}

}  // namespace

}  // namespace tavrel
