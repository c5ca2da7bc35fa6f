#include "desktop/gbk_text.h"

#include "common/code_page.h"

namespace tavrel {

QString FromGbk(std::string_view gbk) {
  const WideString wide = AnsiToWide(gbk);
  // QStringView takes WCHAR as it is on either system: char16_t, or Windows' 16-bit wchar_t.
  return QStringView(wide.data(), static_cast<qsizetype>(wide.size())).toString();
}

std::string ToGbk(const QString& text) {
  return WideToAnsi(WideStringView(reinterpret_cast<const WCHAR*>(text.utf16()),
                                   static_cast<size_t>(text.size())));
}

}  // namespace tavrel
