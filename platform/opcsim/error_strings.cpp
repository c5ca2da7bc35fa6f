#include "platform/opcsim/error_strings.h"

#include "platform/com/message_table.h"
#include "platform/opcda/opc_error.h"

namespace {

struct CodeText {
  HRESULT code;
  const char16_t* text;
};

constexpr CodeText kOpcTexts[] = {
    {OPC_E_INVALIDHANDLE, u"The value of the handle is invalid."},
    {OPC_E_BADTYPE,
     u"The server cannot convert the data between the requested data type and "
     u"the canonical data type."},
    {OPC_E_PUBLIC, u"The requested operation cannot be done on a public group."},
    {OPC_E_BADRIGHTS, u"The item's access rights do not allow the operation."},
    {OPC_E_UNKNOWNITEMID, u"The item is no longer available in the server address space."},
    {OPC_E_INVALIDITEMID, u"The item definition does not conform to the server's syntax."},
    {OPC_E_INVALIDFILTER, u"The filter string is not valid."},
    {OPC_E_UNKNOWNPATH, u"The item's access path is not known to the server."},
    {OPC_E_RANGE, u"The value was out of range."},
    {OPC_E_DUPLICATENAME, u"Duplicate name not allowed."},
    {OPC_S_UNSUPPORTEDRATE,
     u"The server does not support the requested data rate but will use "
     u"the closest available rate."},
    {OPC_S_CLAMP, u"A value passed to write was accepted but the output was clamped."},
    {OPC_S_INUSE, u"The operation cannot be performed because the object is being referenced."},
    {OPC_E_INVALIDCONFIGFILE, u"The server's configuration file is an invalid format."},
    {OPC_E_NOTFOUND, u"The requested object (e.g. a public group) was not found."},
    {OPC_E_INVALID_PID, u"The specified property ID is not valid for the item."},
};

}  // namespace

std::optional<std::u16string> ErrorText(HRESULT error) {
  for (const CodeText& entry : kOpcTexts) {
    if (entry.code == error) return std::u16string(entry.text);
  }
  WCHAR buffer[512];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(error), 0, buffer, 512, nullptr);
  if (length == 0) return std::nullopt;
  std::u16string text(buffer, length);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r')) text.pop_back();
  return text;
}
