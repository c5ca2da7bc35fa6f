#include "common/markup_file_problem.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "common/markup_document.h"
#include "common/markup_parse_report.h"

namespace tavrel {

std::string MarkupFileProblem(const std::string& path, const MarkupDocument& document) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return path + " cannot be read: " + std::generic_category().message(errno);
  ::close(fd);
  return path + " is not well formed: " + DescribeMarkupProblems(document.GetText());
}

}  // namespace tavrel
