#include "platform/opcsim/error_strings.h"

#include "platform/com/com_api.h"
#include "platform/opcda/opc_error.h"

namespace tavrel::opcsim {

namespace {

struct CodeText {
  HRESULT code;
  const WCHAR* text;
};

constexpr CodeText kOpcTexts[] = {
    {OPC_E_INVALIDHANDLE, OLESTR("The value of the handle is invalid.")},
    {OPC_E_BADTYPE,
     OLESTR("The server cannot convert the data between the requested data type and ")
         OLESTR("the canonical data type.")},
    {OPC_E_PUBLIC, OLESTR("The requested operation cannot be done on a public group.")},
    {OPC_E_BADRIGHTS, OLESTR("The item's access rights do not allow the operation.")},
    {OPC_E_UNKNOWNITEMID, OLESTR("The item is no longer available in the server address space.")},
    {OPC_E_INVALIDITEMID, OLESTR("The item definition does not conform to the server's syntax.")},
    {OPC_E_INVALIDFILTER, OLESTR("The filter string is not valid.")},
    {OPC_E_UNKNOWNPATH, OLESTR("The item's access path is not known to the server.")},
    {OPC_E_RANGE, OLESTR("The value was out of range.")},
    {OPC_E_DUPLICATENAME, OLESTR("Duplicate name not allowed.")},
    {OPC_S_UNSUPPORTEDRATE,
     OLESTR("The server does not support the requested data rate but will use ")
         OLESTR("the closest available rate.")},
    {OPC_S_CLAMP, OLESTR("A value passed to write was accepted but the output was clamped.")},
    {OPC_S_INUSE,
     OLESTR("The operation cannot be performed because the object is being referenced.")},
    {OPC_E_INVALIDCONFIGFILE, OLESTR("The server's configuration file is an invalid format.")},
    {OPC_E_NOTFOUND, OLESTR("The requested object (e.g. a public group) was not found.")},
    {OPC_E_INVALID_PID, OLESTR("The specified property ID is not valid for the item.")},
};

}  // namespace

std::optional<WideString> ErrorText(HRESULT error) {
  for (const CodeText& entry : kOpcTexts) {
    if (entry.code == error) return WideString(entry.text);
  }
  WCHAR buffer[512];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(error), 0, buffer, 512, nullptr);
  if (length == 0) return std::nullopt;
  WideString text(buffer, length);
  while (!text.empty() && (text.back() == OLESTR('\n') || text.back() == OLESTR('\r'))) {
    text.pop_back();
  }
  return text;
}

}  // namespace tavrel::opcsim
