#include "common/markup_file_problem.h"

#include <gtest/gtest.h>

#include <optional>

#include "common/markup_document.h"
#include "common/test_files.h"

namespace tavrel {
namespace {

// What people read of a file that did not load: the path, a space, and where each problem lies.
TEST(MarkupFileProblem, NamesThePathAndTheLineAndColumnOfEveryOffset) {
  const struct {
    std::optional<std::string> file;  // none: no such file
    std::string expected;             // after the path
  } cases[] = {
      {std::nullopt, " cannot be read: No such file or directory"},
      {"", " is not well formed: Empty document"},
      {"<root>\r\n<server name=\"S\">\r\n<group>\r\n</server>\r\n</root>\r\n",
       " is not well formed: End tag 'server' at offset 36 (line 4, column 1) does not match "
       "start tag 'group' at offset 27 (line 3, column 1)"},
      {"<root>\n\xd6\xd0\xce\xc4 <a>\n",
       " is not well formed: Element 'root' at offset 0 (line 1, column 1) not ended, Element "
       "'a' at offset 12 (line 2, column 4) not ended, Root element has sibling"},
      {"<a/><b/>", " is not well formed: Root element has sibling"},
  };
  const TestDirectory folder;
  MarkupDocument directory(MarkupBuild::kBridge);
  ASSERT_FALSE(directory.LoadFile(folder.Path()));
  EXPECT_EQ(MarkupFileProblem(folder.Path(), directory),
            folder.Path() + " cannot be read: Is a directory");
  for (const MarkupBuild build : {MarkupBuild::kBridge, MarkupBuild::kFull}) {
    for (const auto& c : cases) {
      const TestDirectory directory;
      const std::string path = directory / "config.xml";
      if (c.file) WriteTestFile(path, *c.file);
      MarkupDocument document(build);
      ASSERT_FALSE(document.LoadFile(path));
      EXPECT_EQ(MarkupFileProblem(path, document), path + c.expected);
    }
  }
}

}  // namespace
}  // namespace tavrel
