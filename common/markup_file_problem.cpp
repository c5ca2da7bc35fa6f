#include "common/markup_file_problem.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "common/markup_document.h"
#include "common/markup_parse_report.h"

namespace tavrel {

std::string MarkupFileProblem(const std::string& path, const MarkupDocument& document) {
  // Opened and read from, as a directory opens but cannot be read.
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  char first = 0;
  const bool readable =
      file != nullptr && (std::fread(&first, 1, 1, file) == 1 || !std::ferror(file));
  const int error = errno;
  if (file != nullptr) std::fclose(file);
  if (!readable) return path + " cannot be read: " + std::generic_category().message(error);
  return path + " is not well formed: " + DescribeMarkupProblems(document.GetText());
}

}  // namespace tavrel
