// The COM and Win32 calls the programs make, with Windows' names, types and values: the one
// seam between the platforms.
//
// On Windows these are the SDK's own headers and the system's COM runtime. On Linux they are
// our stand-in under platform/com/linux/: a runtime in this process whose types and calls
// imitate the SDK's (see there for what each does and where it stops). Code above this header
// is the same for both; it never includes a header of platform/com/linux/ (except the Linux
// programs' class registrations) nor a Windows SDK header.
//
// Windows' names are global there and in namespace tavrel here; code inside namespace tavrel
// spells them the same either way.
#pragma once

#ifdef _WIN32

#include <windows.h>
// The order matters: objbase.h before the OLE headers that need its declarations.
#include <comcat.h>
#include <objbase.h>
#include <objidl.h>
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>

#include "platform/com/interface_id.h"

namespace tavrel {

COM_INTERFACE_ID(IUnknown);
COM_INTERFACE_ID(IClientSecurity);
COM_INTERFACE_ID(IConnectionPoint);
COM_INTERFACE_ID(IConnectionPointContainer);
COM_INTERFACE_ID(IEnumConnectionPoints);
COM_INTERFACE_ID(IEnumConnections);
COM_INTERFACE_ID(IEnumString);
COM_INTERFACE_ID(IEnumGUID);
COM_INTERFACE_ID(IDataObject);
COM_INTERFACE_ID(IAdviseSink);
COM_INTERFACE_ID(IEnumFORMATETC);
COM_INTERFACE_ID(IEnumSTATDATA);

// mingw-w64 declares the sources of these calls without the const of the Windows SDK; the
// calls never change their source.
inline HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source) {
  return ::VariantCopy(destination, const_cast<VARIANTARG*>(source));
}
inline HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                                 VARTYPE vt) {
  return ::VariantChangeType(destination, const_cast<VARIANTARG*>(source), flags, vt);
}
inline HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source, LCID locale,
                                   USHORT flags, VARTYPE vt) {
  return ::VariantChangeTypeEx(destination, const_cast<VARIANTARG*>(source), locale, flags, vt);
}

}  // namespace tavrel

#else

#include "platform/com/linux/activation.h"
#include "platform/com/linux/bstr.h"
#include "platform/com/linux/client_security.h"
#include "platform/com/linux/clipboard_format.h"
#include "platform/com/linux/co_auth_identity.h"
#include "platform/com/linux/code_page_api.h"
#include "platform/com/linux/computer_name.h"
#include "platform/com/linux/connection_point_interfaces.h"
#include "platform/com/linux/data_object.h"
#include "platform/com/linux/enum_interfaces.h"
#include "platform/com/linux/file_time.h"
#include "platform/com/linux/guid.h"
#include "platform/com/linux/hresult.h"
#include "platform/com/linux/last_error.h"
#include "platform/com/linux/message_table.h"
#include "platform/com/linux/safearray.h"
#include "platform/com/linux/task_memory.h"
#include "platform/com/linux/unknown.h"
#include "platform/com/linux/variant.h"
#include "platform/com/linux/variant_change_type.h"
#include "platform/com/linux/variant_time.h"
#include "platform/com/linux/windows_types.h"

#endif
