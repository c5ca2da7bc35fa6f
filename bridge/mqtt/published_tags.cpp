#include "bridge/mqtt/published_tags.h"

#include <algorithm>

#include "common/code_page.h"

namespace tavrel {

namespace {

// `text` in UTF-8 with every character of `forbidden` replaced by '_'.
std::string TopicLevelText(std::string_view ansi, std::string_view forbidden) {
  std::string text = AnsiToUtf8(ansi);
  std::replace_if(
      text.begin(), text.end(),
      [&](char c) { return c == '\0' || forbidden.find(c) != std::string_view::npos; }, '_');
  return text;
}

}  // namespace

PublishedTags::PublishedTags(const BridgeProject& project) {
  tags_.resize(project.Tags().size());
  for (const auto& server : project.Servers()) {
    for (const auto& group : server->groups) {
      PublishedDevice& device = devices_.emplace_back();
      device.id = TopicLevelText(server->name, "+#/") + ":" + TopicLevelText(group->name, "+#/");
      const std::string prefix =
          TopicLevelText(server->name, "+#") + "/" + TopicLevelText(group->name, "+#") + "/";
      for (const auto& tag : group->tags) {
        PublishedTag& published = tags_[static_cast<std::size_t>(tag->handle)];
        published.tag = tag.get();
        published.metricName = AnsiToUtf8(tag->id);
        published.path = prefix + TopicLevelText(tag->id, "+#");
        published.device = devices_.size() - 1;
        device.handles.push_back(tag->handle);
      }
    }
  }
  // The maps hold views of the strings above, which stay where they are from here on.
  for (PublishedDevice& device : devices_) {
    for (const TagHandle handle : device.handles) {
      device.byMetricName.emplace(Of(handle).metricName, handle);
    }
  }
  for (std::size_t handle = 0; handle < tags_.size(); ++handle) {
    const std::string& path = tags_[handle].path;
    byPath_.emplace(path, static_cast<TagHandle>(handle));
    const std::size_t levels =
        static_cast<std::size_t>(std::count(path.begin(), path.end(), '/')) + 1;
    if (std::find(pathLevels_.begin(), pathLevels_.end(), levels) == pathLevels_.end()) {
      pathLevels_.push_back(levels);
    }
  }
  std::sort(pathLevels_.begin(), pathLevels_.end());
}

std::vector<TagLiveValue> PublishedTags::LiveValues() const {
  std::vector<TagLiveValue> values;
  values.reserve(tags_.size());
  for (const PublishedTag& published : tags_) values.push_back(published.tag->liveValue.Snapshot());
  return values;
}

std::optional<TagHandle> PublishedTags::FindPath(std::string_view path) const {
  const auto found = byPath_.find(path);
  if (found == byPath_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::size_t> PublishedTags::FindDevice(std::string_view id) const {
  for (std::size_t index = 0; index < devices_.size(); ++index) {
    if (devices_[index].id == id) return index;
  }
  return std::nullopt;
}

}  // namespace tavrel
