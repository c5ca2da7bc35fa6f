#include "common/markup_file_problem.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "common/markup_document.h"
#include "common/markup_parse_report.h"

namespace tavrel {

std::string MarkupFileProblem(const std::string& path, const MarkupDocument& document) {
  // Opened and read from, as a directory opens but cannot be read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  char first = 0;
  const bool readable = fd >= 0 && ::read(fd, &first, 1) >= 0;
  const int error = errno;
  if (fd >= 0) ::close(fd);
  if (!readable) return path + " cannot be read: " + std::generic_category().message(error);
  return path + " is not well formed: " + DescribeMarkupProblems(document.GetText());
}

}  // namespace tavrel
