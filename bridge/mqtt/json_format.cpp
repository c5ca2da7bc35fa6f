#include "bridge/mqtt/json_format.h"

#include "bridge/mqtt/json_messages.h"
#include "common/code_page.h"

namespace tavrel {

namespace {

constexpr char kOnline[] = "online";
constexpr char kOffline[] = "offline";
constexpr char kSetSuffix[] = "/set";
constexpr int kStatusQos = 1;

}  // namespace

JsonFormat::JsonFormat(const MqttSettings& settings, const PublishedTags& tags,
                       const LatestValues& latest, MqttCounters& counters)
    : settings_(settings),
      tags_(tags),
      latest_(latest),
      counters_(counters),
      prefix_(settings.topic + "/"),
      statusTopic_(prefix_ + "status"),
      lastPayload_(tags.Count()) {}

MosquittoClient::Will JsonFormat::NextWill() {
  return {.topic = statusTopic_, .payload = kOffline, .qos = kStatusQos, .retain = true};
}

void JsonFormat::Start(MosquittoClient& client) {
  if (settings_.writes) {
    for (const std::size_t levels : tags_.PathLevels()) {
      std::string pattern = prefix_;
      for (std::size_t level = 0; level < levels; ++level) pattern += "+/";
      client.Subscribe(pattern + "set", kStatusQos);
    }
  }
  PublishCounted(client, counters_, statusTopic_, kOnline, kStatusQos, true, 0);
  for (std::string& payload : lastPayload_) payload.clear();
  for (std::size_t handle = 0; handle < tags_.Count(); ++handle) {
    const LatestValue& latest = latest_.Current(static_cast<TagHandle>(handle));
    if (latest.value.updateCount != 0) PublishValue(client, latest);
  }
}

void JsonFormat::PublishChanges(MosquittoClient& client, const std::vector<LatestValue>& changes) {
  for (const LatestValue& latest : changes) PublishValue(client, latest);
}

void JsonFormat::PublishValue(MosquittoClient& client, const LatestValue& latest) {
  const PublishedTag& published = tags_.Of(latest.value.handle);
  // The payload is the value, its quality, its source time and the handle: equal payloads say
  // the same.
  std::string payload = JsonValueMessage(*published.tag, latest.value, latest.typed);
  std::string& last = lastPayload_[static_cast<std::size_t>(latest.value.handle)];
  if (!settings_.every && payload == last) return;
  topic_.assign(prefix_).append(published.path);
  PublishCounted(client, counters_, topic_, payload, settings_.qos, settings_.retain, 1);
  last = std::move(payload);
}

void JsonFormat::Receive(MosquittoClient& /*client*/, std::string_view topic,
                         std::string_view payload, std::vector<MqttWriteRequest>& writes) {
  if (!settings_.writes || !topic.starts_with(prefix_) || !topic.ends_with(kSetSuffix)) return;
  topic.remove_prefix(prefix_.size());
  // The value topic of a tag whose id ends in "/set" (this bridge's own message, retained or
  // not, comes back through the write subscription): a value, never a write to another tag.
  if (tags_.FindPath(topic)) return;
  topic.remove_suffix(sizeof kSetSuffix - 1);
  if (const std::optional<TagHandle> handle = tags_.FindPath(topic)) {
    writes.push_back({*handle, Utf8ToAnsi(payload)});
  }
}

void JsonFormat::PublishWriteOutcome(MosquittoClient& client, const MqttWriteOutcome& outcome) {
  PublishCounted(
      client, counters_, prefix_ + "write_result",
      JsonWriteResultMessage(tags_.Of(outcome.handle).path, outcome.handle, outcome.result),
      kStatusQos, false, 0);
  lastPayload_[static_cast<std::size_t>(outcome.handle)].clear();
}

void JsonFormat::Stop(MosquittoClient& client) {
  PublishCounted(client, counters_, statusTopic_, kOffline, kStatusQos, true, 0);
}

}  // namespace tavrel
