// AppendToFile (daily_log.h) on Windows: a handle opened with append access only
// (FILE_APPEND_DATA) writes at the end of the file, as O_APPEND does; other writers and readers
// may have the file open meanwhile.
#include <windows.h>

#include "common/daily_log.h"

namespace tavrel {

bool AppendToFile(const std::string& path, std::string_view bytes) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Writers of the file take turns, holding a lock on one byte far beyond any data, which no
  // reader meets: Windows places each append-only write at the end in one piece, Wine does
  // not. One write, never a second one for a remainder: a continuation could land after
  // another writer's line and split this one.
  OVERLAPPED turn{};
  turn.Offset = 0xFFFFFFFE;
  turn.OffsetHigh = 0x7FFFFFFF;
  const bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &turn) != 0;
  DWORD written = 0;
  const bool wrote =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
  if (locked) UnlockFileEx(file, 0, 1, 0, &turn);
  const bool closed = CloseHandle(file) != 0;
  return wrote && closed && written == bytes.size();
}

}  // namespace tavrel
