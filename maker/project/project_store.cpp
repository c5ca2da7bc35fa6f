#include "maker/project/project_store.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/atomic_file.h"
#include "common/markup_document.h"
#include "common/markup_result.h"
#include "common/project_file.h"

namespace tavrel {

namespace {

std::unique_ptr<ServerNode> ServerFromRecord(const ProjectServerRecord& record) {
  auto server = std::make_unique<ServerNode>();
  server->name = record.name;
  server->desc = record.desc;
  server->settings = record;
  for (const ProjectGroupRecord& groupRecord : record.groups) {
    auto group = std::make_unique<GroupNode>(server.get());
    group->name = groupRecord.name;
    group->desc = groupRecord.desc;
    group->settings = {groupRecord.uptime,          groupRecord.cycle_time,
                       groupRecord.timebis_minutes, groupRecord.percent_deadband,
                       groupRecord.language_id,     groupRecord.active_state,
                       groupRecord.datachange_type, groupRecord.additem};
    group->tags.reserve(groupRecord.tags.size());
    for (const ProjectTagRecord& tagRecord : groupRecord.tags) {
      auto tag = std::make_unique<TagNode>(group.get());
      tag->id = tagRecord.id;
      tag->vt = tagRecord.vt;
      tag->dir = tagRecord.dir;
      group->tags.push_back(std::move(tag));
    }
    server->groups.push_back(std::move(group));
  }
  return server;
}

}  // namespace

ProjectServerRecord ServerRecordOf(const ServerNode& server, RecordDepth depth) {
  ProjectServerRecord record;
  static_cast<ServerSettings&>(record) = server.settings;
  record.name = server.name;
  record.desc = server.desc;
  if (depth == RecordDepth::kServerOnly) return record;
  for (const auto& group : server.groups) {
    const GroupParameters& g = group->settings;
    ProjectGroupRecord& groupRecord = record.groups.emplace_back();
    groupRecord.name = group->name;
    groupRecord.desc = group->desc;
    groupRecord.uptime = g.uptime;
    groupRecord.timebis_minutes = g.timebis_minutes;
    groupRecord.percent_deadband = g.percent_deadband;
    groupRecord.language_id = g.language_id;
    groupRecord.active_state = g.active_state;
    groupRecord.datachange_type = g.datachange_type;
    groupRecord.cycle_time = g.cycle_time;
    groupRecord.additem = g.additem;
    groupRecord.tags.reserve(group->tags.size());
    for (const auto& tag : group->tags) groupRecord.tags.push_back({tag->id, tag->vt, tag->dir});
  }
  return record;
}

namespace {

// Copies the file at `path` to `backup`; true when there is nothing to copy.
bool KeepBackup(const std::string& path, const std::string& backup, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return !std::filesystem::exists(path);
  std::ostringstream content;
  content << file.rdbuf();
  const std::string bytes = content.str();
  return ReplaceFileAtomically(backup, {bytes}, error);
}

}  // namespace

std::string ProjectStore::BackupPath() const {
  return FinalTarget(path_).value_or(path_) + kBackupSuffix;
}

MakerProject ProjectStore::Load() {
  loadError_.clear();
  std::string error;
  std::vector<ProjectServerRecord> records = LoadProjectFile(path_, MarkupBuild::kFull, &error);
  std::error_code ignored;
  if (records.empty() && std::filesystem::exists(path_, ignored)) {
    MarkupDocument probe(MarkupBuild::kFull);
    if (!probe.LoadFile(path_)) loadError_ = error.empty() ? "cannot be read" : error;
  }
  MakerProject project;
  project.servers.reserve(records.size());
  for (const ProjectServerRecord& record : records)
    project.servers.push_back(ServerFromRecord(record));
  return project;
}

bool ProjectStore::Save(const MakerProject& project, std::string& error) {
  if (!loadError_.empty()) {
    if (!KeepBackup(path_, BackupPath(), error)) return false;
  }
  std::vector<ProjectServerRecord> records;
  records.reserve(project.servers.size());
  for (const auto& server : project.servers)
    records.push_back(ServerRecordOf(*server, RecordDepth::kWithGroups));
  MarkupDocument document(MarkupBuild::kFull);
  BuildProjectDocument(document, records);
  if (!document.SaveFile(path_)) {
    error = MarkupFailureReason(document.GetResult());
    return false;
  }
  loadError_.clear();  // the file now holds this project
  return true;
}

}  // namespace tavrel
