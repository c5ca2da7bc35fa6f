// The status codes of the OPC Data Access custom interfaces (FACILITY_ITF).
//
// None of them has a system message text: a client asks the server's GetErrorString.
#pragma once

#include "platform/com/com_api.h"

namespace tavrel {

inline constexpr HRESULT OPC_E_INVALIDHANDLE = static_cast<HRESULT>(0xC0040001);
inline constexpr HRESULT OPC_E_BADTYPE = static_cast<HRESULT>(0xC0040004);
inline constexpr HRESULT OPC_E_PUBLIC = static_cast<HRESULT>(0xC0040005);
inline constexpr HRESULT OPC_E_BADRIGHTS = static_cast<HRESULT>(0xC0040006);
inline constexpr HRESULT OPC_E_UNKNOWNITEMID = static_cast<HRESULT>(0xC0040007);
inline constexpr HRESULT OPC_E_INVALIDITEMID = static_cast<HRESULT>(0xC0040008);
inline constexpr HRESULT OPC_E_INVALIDFILTER = static_cast<HRESULT>(0xC0040009);
inline constexpr HRESULT OPC_E_UNKNOWNPATH = static_cast<HRESULT>(0xC004000A);
inline constexpr HRESULT OPC_E_RANGE = static_cast<HRESULT>(0xC004000B);
inline constexpr HRESULT OPC_E_DUPLICATENAME = static_cast<HRESULT>(0xC004000C);
inline constexpr HRESULT OPC_S_UNSUPPORTEDRATE = static_cast<HRESULT>(0x0004000D);
inline constexpr HRESULT OPC_S_CLAMP = static_cast<HRESULT>(0x0004000E);
inline constexpr HRESULT OPC_S_INUSE = static_cast<HRESULT>(0x0004000F);
inline constexpr HRESULT OPC_E_INVALIDCONFIGFILE = static_cast<HRESULT>(0xC0040010);
inline constexpr HRESULT OPC_E_NOTFOUND = static_cast<HRESULT>(0xC0040011);
inline constexpr HRESULT OPC_E_INVALID_PID = static_cast<HRESULT>(0xC0040203);

}  // namespace tavrel
