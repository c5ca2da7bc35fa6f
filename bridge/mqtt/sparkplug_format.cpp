#include "bridge/mqtt/sparkplug_format.h"

#include <chrono>

#include "bridge/mqtt/sparkplug_values.h"
#include "common/code_page.h"

namespace tavrel {

namespace {

using tavrel::sparkplug::Metric;
using tavrel::sparkplug::Payload;
using tavrel::sparkplug::PropertySet;

constexpr char kNamespace[] = "spBv1.0/";
constexpr int kDataQos = 0;
constexpr int kStateQos = 1;  // deaths, and our subscriptions to commands
constexpr std::uint64_t kSeqCycle = 256;
constexpr std::int32_t kGoodQualityCode = kGoodQuality;
constexpr std::int32_t kBadQualityCode = 0;
constexpr char kUnwritableText[] = "the metric has no value the bridge can write";

std::uint64_t NowMilliseconds() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::system_clock::now().time_since_epoch())
                                        .count());
}

void AddInt32Property(PropertySet& properties, const char* key, std::int32_t value) {
  properties.add_keys(key);
  auto& property = *properties.add_values();
  property.set_type(sparkplug_type::kInt32);
  property.set_int_value(static_cast<std::uint32_t>(value));
}

void AddStringProperty(PropertySet& properties, const char* key, const std::string& value) {
  properties.add_keys(key);
  auto& property = *properties.add_values();
  property.set_type(sparkplug_type::kString);
  property.set_string_value(value);
}

// The birth and death sequence number, as NBIRTH and NDEATH both carry it.
void AddBdSeq(Payload& payload, std::uint64_t bdSeq) {
  Metric& metric = *payload.add_metrics();
  metric.set_name(kBdSeqMetric);
  metric.set_datatype(sparkplug_type::kUInt64);
  metric.set_long_value(bdSeq);
}

}  // namespace

SparkplugFormat::SparkplugFormat(const MqttSettings& settings, const PublishedTags& tags,
                                 const LatestValues& latest, std::string edgeNode,
                                 MqttCounters& counters)
    : settings_(settings),
      tags_(tags),
      latest_(latest),
      counters_(counters),
      edgeNode_(std::move(edgeNode)),
      lastBad_(tags.Count(), 0),
      byDevice_(tags.Devices().size()) {}

std::string SparkplugFormat::Topic(std::string_view messageType) const {
  return kNamespace + settings_.topic + "/" + std::string(messageType) + "/" + edgeNode_;
}

std::string SparkplugFormat::DeviceTopic(std::string_view messageType, std::size_t device) const {
  return Topic(messageType) + "/" + tags_.Devices()[device].id;
}

std::string SparkplugFormat::NodeDeathPayload() const {
  Payload death;
  death.set_timestamp(NowMilliseconds());
  AddBdSeq(death, bdSeq_);
  return death.SerializeAsString();
}

MosquittoClient::Will SparkplugFormat::NextWill() {
  if (born_) {
    bdSeq_ = (bdSeq_ + 1) % kSeqCycle;
    born_ = false;
  }
  return {
      .topic = Topic("NDEATH"), .payload = NodeDeathPayload(), .qos = kStateQos, .retain = false};
}

void SparkplugFormat::Start(MosquittoClient& client) {
  client.Subscribe(Topic("NCMD"), kStateQos);
  if (settings_.writes) client.Subscribe(Topic("DCMD") + "/+", kStateQos);
  PublishBirths(client);
}

void SparkplugFormat::PublishPayload(MosquittoClient& client, const std::string& topic,
                                     std::uint64_t values) {
  payload_.set_timestamp(NowMilliseconds());
  payload_.set_seq(seq_);
  seq_ = (seq_ + 1) % kSeqCycle;
  payload_.SerializeToString(&bytes_);
  PublishCounted(client, counters_, topic, bytes_, kDataQos, false, values);
}

Metric& SparkplugFormat::AddMetric(const LatestValue& latest, bool birth) {
  const TagLiveValue& value = latest.value;
  const PublishedTag& published = tags_.Of(value.handle);
  Metric& metric = *payload_.add_metrics();
  if (birth) metric.set_name(published.metricName);
  metric.set_alias(static_cast<std::uint64_t>(value.handle));
  if (value.seconds != 0) {
    metric.set_timestamp(static_cast<std::uint64_t>(value.seconds) * 1000 + value.milliseconds);
  }
  SetMetricValue(metric, published.tag->vt, value, latest.typed);
  // No value yet (a null metric) is no good value either.
  const bool bad = value.badFlag != 0 || value.updateCount == 0;
  std::uint8_t& lastBad = lastBad_[static_cast<std::size_t>(value.handle)];
  if (birth || bad || lastBad != 0) {
    AddInt32Property(*metric.mutable_properties(), "Quality",
                     bad ? kBadQualityCode : kGoodQualityCode);
  }
  lastBad = bad ? 1 : 0;
  return metric;
}

