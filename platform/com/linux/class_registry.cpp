#include "platform/com/linux/class_registry.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/code_page.h"
#include "platform/com/auth_identity.h"
#include "platform/com/linux/class_registry_file.h"
#include "platform/com/linux/computer_name.h"
#include "platform/com/linux/last_error.h"
#include "platform/com/node_name.h"

namespace tavrel {

namespace {

constexpr const char* kEveryNode = "*";

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::vector<std::string> NodeKeysOf(const ClassDescriptor& descriptor) {
  if (descriptor.nodes.empty()) return {std::string()};
  std::vector<std::string> keys;
  for (const std::string& node : descriptor.nodes) {
    keys.push_back(node == kEveryNode ? node : CanonicalNodeName(node));
  }
  return keys;
}

bool SharesANode(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  for (const std::string& key : a) {
    if (key == kEveryNode || std::find(b.begin(), b.end(), key) != b.end()) return true;
  }
  return std::find(b.begin(), b.end(), kEveryNode) != b.end();
}

AuthIdentity WideIdentity(const NodeIdentity& identity) {
  return AuthIdentity{AnsiToWide(identity.user), AnsiToWide(identity.domain),
                      AnsiToWide(identity.password)};
}

std::string ReadWholeFile(const std::string& path, bool* found) {
  std::ifstream in(path, std::ios::binary);
  *found = static_cast<bool>(in);
  std::ostringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

// The registry file beside the running executable.
std::string RegistryFileBesideExecutable() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::string();
  return (executable.parent_path() / ClassRegistry::kRegistryFileName).string();
}

}  // namespace

ClassRegistry& ClassRegistry::Instance() {
  static ClassRegistry registry;
  static std::once_flag loaded;
  std::call_once(loaded, [] {
    const std::string path = RegistryFileBesideExecutable();
    if (!path.empty() && std::filesystem::exists(path)) {
      std::vector<std::string> errors = registry.LoadFile(path);
      WriterLock lock(registry.mutex_);
      registry.startupFileErrors_ = std::move(errors);
    }
  });
  return registry;
}

void ClassRegistry::RegisterBuiltInClass(ClassDescriptor descriptor, ClassFactory factory) {
  Register(std::move(descriptor), std::move(factory));
}

void ClassRegistry::RegisterDeclaredClass(ClassDescriptor descriptor) {
  Register(std::move(descriptor), ClassFactory());
}

void ClassRegistry::Register(ClassDescriptor descriptor, ClassFactory factory) {
  Entry entry{std::move(descriptor), std::move(factory), {}};
  entry.nodeKeys = NodeKeysOf(entry.descriptor);
  WriterLock lock(mutex_);
  std::erase_if(entries_, [&](const Entry& existing) {
    return existing.descriptor.clsid == entry.descriptor.clsid &&
           SharesANode(existing.nodeKeys, entry.nodeKeys);
  });
  entries_.push_back(std::move(entry));
}

void ClassRegistry::RegisterNode(NodeDescriptor node) {
  WriterLock lock(mutex_);
  const std::string key = CanonicalNodeName(node.name);
  std::erase_if(nodes_, [&](const NodeDescriptor& existing) {
    return CanonicalNodeName(existing.name) == key;
  });
  nodes_.push_back(std::move(node));
}

std::vector<std::string> ClassRegistry::LoadFile(const std::string& path) {
  bool found = false;
  const std::string text = ReadWholeFile(path, &found);
  if (!found) return {"cannot read " + path};
  ClassRegistryFileContents contents = ParseClassRegistryFile(text);
  for (NodeDescriptor& node : contents.nodes) RegisterNode(std::move(node));
  for (ClassDescriptor& descriptor : contents.classes) RegisterDeclaredClass(std::move(descriptor));
  return contents.errors;
}

std::vector<std::string> ClassRegistry::StartupFileErrors() const {
  ReaderLock lock(mutex_);
  return startupFileErrors_;
}

std::vector<ClassDescriptor> ClassRegistry::Classes() const {
  ReaderLock lock(mutex_);
  std::vector<ClassDescriptor> classes;
  for (const Entry& entry : entries_) classes.push_back(entry.descriptor);
  return classes;
}

std::vector<ClassDescriptor> ClassRegistry::ClassesOnNode(std::string_view node) const {
  const std::string key = CanonicalNodeName(node);
  ReaderLock lock(mutex_);
  std::vector<ClassDescriptor> classes;
  for (const Entry& entry : entries_) {
    if (AnswersOn(entry, key)) classes.push_back(entry.descriptor);
  }
  return classes;
}

std::vector<std::string> ClassRegistry::KnownNodes() const {
  ReaderLock lock(mutex_);
  std::vector<std::string> names;
  std::vector<std::string> keys;
  const auto add = [&](const std::string& name) {
    const std::string key = CanonicalNodeName(name);
    if (key.empty() || name == kEveryNode) return;
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) return;
    keys.push_back(key);
    names.push_back(name.substr(name.find_first_not_of('\\')));
  };
  for (const NodeDescriptor& node : nodes_) add(node.name);
  for (const Entry& entry : entries_) {
    for (const std::string& node : entry.descriptor.nodes) add(node);
  }
  return names;
}

