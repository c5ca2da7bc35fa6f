#include "bridge/core/bridge_project.h"

#include "common/decimal_text.h"

namespace {

void CopyGroupSettings(const ProjectGroupRecord& record, ProjectGroup& group) {
  group.name = record.name;
  group.desc = record.desc;
  group.uptime = ParseDecimal(record.uptime);
  group.timebis_minutes = record.timebis_minutes;
  group.percent_deadband = record.percent_deadband;
  group.language_id = record.language_id;
  group.active_state = record.active_state;
  group.datachange_type = record.datachange_type;
  group.cycle_time = record.cycle_time;
  group.additem = record.additem;
  group.readTimer.SetPeriod(ParseDecimal(record.cycle_time));
}

void CopyServerSettings(const ProjectServerRecord& record, ProjectServer& server) {
  server.name = record.name;
  server.desc = record.desc;
  server.node = record.node;
  server.sid = record.sid;
  server.clsid = record.clsid;
  server.solution = record.solution;
  server.outtime = ParseDecimal(record.outtime);
  server.catid = record.catid;
  server.csouttime = record.csouttime;
  server.c1 = record.c1;
  server.c2 = record.c2;
  server.c3 = record.c3;
  server.c4 = record.c4;
}

}  // namespace

BridgeProject::BridgeProject(const std::vector<ProjectServerRecord>& servers) {
  for (const ProjectServerRecord& serverRecord : servers) {
    auto& server = *servers_.emplace_back(std::make_unique<ProjectServer>());
    CopyServerSettings(serverRecord, server);
    for (const ProjectGroupRecord& groupRecord : serverRecord.groups) {
      auto& group = *server.groups.emplace_back(std::make_unique<ProjectGroup>(server));
      CopyGroupSettings(groupRecord, group);
      for (const ProjectTagRecord& tagRecord : groupRecord.tags) {
        const TagHandle handle = TakeNextHandle();
        auto& tag = *group.tags.emplace_back(std::make_unique<ProjectTag>(
            group, tagRecord.id, tagRecord.vt, tagRecord.dir, handle));
        tagMap_.push_back(&tag);  // at index `handle`
      }
    }
  }
}

ProjectTag* BridgeProject::FindTag(TagHandle handle) const {
  return handle >= 0 && static_cast<std::size_t>(handle) < tagMap_.size() ? tagMap_[handle]
                                                                         : nullptr;
}
