#include "platform/com/bstr_view.h"

namespace tavrel {

WideStringView BstrView(BSTR string) {
  return string == nullptr ? WideStringView() : WideStringView(string, SysStringLen(string));
}

BSTR BstrFromView(WideStringView text) {
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

}  // namespace tavrel