void SparkplugFormat::PublishBirths(MosquittoClient& client) {
  born_ = true;
  rebirthAsked_ = false;
  lastBirths_ = Clock::now();
  seq_ = 0;
  payload_.Clear();
  AddBdSeq(payload_, bdSeq_);
  Metric& rebirth = *payload_.add_metrics();
  rebirth.set_name(kRebirthMetric);
  rebirth.set_datatype(sparkplug_type::kBoolean);
  rebirth.set_boolean_value(false);
  PublishPayload(client, Topic("NBIRTH"), 0);

  for (std::size_t device = 0; device < tags_.Devices().size(); ++device) {
    payload_.Clear();
    const std::vector<TagHandle>& handles = tags_.Devices()[device].handles;
    for (const TagHandle handle : handles) {
      AddMetric(latest_.Current(handle), true);
    }
    PublishPayload(client, DeviceTopic("DBIRTH", device), handles.size());
  }
}

void SparkplugFormat::PublishChanges(MosquittoClient& client,
                                     const std::vector<LatestValue>& changes) {
  for (const LatestValue& latest : changes) {
    byDevice_[tags_.Of(latest.value.handle).device].push_back(&latest);
  }
  for (std::size_t device = 0; device < byDevice_.size(); ++device) {
    std::vector<const LatestValue*>& values = byDevice_[device];
    if (values.empty()) continue;
    payload_.Clear();
    for (const LatestValue* latest : values) AddMetric(*latest, false);
    PublishPayload(client, DeviceTopic("DDATA", device), values.size());
    values.clear();
  }
}

void SparkplugFormat::Receive(MosquittoClient& client, std::string_view topic,
                              std::string_view payload, std::vector<MqttWriteRequest>& writes) {
  Payload command;
  if (!command.ParseFromArray(payload.data(), static_cast<int>(payload.size()))) return;
  if (topic == Topic("NCMD")) {
    for (const Metric& metric : command.metrics()) {
      if (metric.name() == kRebirthMetric && metric.has_boolean_value() && metric.boolean_value()) {
        rebirthAsked_ = true;
        PublishDue(client);
        return;
      }
    }
    return;
  }
  const std::string deviceCommands = Topic("DCMD") + "/";
  if (settings_.writes && topic.starts_with(deviceCommands)) {
    topic.remove_prefix(deviceCommands.size());
    ReceiveCommand(client, topic, command, writes);
  }
}

void SparkplugFormat::ReceiveCommand(MosquittoClient& client, std::string_view deviceId,
                                     const Payload& command,
                                     std::vector<MqttWriteRequest>& writes) {
  const std::optional<std::size_t> device = tags_.FindDevice(deviceId);
  if (!device) return;
  const PublishedDevice& target = tags_.Devices()[*device];
  for (const Metric& metric : command.metrics()) {
    std::optional<TagHandle> handle;
    if (metric.has_alias() && metric.alias() < tags_.Count() &&
        tags_.Of(static_cast<TagHandle>(metric.alias())).device == *device) {
      handle = static_cast<TagHandle>(metric.alias());
    } else if (const auto found = target.byMetricName.find(metric.name());
               metric.has_name() && found != target.byMetricName.end()) {
      handle = found->second;
    }
    if (!handle) continue;
    const ProjectTag& tag = *tags_.Of(*handle).tag;
    if (const std::optional<std::string> text =
            WriteTextOfMetric(metric, SparkplugTypeOf(tag.vt, tag.valueClass))) {
      writes.push_back({*handle, *text});
    } else {
      PublishWriteOutcome(client, {*handle, {1, kUnwritableText}});
    }
  }
}

void SparkplugFormat::PublishWriteOutcome(MosquittoClient& client,
                                          const MqttWriteOutcome& outcome) {
  payload_.Clear();
  PropertySet& properties = *AddMetric(latest_.Current(outcome.handle), false).mutable_properties();
  AddInt32Property(properties, "WriteResult", outcome.result.code);
  AddStringProperty(properties, "WriteError", AnsiToUtf8(outcome.result.message));
  PublishPayload(client, DeviceTopic("DDATA", tags_.Of(outcome.handle).device), 1);
}

void SparkplugFormat::PublishDue(MosquittoClient& client) {
  if (rebirthAsked_ && Clock::now() - lastBirths_ >= kRebirthSpacing) PublishBirths(client);
}

void SparkplugFormat::Stop(MosquittoClient& client) {
  PublishCounted(client, counters_, Topic("NDEATH"), NodeDeathPayload(), kStateQos, false, 0);
}

}  // namespace tavrel
