#include "platform/com/linux/guid.h"

#include <algorithm>

#include "platform/com/guid_text.h"
#include "platform/com/linux/activation.h"
#include "platform/com/linux/task_memory.h"
#include "platform/com/task_memory_ptr.h"

namespace tavrel {

namespace {

WideStringView WideView(LPCOLESTR text) {
  return WideStringView(text, std::char_traits<WCHAR>::length(text));
}

}  // namespace

// As on Windows, a text without the opening brace is read as a ProgID, so that a project whose
// class identifier names its ProgID finds the class on both systems.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid) {
  if (clsid == nullptr) return E_INVALIDARG;
  *clsid = CLSID_NULL;
  if (text == nullptr) return S_OK;
  if (ParseGuid(WideView(text), clsid)) return S_OK;
  if (text[0] != u'{' && text[0] != u'\0' && CLSIDFromProgID(text, clsid) == S_OK) return S_OK;
  *clsid = CLSID_NULL;
  return CO_E_CLASSSTRING;
}

HRESULT IIDFromString(LPCOLESTR text, LPIID iid) {
  if (iid == nullptr) return E_INVALIDARG;
  *iid = IID_NULL;
  if (text == nullptr) return S_OK;
  if (ParseGuid(WideView(text), iid)) return S_OK;
  *iid = IID_NULL;
  return E_INVALIDARG;
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity) {
  if (buffer == nullptr || capacity < kGuidStringSize) return 0;
  const std::string text = GuidToString(guid);
  std::copy(text.begin(), text.end(), buffer);
  buffer[kGuidStringLength] = u'\0';
  return kGuidStringSize;
}

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  const std::string narrow = GuidToString(clsid);
  *text = TaskMemStringDuplicate(WideString(narrow.begin(), narrow.end()));
  return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT StringFromIID(REFIID iid, LPOLESTR* text) { return StringFromCLSID(iid, text); }

}  // namespace tavrel
