// BridgeProject: the project tree, the TagMap and the handle counter of a running bridge.
//
// Built once at start from the servers of opc_db.xml. Tags are numbered 0, 1, ... in
// document order over the whole file (server by server, group by group), so the tags of one
// server take consecutive handles; the start-up then
// takes the handles of the status tags from the same counter, one per server. Two tags with
// the same id are both kept, under different handles.
//
// After start-up the tree and the map do not change, so any thread may walk or search them
// without a lock. Live values are read and applied through each tag's slot, which hands
// every applied value to the attached push sink.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "bridge/core/project_tree.h"
#include "bridge/core/value_push_sink.h"
#include "common/project_file.h"

namespace tavrel {

class BridgeProject {
 public:
  explicit BridgeProject(const std::vector<ProjectServerRecord>& servers);

  BridgeProject(const BridgeProject&) = delete;
  BridgeProject& operator=(const BridgeProject&) = delete;

  // Servers, groups and tags in project order.
  const std::vector<std::unique_ptr<ProjectServer>>& Servers() const { return servers_; }
  const TagMap& Tags() const { return tagMap_; }
  // The tag with `handle`, or null (status tags are not in the map).
  ProjectTag* FindTag(TagHandle handle) const;

  // The next handle of the counter, which then moves on; for the status tags at start-up.
  TagHandle TakeNextHandle() { return nextHandle_++; }

  // Where applied values go: the front ends' sinks, joined by the runtime's fan-out
  // (value_fan_out.h). Attach before the first value arrives and detach (null) only when no
  // thread applies values any more; the sink must outlive its attachment. Null: values are
  // applied without a push.
  void AttachValuePushSink(ValuePushSink* sink) { pushSink_.store(sink); }
  // Where the live values hand what they apply; any thread.
  ValuePushSink* PushSink() const { return pushSink_.load(); }

 private:
  std::vector<std::unique_ptr<ProjectServer>> servers_;
  TagMap tagMap_;
  TagHandle nextHandle_ = 0;
  std::atomic<ValuePushSink*> pushSink_{nullptr};
};

}  // namespace tavrel
