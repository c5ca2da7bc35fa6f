// The bridge's in-memory project: servers, their groups and their tags, with typed settings.
//
// Built once at start from opc_db.xml (BridgeProject), whose attributes are text: they are
// read here once, by the C atoi/atof rules the file has always been read with, into the
// typed settings below. Only what the bridge uses is kept. The tree is never reshaped while
// the bridge runs: every thread reads it without a lock. What changes at run time is guarded
// where it lives: a tag's live value by its slot (tag_live_value.h); the engine's state of a
// server, group or tag belongs to the engine.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bridge/core/api_value_type.h"
#include "bridge/core/tag_live_value.h"

namespace tavrel {

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
        handle(handle),
        group(group),
        liveValue(handle, valueClass) {}

  // Laid out without padding: a project holds a hundred thousand tags and more.
  const std::string id;  // item identifier on the server, also the tag's name ("TagId")
  const int vt;          // requested VARTYPE
  const int dir;         // 1 read only, 2 write only, 3 read and write
  const ApiValueType valueClass;
  const TagHandle handle;
  ProjectGroup& group;
  // The connection of the tag's server; set at start-up before any thread runs.
  ServerConnection* connection = nullptr;
  LiveValueSlot liveValue;
};
// Each tag is one allocation: 136 bytes fit the 144-byte blocks of a 64-bit C library's
// allocator, 8 more would take the next size.
static_assert(sizeof(ProjectTag) <= 136, "a tag grew into the next allocation size");

// How a group's values reach the bridge (the project's `datachange_type`).
enum class ReadMode {
  kCacheRead,     // 0: each item read from the server's cache on every read cycle
  kCallback,      // 1: data-change call-backs, and a refresh from the device on every cycle
  kPropertyRead,  // 2: each item's value and quality properties read on every cycle
  kNone,          // any other number: the items are registered and never read
};

// The settings of a group, as the engine registers and reads it.
struct GroupSettings {
  // The group's active flag as written (`active_state`): AddGroup receives it as its BOOL;
  // only a group whose flag is exactly 1 takes part in the read cycles.
  int activeFlag = 0;
  std::chrono::milliseconds updateRate{0};  // `uptime`: requested update rate
  std::chrono::minutes timeBias{0};         // `timebis_minutes`
  float percentDeadband = 0;                // `percent_deadband`
  std::uint32_t localeId = 0;               // `language_id`
  ReadMode readMode = ReadMode::kCacheRead;
  std::chrono::milliseconds cycleTime{0};  // `cycle_time`: time between two reads
  std::string cycleTimeText;               // `cycle_time` as written, for the read cycle's log
  bool bulkRegistration = false;           // `additem` non-zero: all items in one call
};

struct ProjectGroup {
  ProjectGroup(ProjectServer& server, std::string name, std::string desc, GroupSettings settings)
      : name(std::move(name)),
        desc(std::move(desc)),
        settings(std::move(settings)),
        server(server) {}

  const std::string name;
  const std::string desc;  // description, shown beside the name
  const GroupSettings settings;
  ProjectServer& server;
  std::vector<std::unique_ptr<ProjectTag>> tags;
};

// The identity a remote server is activated with (`c2`, `c3`, `c4`).
struct ServerCredentials {
  std::string user;
  std::string password;
  std::string domain;
};

struct ProjectServer {
  std::string name;
  std::string node;    // host; empty for this computer
  std::string progId;  // `sid`
  std::string clsid;   // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" as written
  // Present when `c1` is a non-zero number: remote activation then carries this identity.
  std::optional<ServerCredentials> credentials;
  std::vector<std::unique_ptr<ProjectGroup>> groups;
};

// Every tag by its handle: the tag of handle h is at index h.
using TagMap = std::vector<ProjectTag*>;

}  // namespace tavrel
