// The published class identifiers of OPC Data Access: the server list's class ID and the
// server category IDs (the interface IDs come with the interfaces, opcda.idl).
#pragma once

#include "platform/com/com_api.h"

namespace tavrel {

// The OPC server enumeration service.
inline constexpr CLSID CLSID_OpcServerList = {
    0x13486D51, 0x4821, 0x11D2, {0xA4, 0x94, 0x3C, 0xB3, 0x06, 0xC1, 0x00, 0x00}};

// Component categories of OPC Data Access servers.
inline constexpr CATID CATID_OPCDAServer10 = {
    0x63D5F430, 0xCFE4, 0x11D1, {0xB2, 0xC8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB}};
inline constexpr CATID CATID_OPCDAServer20 = {
    0x63D5F432, 0xCFE4, 0x11D1, {0xB2, 0xC8, 0x00, 0x60, 0x08, 0x3B, 0xA1, 0xFB}};

}  // namespace tavrel
