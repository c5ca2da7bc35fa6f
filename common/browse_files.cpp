#include "common/browse_files.h"

#include <filesystem>
#include <system_error>

#include "common/decimal_text.h"
#include "common/markup_result.h"
#include "common/plain_file_name.h"

namespace tavrel {

namespace {

std::string ServersDirectory(std::string_view programDirectory) {
  std::string path(programDirectory);
  path += "/servers";
  return path;
}

bool SaveDocument(MarkupDocument& document, const std::string& path, std::string* error) {
  if (document.SaveFile(path)) return true;
  if (error != nullptr) *error = MarkupFailureReason(document.GetResult());
  return false;
}

}  // namespace

bool CreateServersDirectory(std::string_view programDirectory, std::string* error) {
  std::error_code failure;
  std::filesystem::create_directories(ServersDirectory(programDirectory), failure);
  if (failure && error != nullptr) *error = failure.message();
  return !failure;
}

std::string ServerListPath(std::string_view programDirectory) {
  return ServersDirectory(programDirectory) + "/serverlist.xml";
}

std::optional<std::string> TagListPath(std::string_view programDirectory, std::string_view progId) {
  if (!IsPlainFileName(progId)) return std::nullopt;
  std::string path = ServersDirectory(programDirectory);
  path += '/';
  path += progId;
  path += ".xml";
  return path;
}

bool TagListExists(std::string_view programDirectory, std::string_view progId) {
  const std::optional<std::string> path = TagListPath(programDirectory, progId);
  std::error_code error;
  return path && std::filesystem::exists(*path, error);
}

bool SaveServerList(const std::string& path, const ServerList& list, std::string* error) {
  MarkupDocument document(MarkupBuild::kFull);
  document.SetText(kGbkDeclaration);
  document.AddElement("root");
  document.SetAttribute("ver", 0);
  document.SetAttribute("count1", list.useCredentials);
  document.SetAttribute("count2", list.user);
  document.SetAttribute("count3", list.password);
  document.SetAttribute("count4", list.domain);
  document.SetAttribute("node", list.node);
  document.EnterElement();
  for (const ServerListEntry& server : list.servers) {
    document.AddElement("t");
    document.SetAttribute("a", server.progId);
    document.SetAttribute("b", server.description);
    document.SetAttribute("c", server.clsid);
    document.SetAttribute("d", server.catid);
  }
  return SaveDocument(document, path, error);
}

std::optional<ServerList> LoadServerList(const std::string& path) {
  MarkupDocument document(MarkupBuild::kFull);
  if (!document.LoadFile(path) || !document.FindElement("root")) return std::nullopt;
  ServerList list;
  list.useCredentials = document.GetAttribute("count1");
  list.user = document.GetAttribute("count2");
  list.password = document.GetAttribute("count3");
  list.domain = document.GetAttribute("count4");
  list.node = document.GetAttribute("node");
  document.EnterElement();
  while (document.FindElement("t")) {
    list.servers.push_back(ServerListEntry{document.GetAttribute("a"), document.GetAttribute("b"),
                                           document.GetAttribute("c"), document.GetAttribute("d")});
  }
  return list;
}

TagListBuilder::TagListBuilder() {
  document_.SetText(kGbkDeclaration);
  document_.AddElement("root");
  document_.SetAttribute("ver", 0);
  document_.EnterElement();
  document_.AddElement("t");
  document_.EnterElement();
}

void TagListBuilder::AddItem(std::string_view id, int dt, int ar) {
  document_.AddElement("it");
  document_.SetAttribute("id", id);
  document_.SetAttribute("dt", dt);
  document_.SetAttribute("ar", ar);
}

bool TagListBuilder::Save(const std::string& path, std::string* error) {
  return SaveDocument(document_, path, error);
}

std::map<std::string, TagListAttributes> LoadTagList(const std::string& path) {
  std::map<std::string, TagListAttributes> items;
  MarkupDocument document(MarkupBuild::kFull);
  if (!document.LoadFile(path) || !document.FindElement("root")) return items;
  document.EnterElement();
  while (document.FindElement("t")) {
    document.EnterElement();
    while (document.FindElement("it")) {
      // emplace keeps the entry already there: the first occurrence wins.
      items.emplace(document.GetAttribute("id"),
                    TagListAttributes{ParseDecimal(document.GetAttribute("dt")),
                                      ParseDecimal(document.GetAttribute("ar"))});
    }
    document.LeaveElement();
  }
  return items;
}

}  // namespace tavrel
