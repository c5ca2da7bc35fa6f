#include "platform/com/linux/message_table.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/com/linux/hresult.h"
#include "platform/com/linux/last_error.h"

namespace tavrel {

namespace {

struct Message {
  DWORD id;
  const char* text;
};

constexpr Message kMessages[] = {
    {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
    {ERROR_INVALID_FUNCTION, "Incorrect function.\r\n"},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
    {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY,
     "Not enough memory resources are available to process this command.\r\n"},
    {ERROR_OUTOFMEMORY,
     "Not enough memory resources are available to complete this operation.\r\n"},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
    {ERROR_BUFFER_OVERFLOW, "The file name is too long.\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
    {ERROR_MR_MID_NOT_FOUND,
     "The system cannot find message text for message number 0x%1 in the message file for %2.\r\n"},
    {ERROR_INVALID_FLAGS, "Invalid flags.\r\n"},
    {ERROR_NO_UNICODE_TRANSLATION,
     "No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
    {RPC_S_SERVER_UNAVAILABLE, "The RPC server is unavailable.\r\n"},
    {static_cast<DWORD>(E_UNEXPECTED), "Catastrophic failure\r\n"},
    {static_cast<DWORD>(E_NOTIMPL), "Not implemented\r\n"},
    {static_cast<DWORD>(E_NOINTERFACE), "No such interface supported\r\n"},
    {static_cast<DWORD>(E_POINTER), "Invalid pointer\r\n"},
    {static_cast<DWORD>(E_ABORT), "Operation aborted\r\n"},
    {static_cast<DWORD>(E_FAIL), "Unspecified error\r\n"},
    {static_cast<DWORD>(RPC_E_SERVERFAULT), "The server threw an exception.\r\n"},
    {static_cast<DWORD>(RPC_E_CHANGED_MODE), "Cannot change thread mode after it is set.\r\n"},
    {static_cast<DWORD>(RPC_E_DISCONNECTED),
     "The object invoked has disconnected from its clients.\r\n"},
    {static_cast<DWORD>(RPC_E_TOO_LATE),
     "Security must be initialized before any interfaces are marshalled or unmarshalled. It "
     "cannot be changed once initialized.\r\n"},
    {static_cast<DWORD>(DISP_E_TYPEMISMATCH), "Type mismatch.\r\n"},
    {static_cast<DWORD>(DISP_E_BADVARTYPE), "Bad variable type.\r\n"},
    {static_cast<DWORD>(DISP_E_OVERFLOW), "Out of present range.\r\n"},
    {static_cast<DWORD>(DISP_E_BADINDEX), "Invalid index.\r\n"},
    {static_cast<DWORD>(DISP_E_ARRAYISLOCKED), "Memory is locked.\r\n"},
    {static_cast<DWORD>(OLE_E_ADVISENOTSUPPORTED), "This implementation doesn't take advises\r\n"},
    {static_cast<DWORD>(OLE_E_NOCONNECTION), "There is no connection for this connection ID\r\n"},
    {static_cast<DWORD>(DV_E_FORMATETC), "Invalid FORMATETC structure\r\n"},
    {static_cast<DWORD>(CLASS_E_NOAGGREGATION),
     "Class does not support aggregation (or class object is remote)\r\n"},
    {static_cast<DWORD>(REGDB_E_CLASSNOTREG), "Class not registered\r\n"},
    {static_cast<DWORD>(CO_E_NOTINITIALIZED), "CoInitialize has not been called.\r\n"},
    {static_cast<DWORD>(CO_E_CLASSSTRING), "Invalid class string\r\n"},
    {static_cast<DWORD>(CO_E_SERVER_EXEC_FAILURE), "Server execution failed\r\n"},
    {static_cast<DWORD>(CO_S_NOTALLINTERFACES),
     "Not all the requested interfaces were available\r\n"},
};

const char* FindMessage(DWORD id) {
  // An HRESULT of FACILITY_WIN32 carries its Win32 error in the low word.
  if ((id & 0xFFFF0000u) == 0x80070000u) id &= 0xFFFF;
  for (const Message& message : kMessages) {
    if (message.id == id) return message.text;
  }
  return nullptr;
}

// The text as the flags ask for it: with a maximum width, regular line breaks become blanks.
std::string Render(const char* text, DWORD flags) {
  std::string rendered = text;
  if ((flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) == 0) return rendered;
  std::string flattened;
  for (size_t i = 0; i < rendered.size(); ++i) {
    if (rendered[i] == '\r' && i + 1 < rendered.size() && rendered[i + 1] == '\n') {
      flattened.push_back(' ');
      ++i;
    } else {
      flattened.push_back(rendered[i]);
    }
  }
  return flattened;
}

// Looks the text up and delivers it in `Char` units by the buffer rules of FormatMessage.
template <typename Char>
DWORD Format(DWORD flags, LPCVOID source, DWORD messageId, Char* buffer, DWORD size) {
  const DWORD unsupported = FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY;
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & unsupported) ||
      ((flags & FORMAT_MESSAGE_FROM_HMODULE) && source != nullptr) || buffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const char* text = FindMessage(messageId);
  if (text == nullptr) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  const std::string rendered = Render(text, flags);  // ASCII: one unit per character
  const size_t needed = rendered.size() + 1;
  Char* target = buffer;
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    const size_t units = needed > size ? needed : size;
    target = static_cast<Char*>(std::malloc(units * sizeof(Char)));
    if (target == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    *reinterpret_cast<Char**>(buffer) = target;
  } else if (needed > size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  for (size_t i = 0; i < rendered.size(); ++i) target[i] = static_cast<Char>(rendered[i]);
  target[rendered.size()] = Char{0};
  return static_cast<DWORD>(rendered.size());
}

}  // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD /*languageId*/,
                     LPSTR buffer, DWORD size, va_list* /*arguments*/) {
  return Format(flags, source, messageId, buffer, size);
}

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD /*languageId*/,
                     LPWSTR buffer, DWORD size, va_list* /*arguments*/) {
  return Format(flags, source, messageId, buffer, size);
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}

}  // namespace tavrel
