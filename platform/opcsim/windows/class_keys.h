// The registry keys that make a COM class known by its ProgID, written for the current user
// only: under HKEY_CURRENT_USER\Software\Classes, which the system shows through
// HKEY_CLASSES_ROOT. Never machine-wide: a plant's OPC core components own those keys.
//
//   <ProgID>                                       (default) = <description>
//   <ProgID>\CLSID                                 (default) = {CLSID}
//   <ProgID>\OPC                                   empty: the class is an OPC server, the mark
//                                                  OPC browsers look for when they walk the
//                                                  registry
//   CLSID\{CLSID}                                  (default) = <description>
//   CLSID\{CLSID}\ProgID                           (default) = <ProgID>
//   CLSID\{CLSID}\Implemented Categories\{CATID}   empty, one per category
//
// Writing again writes the same values over the old ones. Text is in the system code page.
#pragma once

#include <string>
#include <vector>

#include "platform/com/com_api.h"

namespace tavrel::opcsim {

struct ClassKeys {
  std::string progId;
  CLSID clsid = CLSID_NULL;
  std::string description;
  std::vector<CATID> categories;
  bool opcServer = false;  // writes the OPC mark
};

// Writes the keys above; ERROR_SUCCESS, or the code of the first key or value that could not
// be written.
LSTATUS WriteClassKeys(const ClassKeys& keys);

// Makes the key HKEY_CURRENT_USER\Software\Classes\<path> and, unless `value` is null, sets its
// default value: the one write every key above is made of, for a class that needs more keys
// (an out-of-process server's LocalServer32).
LSTATUS WriteUserClassKey(const std::string& path, const char* value);

}  // namespace tavrel::opcsim
