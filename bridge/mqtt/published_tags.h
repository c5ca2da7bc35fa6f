// PublishedTags: the names under which the project's tags travel through the broker, made once
// at start from the project (which never changes while the bridge runs).
//
// A tag's path is "<server>/<group>/<tag id>" (JSON topics are "<topic>/<path>"); its metric
// name is the tag id; its Sparkplug device is its group, named "<server>:<group>". Names are
// UTF-8. A character that a topic level cannot hold ('+', '#'; '/' too in a device id) is
// published as '_'. Two tags of one group with the same id share a path: a write to it reaches
// the first of them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bridge/core/bridge_project.h"

namespace tavrel {

struct PublishedTag {
  ProjectTag* tag = nullptr;
  std::string path;
  std::string metricName;
  std::size_t device = 0;  // index into Devices()
};

struct PublishedDevice {
  std::string id;
  std::vector<TagHandle> handles;  // its tags in project order
  // The device's tags by metric name (views of the names in the table).
  std::unordered_map<std::string_view, TagHandle> byMetricName;
};

class PublishedTags {
 public:
  explicit PublishedTags(const BridgeProject& project);

  PublishedTags(const PublishedTags&) = delete;
  PublishedTags& operator=(const PublishedTags&) = delete;

  // Tags by handle 0 .. Count()-1.
  std::size_t Count() const { return tags_.size(); }
  const PublishedTag& Of(TagHandle handle) const { return tags_[static_cast<std::size_t>(handle)]; }
  const std::vector<PublishedDevice>& Devices() const { return devices_; }

  // A copy of every tag's live value, by handle.
  std::vector<TagLiveValue> LiveValues() const;

  std::optional<TagHandle> FindPath(std::string_view path) const;
  std::optional<std::size_t> FindDevice(std::string_view id) const;
  // The distinct numbers of topic levels of the paths, smallest first.
  const std::vector<std::size_t>& PathLevels() const { return pathLevels_; }

 private:
  std::vector<PublishedTag> tags_;
  std::vector<PublishedDevice> devices_;
  std::unordered_map<std::string_view, TagHandle> byPath_;
  std::vector<std::size_t> pathLevels_;
};

}  // namespace tavrel
