// The data types of the OPC Data Access 1.0/2.0 custom interfaces: handles, enumerations,
// structures, quality and access-right bits, item property ids, and the names of the DA 1.0
// stream formats.
//
// Memory rules: every structure and array a server returns through an out pointer, and every
// string inside them, is allocated with CoTaskMemAlloc and freed by the client with
// CoTaskMemFree; VARIANTs inside them are cleared by the client with VariantClear.
#pragma once

#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel {

using OPCHANDLE = DWORD;

enum OPCDATASOURCE : DWORD { OPC_DS_CACHE = 1, OPC_DS_DEVICE = 2 };

enum OPCBROWSETYPE : DWORD { OPC_BRANCH = 1, OPC_LEAF = 2, OPC_FLAT = 3 };

// The spelling "HIERARCHIAL" is the standard's own.
enum OPCNAMESPACETYPE : DWORD { OPC_NS_HIERARCHIAL = 1, OPC_NS_FLAT = 2 };

enum OPCBROWSEDIRECTION : DWORD { OPC_BROWSE_UP = 1, OPC_BROWSE_DOWN = 2, OPC_BROWSE_TO = 3 };

enum OPCEUTYPE : DWORD { OPC_NOENUM = 0, OPC_ANALOG = 1, OPC_ENUMERATED = 2 };

enum OPCSERVERSTATE : DWORD {
  OPC_STATUS_RUNNING = 1,
  OPC_STATUS_FAILED = 2,
  OPC_STATUS_NOCONFIG = 3,
  OPC_STATUS_SUSPENDED = 4,
  OPC_STATUS_TEST = 5,
  OPC_STATUS_COMM_FAULT = 6,
};

enum OPCENUMSCOPE : DWORD {
  OPC_ENUM_PRIVATE_CONNECTIONS = 1,
  OPC_ENUM_PUBLIC_CONNECTIONS = 2,
  OPC_ENUM_ALL_CONNECTIONS = 3,
  OPC_ENUM_PRIVATE = 4,
  OPC_ENUM_PUBLIC = 5,
  OPC_ENUM_ALL = 6,
};

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

// The DA 1.0 stream layouts. A data stream is an OPCGROUPHEADER followed by one item header
// per item (OPCITEMHEADER1 with time stamps, OPCITEMHEADER2 without), then the VARIANT values
// at the offsets the headers give. A write-complete stream is an OPCGROUPHEADERWRITE followed
// by one OPCITEMHEADERWRITE per item.
struct OPCGROUPHEADER {
  DWORD dwSize;
  DWORD dwItemCount;
  OPCHANDLE hClientGroup;
  DWORD dwTransactionID;
  HRESULT hrStatus;
};

struct OPCITEMHEADER1 {
  OPCHANDLE hClient;
  DWORD dwValueOffset;
  WORD wQuality;
  WORD wReserved;
  FILETIME ftTimeStampItem;
};

struct OPCITEMHEADER2 {
  OPCHANDLE hClient;
  DWORD dwValueOffset;
  WORD wQuality;
  WORD wReserved;
};

struct OPCGROUPHEADERWRITE {
  DWORD dwItemCount;
  OPCHANDLE hClientGroup;
  DWORD dwTransactionID;
  HRESULT hrStatus;
};

struct OPCITEMHEADERWRITE {
  OPCHANDLE hClient;
  HRESULT dwError;
};

struct OPCITEMSTATE {
  OPCHANDLE hClient;
  FILETIME ftTimeStamp;
  WORD wQuality;
  WORD wReserved;
  VARIANT vDataValue;
};

struct OPCSERVERSTATUS {
  FILETIME ftStartTime;
  FILETIME ftCurrentTime;
  FILETIME ftLastUpdateTime;
  OPCSERVERSTATE dwServerState;
  DWORD dwGroupCount;
  DWORD dwBandWidth;
  WORD wMajorVersion;
  WORD wMinorVersion;
  WORD wBuildNumber;
  WORD wReserved;
  LPWSTR szVendorInfo;
};

struct OPCITEMDEF {
  LPWSTR szAccessPath;
  LPWSTR szItemID;
  BOOL bActive;
  OPCHANDLE hClient;
  DWORD dwBlobSize;
  BYTE* pBlob;
  VARTYPE vtRequestedDataType;
  WORD wReserved;
};

struct OPCITEMATTRIBUTES {
  LPWSTR szAccessPath;
  LPWSTR szItemID;
  BOOL bActive;
  OPCHANDLE hClient;
  OPCHANDLE hServer;
  DWORD dwAccessRights;
  DWORD dwBlobSize;
  BYTE* pBlob;
  VARTYPE vtRequestedDataType;
  VARTYPE vtCanonicalDataType;
  OPCEUTYPE dwEUType;
  VARIANT vEUInfo;
};

struct OPCITEMRESULT {
  OPCHANDLE hServer;
  VARTYPE vtCanonicalDataType;
  WORD wReserved;
  DWORD dwAccessRights;
  DWORD dwBlobSize;
  BYTE* pBlob;
};

}  // namespace tavrel
