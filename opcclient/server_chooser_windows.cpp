// Windows: the classes of this computer's registry or, through the remote registry service, of
// another's, and the computers the network neighbourhood lists. Texts are read through the ANSI
// calls, so that they arrive in the system code page (GBK), as text inside the programs is.
#include <windows.h>
#include <winnetwk.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>

#include "opcclient/registered_servers.h"
#include "platform/com/guid_text.h"

namespace tavrel {

namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct EnumerationCloser {
  void operator()(HANDLE enumeration) const { WNetCloseEnum(enumeration); }
};

UniqueKey OpenKey(HKEY parent, const std::string& path) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return nullptr;
  return UniqueKey(opened);
}

// HKEY_CLASSES_ROOT here; another host's machine-wide classes, since its remote registry
// serves HKEY_LOCAL_MACHINE and HKEY_USERS only. Null when the host cannot be reached.
UniqueKey ClassesOf(const std::string& host) {
  if (host.empty()) return OpenKey(HKEY_CLASSES_ROOT, "");
  HKEY connected = nullptr;
  const std::string machine = "\\\\" + host;
  if (RegConnectRegistryA(machine.c_str(), HKEY_LOCAL_MACHINE, &connected) != ERROR_SUCCESS) {
    return nullptr;
  }
  const UniqueKey machineKey(connected);
  return OpenKey(machineKey.get(), "SOFTWARE\\Classes");
}

// The default value of `key`\`path` when it is text.
std::optional<std::string> DefaultText(HKEY key, const std::string& path) {
  DWORD size = 0;
  if (RegGetValueA(key, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string text(size, '\0');
  if (RegGetValueA(key, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  text.resize(size > 0 ? size - 1 : 0);  // the size counts the terminating NUL
  return text;
}

}  // namespace

std::vector<ServerChooserEntry> RegisteredOpcServers(const std::string& host) {
  std::vector<ServerChooserEntry> entries;
  const UniqueKey classes = ClassesOf(host);
  if (!classes) return entries;
  // A key name has at most 255 characters, each at most two bytes in a double-byte code page.
  char name[512];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    const LONG result =
        RegEnumKeyExA(classes.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;  // longer than any ProgID: the others still count
    if (result != ERROR_SUCCESS) break;       // the end, or a registry that stopped answering
    const std::string progId(name, length);
    if (!OpenKey(classes.get(), progId + "\\OPC")) continue;
    const std::optional<std::string> clsidText = DefaultText(classes.get(), progId + "\\CLSID");
    CLSID clsid;
    if (!clsidText || !ParseGuid(*clsidText, &clsid)) continue;  // a ProgID of no class
    entries.push_back({progId, DefaultText(classes.get(), progId).value_or(""), clsid});
  }
  return entries;
}

std::vector<std::string> EnumNetworkHosts() {
  std::vector<std::string> hosts;
  HANDLE opened = nullptr;
  if (WNetOpenEnumA(RESOURCE_CONTEXT, RESOURCETYPE_ANY, 0, nullptr, &opened) != NO_ERROR) {
    return hosts;
  }
  const std::unique_ptr<std::remove_pointer_t<HANDLE>, EnumerationCloser> enumeration(opened);
  // The structures come first in the buffer, the texts they point to after them.
  std::vector<NETRESOURCEA> buffer(16 * 1024 / sizeof(NETRESOURCEA));
  while (true) {
    DWORD count = static_cast<DWORD>(-1);  // as many as fit
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(NETRESOURCEA));
    if (WNetEnumResourceA(enumeration.get(), &count, buffer.data(), &size) != NO_ERROR) break;
    for (DWORD index = 0; index < count; ++index) {
      const NETRESOURCEA& resource = buffer[index];
      if (resource.dwDisplayType != RESOURCEDISPLAYTYPE_SERVER) continue;
      if (resource.lpRemoteName == nullptr) continue;
      std::string_view remoteName = resource.lpRemoteName;  // "\\NAME"
      remoteName.remove_prefix(std::min(remoteName.find_first_not_of('\\'), remoteName.size()));
      hosts.emplace_back(remoteName);
    }
  }
  return hosts;
}

}  // namespace tavrel
