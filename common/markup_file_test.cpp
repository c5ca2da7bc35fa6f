#include "common/markup_file.h"

#include <gtest/gtest.h>

#include "common/markup_result.h"
#include "common/test_file_size_limit.h"
#include "common/test_files.h"

namespace tavrel {

namespace {

using namespace std::string_literals;

// "版本" in GBK, UTF-8 and UTF-16LE, spelled as bytes.
const std::string kGbk = "\xB0\xE6\xB1\xBE";
const std::string kUtf8 = "\xE7\x89\x88\xE6\x9C\xAC";
const std::string kUtf16Le = "\x48\x72\x2C\x67";

// ASCII text in units of `unitSize` bytes of either byte order.
std::string Widen(const std::string& ascii, size_t unitSize, bool bigEndian) {
  std::string wide;
  for (char c : ascii) {
    std::string unit(unitSize, '\0');
    unit[bigEndian ? unitSize - 1 : 0] = c;
    wide += unit;
  }
  return wide;
}

std::string Declared(const std::string& encoding) {
  return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>";
}

// Reads and writes files in one test directory, keeping the results of the last operation.
class MarkupFileTest : public ::testing::Test {
 protected:
  bool Read(const std::string& bytes) {
    WriteTestFile(directory_ / "in.xml", bytes);
    results_.clear();
    return ReadMarkupFile(directory_ / "in.xml", text_, origin_, results_);
  }
  std::string Write(std::string_view text, const MarkupFileOrigin& origin = {}) {
    results_.clear();
    EXPECT_TRUE(WriteMarkupFile(directory_ / "out.xml", text, origin, results_)) << results_;
    return ReadTestFile(directory_ / "out.xml");
  }
  bool Has(std::string_view record) const { return HasMarkupResult(results_, record); }
  bool HasText(const std::string& part) const { return results_.find(part) != std::string::npos; }

