#include "bridge/ui/template_export.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "bridge/core/bridge_project.h"
#include "common/markup_document.h"

namespace tavrel {

namespace {

constexpr char kTemplateDeclaration[] = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n";
constexpr int kTemplatePeriod = 1000;

std::string TemplateTagName(const ProjectServer& server, const ProjectGroup& group,
                            const ProjectTag& tag) {
  std::string tagName = tag.id;
  std::replace(tagName.begin(), tagName.end(), '.', '_');
  return server.name + "_" + group.name + "_" + tagName;
}

}  // namespace

int TemplateValueClass(int vt) {
  switch (vt) {
    case 2:
    case 3:
    case 16:
    case 17:
    case 18:
      return 2;
    case 11:
      return 3;
    case 4:
    case 5:
    case 19:
    case 20:
    case 21:
      return 1;
    default:
      return 4;
  }
}

std::string TemplateDocument(const BridgeProject& project) {
  MarkupDocument document(MarkupBuild::kBridge);
  document.SetText(kTemplateDeclaration);
  document.AddElement("root");
  document.SetAttribute("plug_name", kTemplatePlugName);
  document.EnterElement();
  for (const auto& server : project.Servers()) {
    for (const auto& group : server->groups) {
      for (const auto& tag : group->tags) {
        document.AddElement("t");
        document.SetAttribute("v", TemplateValueClass(tag->vt));
        document.SetAttribute("n", TemplateTagName(*server, *group, *tag));
        document.SetAttribute("d", "");
        document.SetAttribute("p", kTemplatePeriod);
        document.SetAttribute("r", tag->dir - 1);
        document.SetAttribute("s0", server->name);
        document.SetAttribute("s1", group->name);
        document.SetAttribute("s2", tag->id);
        document.SetAttribute("s3", tag->vt);
        document.SetAttribute("s4", "");
      }
    }
  }
  return document.GetText();
}

std::string TemplateFilePath(const std::string& chosenPath) {
  constexpr std::string_view kSuffix = kTemplateSuffix;
  const bool hasSuffix =
      chosenPath.size() >= kSuffix.size() &&
      std::equal(kSuffix.begin(), kSuffix.end(), chosenPath.end() - kSuffix.size(),
                 [](char a, char b) { return std::tolower(a) == std::tolower(b); });
  return hasSuffix ? chosenPath : chosenPath + kTemplateSuffix;
}

}  // namespace tavrel