bool ClassRegistry::IsKnownNode(std::string_view node) const {
  ReaderLock lock(mutex_);
  return IsKnownNodeLocked(CanonicalNodeName(node));
}

bool ClassRegistry::IsKnownNodeLocked(const std::string& nodeKey) const {
  if (nodeKey.empty()) return true;
  for (const NodeDescriptor& node : nodes_) {
    if (CanonicalNodeName(node.name) == nodeKey) return true;
  }
  for (const Entry& entry : entries_) {
    if (std::find(entry.nodeKeys.begin(), entry.nodeKeys.end(), nodeKey) != entry.nodeKeys.end()) {
      return true;
    }
  }
  return false;
}

bool ClassRegistry::AnswersOn(const Entry& entry, const std::string& nodeKey) const {
  for (const std::string& key : entry.nodeKeys) {
    if (key == nodeKey) return true;
    if (key == kEveryNode && IsKnownNodeLocked(nodeKey)) return true;
  }
  return false;
}

const ClassRegistry::Entry* ClassRegistry::FindLocked(
    const std::string& nodeKey, const std::function<bool(const ClassDescriptor&)>& matches) const {
  for (const Entry& entry : entries_) {
    if (matches(entry.descriptor) && AnswersOn(entry, nodeKey)) return &entry;
  }
  return nullptr;
}

std::optional<ClassDescriptor> ClassRegistry::FindByProgId(std::string_view progId,
                                                           std::string_view node) const {
  const std::string wanted = LowerAscii(progId);
  ReaderLock lock(mutex_);
  const Entry* entry = FindLocked(CanonicalNodeName(node), [&](const ClassDescriptor& d) {
    return LowerAscii(d.progId) == wanted;
  });
  return entry != nullptr ? std::optional(entry->descriptor) : std::nullopt;
}

std::optional<ClassDescriptor> ClassRegistry::FindByClsid(const CLSID& clsid,
                                                          std::string_view node) const {
  ReaderLock lock(mutex_);
  const Entry* entry = FindLocked(CanonicalNodeName(node),
                                  [&](const ClassDescriptor& d) { return d.clsid == clsid; });
  return entry != nullptr ? std::optional(entry->descriptor) : std::nullopt;
}

HRESULT ClassRegistry::CreateObject(const CLSID& clsid, std::string_view node,
                                    const AuthIdentity* identity, REFIID iid, void** object) const {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const std::string nodeKey = CanonicalNodeName(node);
  ClassDescriptor descriptor;
  ClassFactory factory;
  {
    ReaderLock lock(mutex_);
    if (!IsKnownNodeLocked(nodeKey)) return HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
    const Entry* entry =
        FindLocked(nodeKey, [&](const ClassDescriptor& d) { return d.clsid == clsid; });
    if (entry == nullptr) return REGDB_E_CLASSNOTREG;
    descriptor = entry->descriptor;
    if (!nodeKey.empty()) {
      std::optional<NodeIdentity> demanded = descriptor.identity;
      for (const NodeDescriptor& declared : nodes_) {
        if (!demanded && CanonicalNodeName(declared.name) == nodeKey) demanded = declared.identity;
      }
      if (demanded &&
          (identity == nullptr || !IdentityMatches(WideIdentity(*demanded), *identity))) {
        return E_ACCESSDENIED;
      }
    }
    factory = entry->factory;
    if (!factory) {
      const std::string wanted = LowerAscii(descriptor.implementation);
      for (const Entry& builtIn : entries_) {
        if (builtIn.factory && LowerAscii(builtIn.descriptor.progId) == wanted) {
          factory = builtIn.factory;
          break;
        }
      }
    }
    if (!factory) return CO_E_SERVER_EXEC_FAILURE;
  }
  return factory(ActivationRequest{descriptor, nodeKey}, iid, object);
}

void RegisterBuiltInClass(ClassDescriptor descriptor, ClassFactory factory) {
  ClassRegistry::Instance().RegisterBuiltInClass(std::move(descriptor), std::move(factory));
}

}  // namespace tavrel