  TestDirectory directory_;
  std::string text_;
  MarkupFileOrigin origin_;
  std::string results_;
};

TEST_F(MarkupFileTest, Utf8MarkWinsOverTheDeclarationAndIsWrittenAgain) {
  const std::string file = "\xEF\xBB\xBF" + Declared("GBK") + "\r\n<a>" + kUtf8 + "</a>\r\n";
  ASSERT_TRUE(Read(file));
  EXPECT_EQ(origin_.bom, ByteOrderMark::kUtf8);
  EXPECT_EQ(text_, Declared("GBK") + "\r\n<a>" + kGbk + "</a>\r\n");
  EXPECT_TRUE(Has("bom") && Has("converted_to") && !Has("conversion_loss")) << results_;
  EXPECT_EQ(Write(text_, origin_), file);
}

TEST_F(MarkupFileTest, SystemCodePageDeclarationsAreReadAndWrittenByteForByte) {
  for (const char* name : {"GBK", "GB2312", "gb2312", ""}) {
    const std::string file = Declared(name) + "\r\n<root n=\"" + kGbk + "\"/>\r\n";
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(text_, file) << name;
    EXPECT_FALSE(Has("converted_to") || Has("utf8_detection")) << results_;
    EXPECT_EQ(Write(text_, origin_), file) << name;
    EXPECT_FALSE(Has("converted_from")) << results_;
  }
}

TEST_F(MarkupFileTest, UndeclaredDocumentIsSavedAsUtf8AndReadBackAsItWas) {
  const std::string text = "<root>\r\n<t n=\"" + kGbk + "\"/>\r\n</root>\r\n";
  EXPECT_EQ(Write(text), "<root>\r\n<t n=\"" + kUtf8 + "\"/>\r\n</root>\r\n");
  ASSERT_TRUE(Read(ReadTestFile(directory_ / "out.xml")));
  EXPECT_EQ(text_, text);
  EXPECT_TRUE(HasText("<utf8_detection type=\"UTF-8\"/>")) << results_;
}

TEST_F(MarkupFileTest, UndeclaredTextThatIsNoUtf8KeepsItsBytesAndIsWrittenBackAsThey) {
  for (const std::string& file : {"title " + kGbk, "<root>" + kGbk + "</root>"}) {
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(text_, file);
    EXPECT_TRUE(origin_.undeclaredBytes);
    EXPECT_TRUE(HasText("<utf8_detection type=\"none\"/>") && !Has("converted_to")) << results_;
    EXPECT_EQ(Write(text_, origin_), file);
    EXPECT_FALSE(Has("converted_from")) << results_;
  }
  // A declaration added since is followed.
  EXPECT_EQ(Write(Declared("UTF-8") + "<r>" + kGbk + "</r>", origin_),
            Declared("UTF-8") + "<r>" + kUtf8 + "</r>");
  // A sequence cut by the end of the file does not prevent the detection; its bytes are lost.
  ASSERT_TRUE(Read("title " + kUtf8 + "\xE7\x89"));
  EXPECT_EQ(text_, "title " + kGbk +
                       "?"
                       "?");
  EXPECT_TRUE(Has("conversion_loss"));
}

TEST_F(MarkupFileTest, Utf16FilesWithMarkAreConvertedAndWrittenBackAsTheyWere) {
  for (const bool bigEndian : {false, true}) {
    const std::string character = bigEndian ? "\x72\x48\x67\x2C" : kUtf16Le;
    const std::string file = (bigEndian ? "\xFE\xFF" : "\xFF\xFE") +
                             Widen("<?xml version=\"1.0\"?><a>", 2, bigEndian) + character +
                             Widen("</a>", 2, bigEndian);
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(origin_.bom, bigEndian ? ByteOrderMark::kUtf16Be : ByteOrderMark::kUtf16Le);
    EXPECT_EQ(text_, "<?xml version=\"1.0\"?><a>" + kGbk + "</a>");
    EXPECT_TRUE(Has("converted_to"));
    EXPECT_EQ(Has("endian_swap"), bigEndian);
    EXPECT_EQ(Write(text_, origin_), file);
  }
}

TEST_F(MarkupFileTest, WideDeclarationsWithoutMarkAreWrittenWideAndReadBack) {
  struct Case {
    const char* name;
    size_t unitSize;
    bool bigEndian;
  };
  for (const Case& c : {Case{"UTF-16", 2, false}, Case{"utf-16be", 2, true},
                        Case{"UTF-32", 4, false}, Case{"utf-32be", 4, true}}) {
    const std::string text = Declared(c.name) + "<a>" + kGbk + "</a>";
    const std::string file = Write(text);
    EXPECT_EQ(file.substr(0, 4 * c.unitSize), Widen("<?xm", c.unitSize, c.bigEndian)) << c.name;
    EXPECT_EQ(file.size(), (text.size() - 2) * c.unitSize) << c.name;  // 2 GBK bytes a character
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(text_, text) << c.name;
  }
  // An 8-bit file whose declaration says UTF-16 is not taken in pairs of bytes.
  ASSERT_TRUE(Read(Declared("UTF-16") + "<a>" + kUtf8 + "</a>"));
  EXPECT_EQ(text_, Declared("UTF-16") + "<a>" + kGbk + "</a>");
}

TEST_F(MarkupFileTest, UnknownOrUnconvertibleEncodingsKeepTheBytes) {
  // "x-klingon" is in no table; "x-mac-japanese" is known but cannot be converted here.
  for (const char* name : {"x-klingon", "x-mac-japanese"}) {
    const std::string file = Declared(name) + "<a>\x82\xA0" + kUtf8 + "</a>";
    ASSERT_TRUE(Read(file));
    EXPECT_EQ(text_, file);
    EXPECT_EQ(Write(text_), file);
    EXPECT_FALSE(Has("converted_from")) << results_;
  }
}

TEST(MarkupResultTest, ValueOfARecordsAttribute) {
  std::string results;
  AppendMarkupResult(results, "read", {{"length", "3"}});
  AppendMarkupResult(results, "file_error",
                     {{"name", "/d/\"a\".xml"}, {"description", "Permission denied & more"}});
  EXPECT_EQ(MarkupResultValue(results, "file_error", "description"), "Permission denied & more");
  EXPECT_EQ(MarkupResultValue(results, "file_error", "name"), "/d/\"a\".xml");
  EXPECT_EQ(MarkupResultValue(results, "read", "description"), "");
  EXPECT_EQ(MarkupResultValue(results, "bom", "name"), "");
  EXPECT_EQ(MarkupFailureReason(results), "Permission denied & more");
  EXPECT_EQ(MarkupFailureReason("<no_root_element/>"), "<no_root_element/>");
}

// Reading removes NUL characters, and UTF-7 writes "<?xml" as "+ADw?xml", which no reader could
// find the encoding of: neither text would read back as it was.
TEST_F(MarkupFileTest, TextsThatWouldNotReadBackAreNotWritten) {
  const std::string path = directory_ / "out.xml";
  for (const auto& [text, error] : {std::pair{Declared("UTF-7") + "<a>" + kGbk + "</a>", "UTF-7"s},
                                    std::pair{Declared("GBK") + "<a\0/>"s, "NUL"s}}) {
    WriteTestFile(path, "<old/>");
    results_.clear();
    EXPECT_FALSE(WriteMarkupFile(path, text, MarkupFileOrigin{}, results_));
    EXPECT_TRUE(Has("file_error") && HasText(error)) << results_;
    EXPECT_EQ(ReadTestFile(path), "<old/>");
  }
}

TEST_F(MarkupFileTest, Iso88591FileIsConvertedBothWaysAndLossesAreReported) {
  // U+00E9 is in GBK (A8 A6); U+00FE is not.
  const std::string head = Declared("ISO-8859-1");
  ASSERT_TRUE(Read(head + "<a>caf\xE9</a>"));
  EXPECT_EQ(text_, head + "<a>caf\xA8\xA6</a>");
  EXPECT_FALSE(Has("conversion_loss"));
  EXPECT_EQ(Write(text_), head + "<a>caf\xE9</a>");

  ASSERT_TRUE(Read(head + "<a>\xFE</a>"));
  EXPECT_EQ(text_, head + "<a>?</a>");
  EXPECT_TRUE(Has("conversion_loss"));
  EXPECT_EQ(Write(head + "<a>" + kGbk + "</a>"), head +
                                                     "<a>?"
                                                     "?</a>");
  EXPECT_TRUE(Has("conversion_loss"));
}

TEST_F(MarkupFileTest, NulCharactersAreRemoved) {
  ASSERT_TRUE(Read(Declared("GBK") + "\0<a>\0"s + kGbk + "\0</a>"s));
  EXPECT_EQ(text_, Declared("GBK") + "<a>" + kGbk + "</a>");
  EXPECT_TRUE(HasText("<nulls_removed count=\"3\"/>")) << results_;

  // In UTF-16 whole units are removed, not the zero bytes of ASCII characters. A byte left
  // over at the end and an unpaired surrogate are lost.
  ASSERT_TRUE(Read("\xFF\xFE" + Widen("<a>", 2, false) + "\0\0"s + kUtf16Le + "\0\xD8"s +
                   Widen("</a>", 2, false) + "x"));
  EXPECT_EQ(text_, "<a>" + kGbk + "?</a>");
  EXPECT_TRUE(HasText("<nulls_removed count=\"1\"/>") && Has("conversion_loss")) << results_;
}

TEST_F(MarkupFileTest, LargeFileIsReadWhole) {
  std::string file = Declared("GBK") + "<a>";
  while (file.size() < 300 * 1024) file += "<t n=\"" + kGbk + "\"/>\r\n";
  ASSERT_TRUE(Read(file + "</a>"));
  EXPECT_EQ(text_, file + "</a>");
}

TEST_F(MarkupFileTest, FileErrorsCarryTheSystemText) {
  text_ = "left over";
  EXPECT_FALSE(ReadMarkupFile(directory_ / "missing.xml", text_, origin_, results_));
  EXPECT_TRUE(text_.empty());
  EXPECT_TRUE(Has("file_error") && HasText("No such file or directory")) << results_;

  results_.clear();
  EXPECT_FALSE(ReadMarkupFile(directory_ / ".", text_, origin_, results_));
  EXPECT_TRUE(HasText("Is a directory")) << results_;

  results_.clear();
  EXPECT_FALSE(WriteMarkupFile(directory_ / "no/dir.xml", "<a/>", {}, results_));
  EXPECT_TRUE(Has("file_error") && !Has("write")) << results_;
}

TEST_F(MarkupFileTest, AFailedSaveLeavesTheOldFileWhole) {
  const std::string path = directory_ / "project.xml";
  WriteTestFile(path, Declared("GBK") + "<old/>");
  const std::string big = Declared("GBK") + "<a>" + std::string(100 * 1024, 'x') + "</a>";
  EXPECT_TRUE(RunWithFileSizeLimit(16 * 1024, [&] {
    std::string results;
    return !WriteMarkupFile(path, big, {}, results) && HasMarkupResult(results, "file_error");
  }));
  EXPECT_EQ(ReadTestFile(path), Declared("GBK") + "<old/>");
  EXPECT_EQ(directory_.Entries(), std::set<std::string>{"project.xml"});
}

TEST(FileBytes, BytesAreReadAndWrittenUnchanged) {
  const TestDirectory directory;
  const std::string path = directory / "opc_db.xml";
  const std::string file = "\xEF\xBB\xBF" + Declared("UTF-8") + "\0<a>"s + kGbk + "</a>";
  std::string result = "stale";
  ASSERT_TRUE(WriteFileBytes(path, file, result)) << result;
  EXPECT_TRUE(result.empty());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, bytes, result)) << result;
  EXPECT_EQ(bytes, file);
  EXPECT_EQ(result, path + std::to_string(file.size()) + " bytes");

  EXPECT_FALSE(ReadFileBytes(directory / "missing.xml", bytes, result));
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(result, "No such file or directory");
  EXPECT_FALSE(WriteFileBytes(directory / "missing/x.xml", "x", result));
  EXPECT_EQ(result, "No such file or directory");
}

}  // namespace

}  // namespace tavrel
