// Fuzz target: any bytes as a message the bridge receives from its MQTT broker, with writes on:
// a JSON write ("<topic>/<path>/set") or a Sparkplug B node or device command. The first byte
// chooses the topic: 0 JSON (the topic after "tavrel/" is the text up to the first line feed,
// the payload what follows), 1 NCMD, 2 DCMD of a device of the project (the second byte picks
// it), 3 DCMD of a device the project does not have; the payload of a command is the rest.
//
// Every write asked for must name a tag of the project: for JSON the tag whose path the topic
// names (never a topic that is itself a tag's value topic), for Sparkplug a tag of the device
// the command went to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/core/bridge_project.h"
#include "bridge/mqtt/json_format.h"
#include "bridge/mqtt/sparkplug_format.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

class NoHandler final : public MosquittoClient::Handler {
  void Connected(int) override {}
  void MessageArrived(std::string_view, std::string_view, bool) override {}
};

ProjectGroupRecord Group(std::string name, std::vector<ProjectTagRecord> tags) {
  ProjectGroupRecord group;
  group.name = std::move(name);
  group.tags = std::move(tags);
  return group;
}

// Two groups with tags of every kind of value, and ids that hold '/' and the "/set" suffix.
ProjectServerRecord Server() {
  ProjectServerRecord server;
  server.name = "S";
  server.groups = {
      Group("G", {{"Int4", VT_I4, 3},
                  {"Real8", VT_R8, 3},
                  {"Text", VT_BSTR, 3},
                  {"a/b", VT_BOOL, 3},
                  {"a/b/set", VT_DATE, 3}}),
      Group("H", {{"Int8", VT_I8, 3},
                  {"UInt8", VT_UI8, 3},
                  {"Reals", VT_ARRAY | VT_R8, 3},
                  {"Texts", VT_ARRAY | VT_BSTR, 3},
                  {"Any", VT_EMPTY, 3}}),
  };
  return server;
}

struct Receivers {
  Receivers() {
    settings.writes = true;
    settings.format = MqttFormat::kSparkplugB;
  }
  BridgeProject project{{Server()}};
  PublishedTags tags{project};
  LatestValues latest{tags.LiveValues(), nullptr};
  MetricRegistry metrics;
  MqttCounters counters{metrics};
  MqttSettings settings;
  JsonFormat json{settings, tags, latest, counters};
  SparkplugFormat sparkplug{settings, tags, latest, "edge", counters};
  NoHandler handler;
  MosquittoClient client{settings, handler};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Receivers receivers;
  if (size < 2) return 0;
  const PublishedTags& tags = receivers.tags;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::vector<MqttWriteRequest> writes;
  switch (data[0] % 4) {
    case 0: {
      const std::size_t end = rest.find('\n');
      const std::string topic = "tavrel/" + std::string(rest.substr(0, end));
      const std::string_view payload =
          end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
      receivers.json.Receive(receivers.client, topic, payload, writes);
      const std::string_view path =
          std::string_view(topic).substr(7, topic.size() - 7 - (writes.empty() ? 0 : 4));
      for (const MqttWriteRequest& write : writes) {
        if (!topic.ends_with("/set") || tags.FindPath(std::string_view(topic).substr(7)) ||
            tags.FindPath(path) != write.handle) {
          std::abort();
        }
      }
      return 0;
    }
    case 1:
      receivers.sparkplug.Receive(receivers.client, "spBv1.0/tavrel/NCMD/edge", rest, writes);
      if (!writes.empty()) std::abort();
      return 0;
    default: {
      const std::size_t device = data[1] % tags.Devices().size();
      const std::string id = data[0] % 4 == 2 ? tags.Devices()[device].id : "S:Nowhere";
      receivers.sparkplug.Receive(receivers.client, "spBv1.0/tavrel/DCMD/edge/" + id, rest, writes);
      for (const MqttWriteRequest& write : writes) {
        if (data[0] % 4 == 3 || write.handle < 0 ||
            static_cast<std::size_t>(write.handle) >= tags.Count() ||
            tags.Of(write.handle).device != device) {
          std::abort();
        }
      }
      return 0;
    }
  }
}

}  // namespace tavrel
