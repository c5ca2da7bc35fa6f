#include "bridge/opc/server_session.h"

#include <algorithm>
#include <utility>

namespace tavrel {

ServerTagRange::ServerTagRange(const ProjectServer& server) : server_(server) {
  for (const auto& group : server.groups) {
    if (count_ == 0 && !group->tags.empty()) firstHandle_ = group->tags.front()->handle;
    count_ += group->tags.size();
  }
}

std::optional<std::size_t> ServerTagRange::Find(const ProjectTag& tag) const {
  const std::size_t index = IndexOf(tag);
  if (tag.handle < firstHandle_ || index >= count_ || &tag.group.server != &server_) {
    return std::nullopt;
  }
  return index;
}

ServerSession::ServerSession(std::size_t groupCount, std::size_t tagCount, std::string clsidText)
    : groups_(groupCount), serverHandles_(tagCount), clsidText_(std::move(clsidText)) {}

ComPtr<IOPCServer> ServerSession::Server() const {
  const MutexLock lock(mutex_);
  return server_;
}

GroupInterfaces ServerSession::Group(std::size_t groupIndex) const {
  const MutexLock lock(mutex_);
  return groups_[groupIndex];
}

std::optional<WriteTarget> ServerSession::WriteTargetOf(std::size_t groupIndex,
                                                        std::size_t tagIndex) const {
  const MutexLock lock(mutex_);
  const GroupInterfaces& group = groups_[groupIndex];
  if (serverHandles_[tagIndex] == 0 || !group.stateMgt) return std::nullopt;
  return WriteTarget{group.stateMgt, serverHandles_[tagIndex], group.callbackCookie, groupsAdded_};
}

std::string ServerSession::ClsidText() const {
  const MutexLock lock(mutex_);
  return clsidText_;
}

void ServerSession::HoldServer(ComPtr<IOPCServer> server) {
  const MutexLock lock(mutex_);
  server_ = std::move(server);
}

ComPtr<IOPCServer> ServerSession::ReleaseServer() {
  const MutexLock lock(mutex_);
  return std::exchange(server_, nullptr);
}

void ServerSession::AddGroup(std::size_t groupIndex, ComPtr<IOPCGroupStateMgt> stateMgt,
                             OPCHANDLE serverHandle) {
  const MutexLock lock(mutex_);
  groups_[groupIndex].stateMgt = std::move(stateMgt);
  groups_[groupIndex].serverHandle = serverHandle;
  groupsAdded_ = true;
}

void ServerSession::SetGroupIO(std::size_t groupIndex, ComPtr<IOPCAsyncIO2> asyncIO2,
                               ComPtr<IOPCSyncIO> syncIO) {
  const MutexLock lock(mutex_);
  groups_[groupIndex].asyncIO2 = std::move(asyncIO2);
  groups_[groupIndex].syncIO = std::move(syncIO);
}

void ServerSession::SetCallbackCookie(std::size_t groupIndex, DWORD cookie) {
  const MutexLock lock(mutex_);
  groups_[groupIndex].callbackCookie = cookie;
}

GroupInterfaces ServerSession::ReleaseGroup(std::size_t groupIndex) {
  const MutexLock lock(mutex_);
  GroupInterfaces& group = groups_[groupIndex];
  GroupInterfaces released = group;
  group.stateMgt = nullptr;
  group.asyncIO2 = nullptr;
  group.syncIO = nullptr;
  return released;
}

bool ServerSession::GroupsAdded() const {
  const MutexLock lock(mutex_);
  return groupsAdded_;
}

OPCHANDLE ServerSession::ServerHandle(std::size_t tagIndex) const {
  const MutexLock lock(mutex_);
  return serverHandles_[tagIndex];
}

std::vector<OPCHANDLE> ServerSession::ServerHandles() const {
  const MutexLock lock(mutex_);
  return serverHandles_;
}

void ServerSession::SetServerHandles(std::size_t firstTag, const OPCITEMRESULT* results,
                                     std::size_t count) {
  const MutexLock lock(mutex_);
  for (std::size_t i = 0; i < count; ++i) serverHandles_[firstTag + i] = results[i].hServer;
}

void ServerSession::ClearServerHandles() {
  const MutexLock lock(mutex_);
  std::fill(serverHandles_.begin(), serverHandles_.end(), 0);
}

void ServerSession::SetClsidText(std::string text) {
  const MutexLock lock(mutex_);
  clsidText_ = std::move(text);
}

}  // namespace tavrel
