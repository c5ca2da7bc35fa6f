// The project file opc_db.xml: the servers the bridge connects to, their groups and tags.
//
//   <?xml version="1.0" encoding="GB2312"?> CR LF    (one blank before the line break)
//   <root>
//   <server name= desc= node= sid= clsid= catid= outtime= solution= c1= c2= c3= c4=>
//   <group name= desc= uptime= timebis_minutes= percent_deadband= language_id=
//          active_state= datachange_type= cycle_time= additem=>
//   <tag id= vt= dir=/>
//   </group>
//   </server>
//   </root>
//
// One element per line, no indentation, all values in attributes, text in GBK. The records below
// carry every attribute under its own name, as text unless both programs use it as a number: the
// group settings and outtime are kept exactly as typed, so a project read and saved again keeps
// them, and the bridge converts what it needs with ParseDecimal. csouttime is read but written by
// no program; a file stored through the bridge's API may carry it.
#pragma once

#include <string>
#include <vector>

#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "common/program_files.h"

namespace tavrel {

struct ProjectTagRecord {
  std::string id;  // item identifier on the server
  int vt = 0;      // requested VARTYPE
  int dir = 0;     // 1 read only, 2 write only, 3 read and write

  bool operator==(const ProjectTagRecord&) const = default;
};

struct ProjectGroupRecord {
  std::string name;
  std::string desc;
  std::string uptime;  // update rate, ms
  std::string timebis_minutes;
  std::string percent_deadband;
  std::string language_id;
  std::string active_state;
  std::string datachange_type;  // 0 synchronous reads, 1 call-backs, 2 property reads
  std::string cycle_time;       // collection period, ms
  std::string additem;          // non-zero: all items in one registration call
  std::vector<ProjectTagRecord> tags;

  bool operator==(const ProjectGroupRecord&) const = default;
};

// A server's connection settings: where it runs, which class it is, what happens on a fault and
// the identity it is reached with. The maker and the bridge's window edit them; a server
// record carries them.
struct ServerSettings {
  std::string node;     // computer running the server; empty (or a name of this one): local
  std::string sid;      // ProgID
  std::string clsid;    // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
  std::string catid;    // category of the server's DA version, registry form
  std::string outtime;  // fault check period, seconds
  int solution = 0;     // fault handling: 0 none; 1 value kept, 2 set to zero, quality bad
  // Non-zero: remote activation presents c2 (user), c3 (password) and c4 (domain). The dialogs
  // tick their credentials box for "1" and write "1" or "0".
  std::string c1;
  std::string c2;
  std::string c3;
  std::string c4;

  bool operator==(const ServerSettings&) const = default;
};

struct ProjectServerRecord : ServerSettings {
  std::string name;
  std::string desc;
  std::string csouttime;
  std::vector<ProjectGroupRecord> groups;

  bool operator==(const ProjectServerRecord&) const = default;
};

// Reads the servers under the document's "root", in document order, with every attribute
// of the tables above. Elements with other names and attributes not listed are skipped; a
// missing attribute reads as empty text, or 0 for a number. No "root": no servers.
// Navigation starts from the top of the document, wherever its position was.
std::vector<ProjectServerRecord> ReadProject(MarkupDocument& document);

// Loads the file with the given build of the markup layer and reads it as ReadProject does.
// A file that cannot be loaded or is not well formed gives no servers; when it exists,
// `loadError` (if given) receives why: the markup layer's diagnostics of the load. It is left
// empty for a missing file and for one that was read.
std::vector<ProjectServerRecord> LoadProjectFile(const std::string& path, MarkupBuild build,
                                                 std::string* loadError = nullptr);

// Adds a "server" element with its twelve attributes in the files' order (no csouttime) after the
// document's main element, and leaves it the main element. On an empty document it gives a document
// of this one element.
void AddServerElement(MarkupDocument& document, const ProjectServerRecord& server);

// Replaces `document` by the project: declaration, "root", and the servers, groups and tags
// with the attributes in the files' order, stepping into an element only when it has
// children.
void BuildProjectDocument(MarkupDocument& document,
                          const std::vector<ProjectServerRecord>& servers);

// Builds the project document and saves it over `path`. The file is replaced atomically:
// a save that fails or is interrupted leaves the previous file whole. False when the save
// failed (the directory is not created).
bool SaveProjectFile(const std::string& path, const std::vector<ProjectServerRecord>& servers);

}  // namespace tavrel
