// The OPC Data Access 1.0/2.0 custom interfaces with their handles, enumerations and
// structures, declared by opcda.idl (see there for the memory rules); and the standard's
// constants: quality and access-right bits, item property ids and descriptions, and the names
// of the DA 1.0 stream formats.
#pragma once

#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel {

#include "platform/opcda/opcda_declarations.h"

// Access rights of an item.
inline constexpr DWORD OPC_READABLE = 0x1;
inline constexpr DWORD OPC_WRITEABLE = 0x2;

// Quality: bits 7..6 the quality, 5..2 the substatus, 1..0 the limit.
inline constexpr WORD OPC_QUALITY_MASK = 0xC0;
inline constexpr WORD OPC_STATUS_MASK = 0xFC;
inline constexpr WORD OPC_LIMIT_MASK = 0x03;
inline constexpr WORD OPC_QUALITY_BAD = 0x00;
inline constexpr WORD OPC_QUALITY_UNCERTAIN = 0x40;
inline constexpr WORD OPC_QUALITY_GOOD = 0xC0;
inline constexpr WORD OPC_QUALITY_CONFIG_ERROR = 0x04;
inline constexpr WORD OPC_QUALITY_NOT_CONNECTED = 0x08;
inline constexpr WORD OPC_QUALITY_DEVICE_FAILURE = 0x0C;
inline constexpr WORD OPC_QUALITY_SENSOR_FAILURE = 0x10;
inline constexpr WORD OPC_QUALITY_LAST_KNOWN = 0x14;
inline constexpr WORD OPC_QUALITY_COMM_FAILURE = 0x18;
inline constexpr WORD OPC_QUALITY_OUT_OF_SERVICE = 0x1C;
inline constexpr WORD OPC_QUALITY_LAST_USABLE = 0x44;
inline constexpr WORD OPC_QUALITY_SENSOR_CAL = 0x50;
inline constexpr WORD OPC_QUALITY_EGU_EXCEEDED = 0x54;
inline constexpr WORD OPC_QUALITY_SUB_NORMAL = 0x58;
inline constexpr WORD OPC_QUALITY_LOCAL_OVERRIDE = 0xD8;
inline constexpr WORD OPC_LIMIT_OK = 0x00;
inline constexpr WORD OPC_LIMIT_LOW = 0x01;
inline constexpr WORD OPC_LIMIT_HIGH = 0x02;
inline constexpr WORD OPC_LIMIT_CONST = 0x03;

// Item property ids and their standard descriptions.
inline constexpr DWORD OPC_PROPERTY_DATATYPE = 1;
inline constexpr DWORD OPC_PROPERTY_VALUE = 2;
inline constexpr DWORD OPC_PROPERTY_QUALITY = 3;
inline constexpr DWORD OPC_PROPERTY_TIMESTAMP = 4;
inline constexpr DWORD OPC_PROPERTY_ACCESS_RIGHTS = 5;
inline constexpr DWORD OPC_PROPERTY_SCAN_RATE = 6;
inline constexpr DWORD OPC_PROPERTY_EU_TYPE = 7;
inline constexpr DWORD OPC_PROPERTY_EU_INFO = 8;
inline constexpr DWORD OPC_PROPERTY_EU_UNITS = 100;
inline constexpr DWORD OPC_PROPERTY_DESCRIPTION = 101;
inline constexpr DWORD OPC_PROPERTY_HIGH_EU = 102;
inline constexpr DWORD OPC_PROPERTY_LOW_EU = 103;
inline constexpr DWORD OPC_PROPERTY_HIGH_IR = 104;
inline constexpr DWORD OPC_PROPERTY_LOW_IR = 105;
inline constexpr DWORD OPC_PROPERTY_CLOSE_LABEL = 106;
inline constexpr DWORD OPC_PROPERTY_OPEN_LABEL = 107;
inline constexpr DWORD OPC_PROPERTY_TIMEZONE = 108;

inline constexpr const WCHAR* OPC_PROPERTY_DESC_DATATYPE = OLESTR("Item Canonical DataType");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_VALUE = OLESTR("Item Value");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_QUALITY = OLESTR("Item Quality");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_TIMESTAMP = OLESTR("Item Timestamp");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_ACCESS_RIGHTS = OLESTR("Item Access Rights");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_SCAN_RATE = OLESTR("Server Scan Rate");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_EU_TYPE = OLESTR("Item EU Type");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_EU_INFO = OLESTR("Item EUInfo");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_EU_UNITS = OLESTR("EU Units");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_DESCRIPTION = OLESTR("Item Description");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_HIGH_EU = OLESTR("High EU");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_LOW_EU = OLESTR("Low EU");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_HIGH_IR = OLESTR("High Instrument Range");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_LOW_IR = OLESTR("Low Instrument Range");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_CLOSE_LABEL = OLESTR("Contact Close Label");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_OPEN_LABEL = OLESTR("Contact Open Label");
inline constexpr const WCHAR* OPC_PROPERTY_DESC_TIMEZONE = OLESTR("Item Timezone");

inline constexpr const WCHAR* OPC_CATEGORY_DESCRIPTION_DA10 =
    OLESTR("OPC Data Access Servers Version 1.0");
inline constexpr const WCHAR* OPC_CATEGORY_DESCRIPTION_DA20 =
    OLESTR("OPC Data Access Servers Version 2.0");

// Clipboard format names of the DA 1.0 data streams (register them with
// RegisterClipboardFormatA).
inline constexpr const char* kOpcStreamFormatData = "OPCSTMFORMATDATA";
inline constexpr const char* kOpcStreamFormatDataTime = "OPCSTMFORMATDATATIME";
inline constexpr const char* kOpcStreamFormatWriteComplete = "OPCSTMFORMATWRITECOMPLETE";
}  // namespace tavrel
