// The browse files in <ProgramDirectory>/servers: the server list and one tag list per server.
//
// Server list, servers/serverlist.xml:
//   <?xml version="1.0" encoding="GBK"?> CR LF       (one blank before the line break)
//   <root ver="0" count1= count2= count3= count4= node=>
//   <t a=ProgID b=description c=CLSID d=category/>   one per server, in discovery order
//   </root>
// Tag list, servers/<ProgID>.xml:
//   <?xml version="1.0" encoding="GBK"?> CR LF
//   <root ver="0">
//   <t>                                              writers write one, readers take several
//   <it id=item dt=VARTYPE ar=rights/>               one per item, in scan order
//   </t>
//   </root>
//
// Both are written after a scan of a server (SaveServerList, TagListBuilder); the manager
// hands them out unchanged (get_opc_list, get_opc_tags). Text is GBK.
// Neither writer creates the `servers` directory: without it a save fails. The maker's scan
// creates it first (CreateServersDirectory). Readers treat a
// missing or unparsable file as empty and report nothing.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/markup_declarations.h"
#include "common/markup_document.h"

namespace tavrel {

// <ProgramDirectory>/servers/serverlist.xml
std::string ServerListPath(std::string_view programDirectory);
// <ProgramDirectory>/servers/<progId>.xml; no path when `progId` is not a plain file name
// (IsPlainFileName), as a ProgID from a peer could otherwise name a file elsewhere.
std::optional<std::string> TagListPath(std::string_view programDirectory, std::string_view progId);
// Creates <ProgramDirectory>/servers when it is missing; false with the system's reason in
// `error`, when given, when it cannot be made.
bool CreateServersDirectory(std::string_view programDirectory, std::string* error = nullptr);
// Whether the tag list file of `progId` exists (the server has been scanned).
bool TagListExists(std::string_view programDirectory, std::string_view progId);

// One "t" element of the server list.
struct ServerListEntry {
  std::string progId;       // a
  std::string description;  // b
  std::string clsid;        // c, registry form with braces
  std::string catid;        // d, the DA category chosen for the discovery

  bool operator==(const ServerListEntry&) const = default;
};

// The server list: the node the discovery ran on, its credentials and the servers found.
struct ServerList {
  std::string useCredentials;  // count1: "1" explicit credentials, "0" not
  std::string user;            // count2
  std::string password;        // count3, plain text
  std::string domain;          // count4
  std::string node;            // empty: the local computer
  std::vector<ServerListEntry> servers;

  bool operator==(const ServerList&) const = default;
};

// Writes the server list over `path` (atomically, see MarkupDocument::SaveFile). On failure
// `error`, when given, receives the system's reason.
bool SaveServerList(const std::string& path, const ServerList& list, std::string* error = nullptr);
// Reads a server list; nothing when the file is missing, cannot be parsed or has no "root".
std::optional<ServerList> LoadServerList(const std::string& path);

// Builds a tag list item by item, as a scan finds the items.
class TagListBuilder {
 public:
  // Declaration, "root" with ver 0, and one empty "t" that the items go into.
  TagListBuilder();

  // Appends an "it" element; dt and ar are 0 when the server reported nothing.
  void AddItem(std::string_view id, int dt, int ar);

  const std::string& GetText() const { return document_.GetText(); }
  // Writes the document over `path` (atomically, see MarkupDocument::SaveFile). On failure
  // `error`, when given, receives the system's reason.
  bool Save(const std::string& path, std::string* error = nullptr);

 private:
  MarkupDocument document_{MarkupBuild::kFull};
};

struct TagListAttributes {
  int dt = 0;  // canonical VARTYPE
  int ar = 0;  // access rights: 1 readable, 2 writeable, 3 both

  bool operator==(const TagListAttributes&) const = default;
};

// Reads every "it" of every "t" under "root" into a map keyed by id; the first occurrence of
// an id wins. Elements with other names are skipped; missing dt or ar read as 0. A missing
// or unparsable file gives an empty map.
std::map<std::string, TagListAttributes> LoadTagList(const std::string& path);

}  // namespace tavrel
