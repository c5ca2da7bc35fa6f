#include "bridge/core/bridge_project.h"

#include <cstdlib>

#include "common/decimal_text.h"

namespace tavrel {

namespace {

ReadMode ReadModeOf(std::string_view datachangeType) {
  switch (ParseDecimal(datachangeType)) {
    case 0:
      return ReadMode::kCacheRead;
    case 1:
      return ReadMode::kCallback;
    case 2:
      return ReadMode::kPropertyRead;
    default:
      return ReadMode::kNone;
  }
}

GroupSettings GroupSettingsOf(const ProjectGroupRecord& record) {
  GroupSettings settings;
  settings.activeFlag = ParseDecimal(record.active_state);
  settings.updateRate = std::chrono::milliseconds(ParseDecimal(record.uptime));
  settings.timeBias = std::chrono::minutes(ParseDecimal(record.timebis_minutes));
  settings.percentDeadband = static_cast<float>(std::atof(record.percent_deadband.c_str()));
  settings.localeId = static_cast<std::uint32_t>(ParseDecimal(record.language_id));
  settings.readMode = ReadModeOf(record.datachange_type);
  settings.cycleTime = std::chrono::milliseconds(ParseDecimal(record.cycle_time));
  settings.cycleTimeText = record.cycle_time;
  settings.bulkRegistration = ParseDecimal(record.additem) != 0;
  return settings;
}

void CopyServerSettings(const ProjectServerRecord& record, ProjectServer& server) {
  server.name = record.name;
  server.node = record.node;
  server.progId = record.sid;
  server.clsid = record.clsid;
  if (ParseDecimal(record.c1) != 0) {
    server.credentials =
        ServerCredentials{.user = record.c2, .password = record.c3, .domain = record.c4};
  }
}

}  // namespace

BridgeProject::BridgeProject(const std::vector<ProjectServerRecord>& servers) {
  for (const ProjectServerRecord& serverRecord : servers) {
    auto& server = *servers_.emplace_back(std::make_unique<ProjectServer>());
    CopyServerSettings(serverRecord, server);
    for (const ProjectGroupRecord& groupRecord : serverRecord.groups) {
      auto& group = *server.groups.emplace_back(std::make_unique<ProjectGroup>(
          server, groupRecord.name, groupRecord.desc, GroupSettingsOf(groupRecord)));
      for (const ProjectTagRecord& tagRecord : groupRecord.tags) {
        const TagHandle handle = TakeNextHandle();
        auto& tag = *group.tags.emplace_back(
            std::make_unique<ProjectTag>(group, tagRecord.id, tagRecord.vt, tagRecord.dir, handle));
        tagMap_.push_back(&tag);  // at index `handle`
      }
    }
  }
}

ProjectTag* BridgeProject::FindTag(TagHandle handle) const {
  return handle >= 0 && static_cast<std::size_t>(handle) < tagMap_.size() ? tagMap_[handle]
                                                                          : nullptr;
}

}  // namespace tavrel
