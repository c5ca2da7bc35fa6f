// AppendToFile (daily_log.h) on Windows: a handle opened with append access only
// (FILE_APPEND_DATA) writes at the end of the file, each write as one piece, as O_APPEND does;
// other writers and readers may have the file open meanwhile.
#include <windows.h>

#include "common/daily_log.h"

namespace tavrel {

bool AppendToFile(const std::string& path, std::string_view bytes) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // One write, never a second one for a remainder: a continuation could land after another
  // writer's line and split this one.
  DWORD written = 0;
  const bool wrote =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
  const bool closed = CloseHandle(file) != 0;
  return wrote && closed && written == bytes.size();
}

}  // namespace tavrel
