// What a project keeps of an OPC server besides its name and description, as the project
// file's attributes hold it (text exactly as typed, `solution` as a number).
#pragma once

#include <string>

// The entries of the "Fault Deal With" list; `solution` is an index into it.
inline constexpr const char* kFaultHandlingNames[] = {
    "NO DEAL WITH", "data no change,quality is bad", "date set zero,quality is bad"};

// The user name a new server proposes for remote access.
inline constexpr char kDefaultServerUser[] = "Administrator";

struct ServerSettings {
  std::string node;     // computer running the server; empty (or a name of this one): local
  std::string sid;      // ProgID
  std::string clsid;    // registry form
  std::string catid;    // category of the server's DA version, registry form
  std::string outtime;  // fault check period, seconds
  int solution = 0;     // fault handling, index into kFaultHandlingNames
  std::string c1;       // "1": remote access with the identity c2 (user), c3 (key), c4 (domain)
  std::string c2 = kDefaultServerUser;
  std::string c3;
  std::string c4;

  bool operator==(const ServerSettings&) const = default;
};
