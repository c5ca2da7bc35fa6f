// ServerSession: what a connection holds of its server: the server's main interface, each
// group's interfaces and handles, each tag's server handle and the CLSID text in use.
//
// Rule: one mutex guards every field, for every reader and writer. The worker is the only
// writer; writes (the API thread) and error texts read copies. The lock is never held while
// the server is called: callers take copies (a ComPtr copy adds a reference) and call through
// them, so a teardown on the worker never pulls an interface from under a call.
//
// Groups and tags are addressed by their index in the server's project entry: groups in file
// order, tags by ServerTagRange.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "bridge/core/project_tree.h"
#include "common/mutex.h"
#include "platform/com/com_ptr.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

// The tags of one server take consecutive handles (bridge_project.h); this maps them to
// 0-based indexes.
class ServerTagRange {
 public:
  explicit ServerTagRange(const ProjectServer& server);
  std::size_t Count() const { return count_; }
  // The index of `tag`, or none for a tag of another server.
  std::optional<std::size_t> Find(const ProjectTag& tag) const;
  // The index of a tag of this server.
  std::size_t IndexOf(const ProjectTag& tag) const {
    return static_cast<std::size_t>(tag.handle - firstHandle_);
  }

 private:
  const ProjectServer& server_;
  TagHandle firstHandle_ = 0;
  std::size_t count_ = 0;
};

// A group's interfaces and handles while it is registered.
struct GroupInterfaces {
  ComPtr<IOPCGroupStateMgt> stateMgt;
  ComPtr<IOPCAsyncIO2> asyncIO2;
  ComPtr<IOPCSyncIO> syncIO;
  OPCHANDLE serverHandle = 0;
  DWORD callbackCookie = 0;
};

// What a write of one tag needs, copied under the lock.
struct WriteTarget {
  ComPtr<IOPCGroupStateMgt> group;
  OPCHANDLE serverHandle = 0;
  DWORD callbackCookie = 0;
  bool groupsAdded = false;  // a group was added on some connection of this server
};

class ServerSession {
 public:
  ServerSession(std::size_t groupCount, std::size_t tagCount, std::string clsidText);

  ServerSession(const ServerSession&) = delete;
  ServerSession& operator=(const ServerSession&) = delete;

  // Any thread.
  ComPtr<IOPCServer> Server() const;
  GroupInterfaces Group(std::size_t groupIndex) const;
  // None while the tag has no server handle or its group no interface.
  std::optional<WriteTarget> WriteTargetOf(std::size_t groupIndex, std::size_t tagIndex) const;
  std::string ClsidText() const;

  // The worker.
  void HoldServer(ComPtr<IOPCServer> server);
  // Hands out the server's interface; the session holds none afterwards.
  ComPtr<IOPCServer> ReleaseServer();
  void AddGroup(std::size_t groupIndex, ComPtr<IOPCGroupStateMgt> stateMgt, OPCHANDLE serverHandle);
  void SetGroupIO(std::size_t groupIndex, ComPtr<IOPCAsyncIO2> asyncIO2, ComPtr<IOPCSyncIO> syncIO);
  void SetCallbackCookie(std::size_t groupIndex, DWORD cookie);
  // Hands out the group's interfaces; its handle and cookie stay for the teardown's log and
  // the next registration.
  GroupInterfaces ReleaseGroup(std::size_t groupIndex);
  bool GroupsAdded() const;
  OPCHANDLE ServerHandle(std::size_t tagIndex) const;
  // Every tag's server handle, by tag index (0: none), copied under one hold of the lock.
  std::vector<OPCHANDLE> ServerHandles() const;
  // `results[i].hServer` becomes the server handle of tag `firstTag + i`.
  void SetServerHandles(std::size_t firstTag, const OPCITEMRESULT* results, std::size_t count);
  // Forgets every tag's server handle: they named items of a connection that ended, and a
  // write must not reach whatever they name on the next one.
  void ClearServerHandles();
  void SetClsidText(std::string text);

 private:
  mutable Mutex mutex_;
  ComPtr<IOPCServer> server_ GUARDED_BY(mutex_);
  std::vector<GroupInterfaces> groups_ GUARDED_BY(mutex_);
  std::vector<OPCHANDLE> serverHandles_ GUARDED_BY(mutex_);  // by tag index; 0 when none
  bool groupsAdded_ GUARDED_BY(mutex_) = false;
  std::string clsidText_ GUARDED_BY(mutex_);
};

}  // namespace tavrel
