// AppendToFile (daily_log.h) through POSIX: an O_APPEND write is placed at the end of the file
// and written as one piece.
#include <fcntl.h>
#include <unistd.h>

#include "common/daily_log.h"

namespace tavrel {

bool AppendToFile(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  // One write, never a second one for a remainder: a continuation could land after another
  // writer's line and split this one.
  const ssize_t written = ::write(fd, bytes.data(), bytes.size());
  const bool closed = ::close(fd) == 0;
  return closed && written == static_cast<ssize_t>(bytes.size());
}

}  // namespace tavrel
