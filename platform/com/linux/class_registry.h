// The class registry: which COM classes exist, on which nodes, and how they are created.
//
// A class has a ProgID, a CLSID, a description (its user type name), the OPC categories it
// implements, the nodes it answers on and, optionally, the identity a remote caller must
// present. Built-in classes come with a factory (RegisterBuiltInClass); classes declared in
// the registry file (class_registry_file.h) name the built-in class whose factory serves
// them, which receives their descriptor and so can act on their settings.
//
// Nodes: a class answers on the nodes it lists; with no list it answers on this computer
// only. "*" stands for every node the registry knows and this computer. A node is known when
// a class lists it or a node entry declares it; a node entry may also declare the identity
// every class on that node demands (a class's own identity takes precedence). Node names are
// compared as computer_name.h canonicalises them: without regard to case, every name of this
// computer being the same node.
//
// All strings are in the system code page. The registry is thread-safe; factories run
// without any lock held.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/mutex.h"
#include "platform/com/auth_identity.h"
#include "platform/com/linux/co_auth_identity.h"
#include "platform/com/linux/guid.h"
#include "platform/com/linux/hresult.h"

namespace tavrel {

// The identity a remote node demands of its callers.
struct NodeIdentity {
  std::string user;
  std::string domain;  // empty: any domain
  std::string password;
};

struct ClassDescriptor {
  std::string progId;
  CLSID clsid = CLSID_NULL;
  std::string description;
  std::vector<CATID> categories;
  std::vector<std::string> nodes;  // empty: this computer only; "*": every known node
  std::optional<NodeIdentity> identity;
  // For a class declared in the registry file: the ProgID of the built-in class serving it.
  std::string implementation;
  // Further keys of a registry file entry, for the implementation to interpret.
  std::map<std::string, std::string> settings;
};

struct NodeDescriptor {
  std::string name;
  std::optional<NodeIdentity> identity;
};

// What a factory is asked to create: which class, on which node ("" = this computer).
struct ActivationRequest {
  const ClassDescriptor& descriptor;
  std::string node;
};

// Creates an object of the class and returns its `iid` interface in `*object` (one
// reference), or fails with an HRESULT that activation passes on.
using ClassFactory = std::function<HRESULT(const ActivationRequest&, REFIID iid, void** object)>;

class ClassRegistry {
 public:
  // The registry of the process. On first use it loads the registry file beside the
  // executable (kRegistryFileName), if there is one.
  static ClassRegistry& Instance();
  static constexpr const char* kRegistryFileName = "com_registry.conf";

  ClassRegistry() = default;
  ClassRegistry(const ClassRegistry&) = delete;
  ClassRegistry& operator=(const ClassRegistry&) = delete;

  // Registers a class. A class registered earlier with the same CLSID on a node of the new
  // one is replaced, as writing the registry again replaces its keys.
  void RegisterBuiltInClass(ClassDescriptor descriptor, ClassFactory factory);
  void RegisterDeclaredClass(ClassDescriptor descriptor);
  void RegisterNode(NodeDescriptor node);
  // Reads a registry file and registers what it declares; returns the file's error lines.
  std::vector<std::string> LoadFile(const std::string& path);
  // The errors of the file loaded on first use of Instance() (none when there was no file).
  std::vector<std::string> StartupFileErrors() const;

  // Every registered class, in registration order.
  std::vector<ClassDescriptor> Classes() const;
  // The classes answering on `node`, in registration order.
  std::vector<ClassDescriptor> ClassesOnNode(std::string_view node) const;
  // The other computers the registry knows, by their declared names, in order of appearance.
  std::vector<std::string> KnownNodes() const;
  bool IsKnownNode(std::string_view node) const;
  // The class answering on `node` with this ProgID (compared without regard to case) or CLSID.
  std::optional<ClassDescriptor> FindByProgId(std::string_view progId, std::string_view node) const;
  std::optional<ClassDescriptor> FindByClsid(const CLSID& clsid, std::string_view node) const;

  // Creates an object of class `clsid` on `node` for a caller presenting `identity` (null
  // for none). Fails with HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) for a remote node the
  // registry does not know, REGDB_E_CLASSNOTREG when the class does not answer there,
  // E_ACCESSDENIED when the node demands an identity that was not presented, and
  // CO_E_SERVER_EXEC_FAILURE when no built-in class serves a declared one; otherwise returns
  // the factory's result. Activation on this computer demands no identity.
  HRESULT CreateObject(const CLSID& clsid, std::string_view node, const AuthIdentity* identity,
                       REFIID iid, void** object) const;

 private:
  struct Entry {
    ClassDescriptor descriptor;
    ClassFactory factory;               // empty for declared classes
    std::vector<std::string> nodeKeys;  // canonical node names
  };

  void Register(ClassDescriptor descriptor, ClassFactory factory);
  bool IsKnownNodeLocked(const std::string& nodeKey) const REQUIRES_SHARED(mutex_);
  const Entry* FindLocked(const std::string& nodeKey,
                          const std::function<bool(const ClassDescriptor&)>& matches) const
      REQUIRES_SHARED(mutex_);
  bool AnswersOn(const Entry& entry, const std::string& nodeKey) const REQUIRES_SHARED(mutex_);

  mutable SharedMutex mutex_;
  std::vector<Entry> entries_ GUARDED_BY(mutex_);
  std::vector<NodeDescriptor> nodes_ GUARDED_BY(mutex_);
  std::vector<std::string> startupFileErrors_ GUARDED_BY(mutex_);
};

// Our own shorthand for the process registry.
void RegisterBuiltInClass(ClassDescriptor descriptor, ClassFactory factory);

}  // namespace tavrel
