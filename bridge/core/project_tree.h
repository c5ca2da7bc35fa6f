// The bridge's in-memory project: servers, their groups and their tags.
//
// Built once at start from opc_db.xml (BridgeProject) and never reshaped while the bridge
// runs: every thread reads the tree without a lock. What changes at run time is guarded where
// it lives: a tag's live value by its slot (tag_live_value.h); the engine's state of a server,
// group or tag belongs to the engine's own thread rules. The attributes keep their names in
// the project file.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bridge/core/api_value_type.h"
#include "bridge/core/tag_live_value.h"
#include "common/period_timer.h"

// The number by which API clients address a tag: tags take 0 .. T-1 in project order, then the
// servers' status tags T .. T+S-1. Handles are given at each start and are not stored.
using TagHandle = int;

class ServerConnection;
struct ProjectGroup;
struct ProjectServer;

struct ProjectTag {
  ProjectTag(ProjectGroup& group, std::string id, int vt, int dir, TagHandle handle)
      : id(std::move(id)),
        vt(vt),
        dir(dir),
        valueClass(ApiValueTypeOfVarType(vt)),
        group(group),
        handle(handle),
        liveValue(handle, valueClass) {}

  const std::string id;  // item identifier on the server, also the tag's name ("TagId")
  const int vt;          // requested VARTYPE
  const int dir;         // 1 read only, 2 write only, 3 read and write
  const ApiValueType valueClass;
  ProjectGroup& group;
  const TagHandle handle;
  // The connection of the tag's server; set at start-up before any thread runs.
  ServerConnection* connection = nullptr;
  LiveValueSlot liveValue;
};

struct ProjectGroup {
  explicit ProjectGroup(ProjectServer& server) : server(server) {}

  std::string name;
  std::string desc;
  ProjectServer& server;
  std::vector<std::unique_ptr<ProjectTag>> tags;
  int uptime = 0;  // requested update rate, ms
  std::string timebis_minutes;
  std::string percent_deadband;
  std::string language_id;
  std::string active_state;     // "1": active
  std::string datachange_type;  // 0 synchronous reads, 1 call-backs, 2 property reads
  std::string cycle_time;       // ms between reads
  std::string additem;          // non-zero: all items registered in one call
  // Period = cycle_time; armed when the server's connection object is made, then owned by
  // that connection's worker.
  PeriodTimer readTimer;
};

struct ProjectServer {
  std::string name;
  std::string desc;
  std::vector<std::unique_ptr<ProjectGroup>> groups;
  std::string node;   // host; empty for this computer
  std::string sid;    // ProgID
  std::string clsid;  // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
  int solution = 0;
  int outtime = 0;
  std::string catid;
  std::string csouttime;
  std::string c1;  // non-zero: explicit credentials c2 (user), c3 (password), c4 (domain)
  std::string c2;
  std::string c3;
  std::string c4;
};

// Every tag by its handle: the tag of handle h is at index h.
using TagMap = std::vector<ProjectTag*>;
