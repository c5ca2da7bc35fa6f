#include "common/project_file.h"

#include <filesystem>
#include <utility>

#include "common/decimal_text.h"

namespace tavrel {

namespace {

// The attributes of a group element, in the order the writer sets them.
constexpr std::pair<const char*, std::string ProjectGroupRecord::*> kGroupAttributes[] = {
    {"name", &ProjectGroupRecord::name},
    {"desc", &ProjectGroupRecord::desc},
    {"uptime", &ProjectGroupRecord::uptime},
    {"timebis_minutes", &ProjectGroupRecord::timebis_minutes},
    {"percent_deadband", &ProjectGroupRecord::percent_deadband},
    {"language_id", &ProjectGroupRecord::language_id},
    {"active_state", &ProjectGroupRecord::active_state},
    {"datachange_type", &ProjectGroupRecord::datachange_type},
    {"cycle_time", &ProjectGroupRecord::cycle_time},
    {"additem", &ProjectGroupRecord::additem},
};

ProjectTagRecord ReadTag(const MarkupDocument& document) {
  ProjectTagRecord tag;
  tag.id = document.GetAttribute("id");
  tag.vt = ParseDecimal(document.GetAttribute("vt"));
  tag.dir = ParseDecimal(document.GetAttribute("dir"));
  return tag;
}

ProjectGroupRecord ReadGroup(MarkupDocument& document) {
  ProjectGroupRecord group;
  for (const auto& [name, member] : kGroupAttributes) group.*member = document.GetAttribute(name);
  document.EnterElement();
  while (document.FindElement("tag")) group.tags.push_back(ReadTag(document));
  document.LeaveElement();
  return group;
}

ProjectServerRecord ReadServer(MarkupDocument& document) {
  ProjectServerRecord server;
  server.name = document.GetAttribute("name");
  server.desc = document.GetAttribute("desc");
  server.node = document.GetAttribute("node");
  server.sid = document.GetAttribute("sid");
  server.clsid = document.GetAttribute("clsid");
  server.catid = document.GetAttribute("catid");
  server.outtime = document.GetAttribute("outtime");
  server.solution = ParseDecimal(document.GetAttribute("solution"));
  server.csouttime = document.GetAttribute("csouttime");
  server.c1 = document.GetAttribute("c1");
  server.c2 = document.GetAttribute("c2");
  server.c3 = document.GetAttribute("c3");
  server.c4 = document.GetAttribute("c4");
  document.EnterElement();
  while (document.FindElement("group")) server.groups.push_back(ReadGroup(document));
  document.LeaveElement();
  return server;
}

void AddGroupElement(MarkupDocument& document, const ProjectGroupRecord& group) {
  document.AddElement("group");
  for (const auto& [name, member] : kGroupAttributes) document.SetAttribute(name, group.*member);
  if (group.tags.empty()) return;
  document.EnterElement();
  for (const ProjectTagRecord& tag : group.tags) {
    document.AddElement("tag");
    document.SetAttribute("id", tag.id);
    document.SetAttribute("vt", tag.vt);
    document.SetAttribute("dir", tag.dir);
  }
  document.LeaveElement();
}

}  // namespace

std::vector<ProjectServerRecord> ReadProject(MarkupDocument& document) {
  std::vector<ProjectServerRecord> servers;
  // Back to the top level, before its first element.
  while (document.LeaveElement()) continue;
  document.ResetMainPosition();
  if (!document.FindElement("root")) return servers;
  document.EnterElement();
  while (document.FindElement("server")) servers.push_back(ReadServer(document));
  document.LeaveElement();
  return servers;
}

std::vector<ProjectServerRecord> LoadProjectFile(const std::string& path, MarkupBuild build,
                                                 std::string* loadError) {
  MarkupDocument document(build);
  if (document.LoadFile(path)) return ReadProject(document);
  std::error_code ignored;
  if (loadError != nullptr && std::filesystem::exists(path, ignored)) {
    *loadError = document.GetResult();
  }
  return {};
}

void AddServerElement(MarkupDocument& document, const ProjectServerRecord& server) {
  document.AddElement("server");
  document.SetAttribute("name", server.name);
  document.SetAttribute("desc", server.desc);
  document.SetAttribute("node", server.node);
  document.SetAttribute("sid", server.sid);
  document.SetAttribute("clsid", server.clsid);
  document.SetAttribute("catid", server.catid);
  document.SetAttribute("outtime", server.outtime);
  document.SetAttribute("solution", server.solution);
  document.SetAttribute("c1", server.c1);
  document.SetAttribute("c2", server.c2);
  document.SetAttribute("c3", server.c3);
  document.SetAttribute("c4", server.c4);
}

void BuildProjectDocument(MarkupDocument& document,
                          const std::vector<ProjectServerRecord>& servers) {
  document.SetText(kProjectDeclaration);
  document.AddElement("root");
  document.EnterElement();
  for (const ProjectServerRecord& server : servers) {
    AddServerElement(document, server);
    if (server.groups.empty()) continue;
    document.EnterElement();
    for (const ProjectGroupRecord& group : server.groups) AddGroupElement(document, group);
    document.LeaveElement();
  }
  document.LeaveElement();
}

bool SaveProjectFile(const std::string& path, const std::vector<ProjectServerRecord>& servers) {
  MarkupDocument document(MarkupBuild::kFull);
  BuildProjectDocument(document, servers);
  return document.SaveFile(path);
}

}  // namespace tavrel
