// The tag template (.tpl): every configured tag described for another platform's plug-in.
//
//   <?xml version="1.0" encoding="gb2312"?> CR LF
//   <root plug_name="Quendrel">
//   <t v=value class n=name d="" p="1000" r=direction-1 s0=server s1=group s2=tag s3=vt s4=note/>
//   </root>
// One `t` per tag, servers -> groups -> tags in project order. `n` is server_group_tag with
// every "." of the tag's name made "_"; `s4`, the tag's note, is empty for tags of the project
// file, which carries none. The document is GBK text; no Qt is needed to build it.
#pragma once

#include <string>

namespace tavrel {

class BridgeProject;

inline constexpr char kTemplatePlugName[] = "Quendrel";
inline constexpr char kTemplateSuffix[] = ".tpl";

// The template's value class of VARTYPE `vt`: 2 for 2, 3, 16, 17 and 18; 3 for 11; 1 for 4, 5,
// 19, 20 and 21; 4 for any other.
int TemplateValueClass(int vt);

std::string TemplateDocument(const BridgeProject& project);

// The path a chosen file name is saved under: the name with ".tpl" appended when it does not
// end with ".tpl" already (in any case).
std::string TemplateFilePath(const std::string& chosenPath);

}  // namespace tavrel
