#include "platform/opcsim/windows/class_keys.h"

#include <memory>
#include <type_traits>

#include "platform/com/guid_text.h"

namespace tavrel::opcsim {

namespace {

constexpr char kUserClasses[] = "Software\\Classes\\";

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

}  // namespace

LSTATUS WriteUserClassKey(const std::string& path, const char* value) {
  HKEY opened = nullptr;
  const std::string fullPath = kUserClasses + path;
  LSTATUS status =
      RegCreateKeyExA(HKEY_CURRENT_USER, fullPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return status;
  const UniqueKey key(opened);
  if (value == nullptr) return ERROR_SUCCESS;
  return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                        static_cast<DWORD>(std::char_traits<char>::length(value) + 1));
}

LSTATUS WriteClassKeys(const ClassKeys& keys) {
  const std::string clsid = GuidToString(keys.clsid);
  const std::string clsidKey = "CLSID\\" + clsid;
  LSTATUS status = WriteUserClassKey(keys.progId, keys.description.c_str());
  if (status == ERROR_SUCCESS) status = WriteUserClassKey(keys.progId + "\\CLSID", clsid.c_str());
  if (status == ERROR_SUCCESS && keys.opcServer) {
    status = WriteUserClassKey(keys.progId + "\\OPC", nullptr);
  }
  if (status == ERROR_SUCCESS) status = WriteUserClassKey(clsidKey, keys.description.c_str());
  if (status == ERROR_SUCCESS) {
    status = WriteUserClassKey(clsidKey + "\\ProgID", keys.progId.c_str());
  }
  for (const CATID& category : keys.categories) {
    if (status != ERROR_SUCCESS) break;
    status = WriteUserClassKey(clsidKey + "\\Implemented Categories\\" + GuidToString(category),
                               nullptr);
  }
  return status;
}

}  // namespace tavrel::opcsim
