#include "common/code_page.h"

namespace tavrel {

WideString AnsiToWide(std::string_view ansi) {
  WideString wide;
  CodePageToUtf16(kSystemCodePage, ansi, wide);
  return wide;
}

std::string WideToAnsi(WideStringView wide) {
  std::string ansi;
  Utf16ToCodePage(kSystemCodePage, wide, ansi);
  return ansi;
}

}  // namespace tavrel
