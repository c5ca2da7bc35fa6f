#include "platform/com/linux/clipboard_format.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/code_page.h"
#include "common/mutex.h"
#include "platform/com/linux/last_error.h"

namespace tavrel {

namespace {

constexpr UINT kFirstFormat = 0xC000;
constexpr UINT kLastFormat = 0xFFFF;

Mutex formatsMutex;
std::vector<std::string> formatNames
    GUARDED_BY(formatsMutex);  // format kFirstFormat + i is formatNames[i]

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
           return lower(x) == lower(y);
         });
}

}  // namespace

UINT RegisterClipboardFormatA(LPCSTR name) {
  if (name == nullptr || *name == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  MutexLock lock(formatsMutex);
  for (size_t i = 0; i < formatNames.size(); ++i) {
    if (SameName(formatNames[i], name)) return kFirstFormat + static_cast<UINT>(i);
  }
  if (kFirstFormat + formatNames.size() > kLastFormat) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  formatNames.emplace_back(name);
  return kFirstFormat + static_cast<UINT>(formatNames.size() - 1);
}

UINT RegisterClipboardFormatW(LPCWSTR name) {
  if (name == nullptr) return RegisterClipboardFormatA(nullptr);
  const std::string narrow = WideToAnsi(name);
  return RegisterClipboardFormatA(narrow.c_str());
}

int GetClipboardFormatNameA(UINT format, LPSTR name, int capacity) {
  if (name == nullptr || capacity <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  MutexLock lock(formatsMutex);
  if (format < kFirstFormat || format - kFirstFormat >= formatNames.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string& registered = formatNames[format - kFirstFormat];
  const size_t length = std::min(registered.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(name, registered.data(), length);
  name[length] = '\0';
  return static_cast<int>(length);
}

}  // namespace tavrel
