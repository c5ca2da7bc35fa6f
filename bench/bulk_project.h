// The load programs' project: the tree simulation's Bulk items, all changing at the simulated
// server's Bulk period, registered in equal groups of data-change call-backs.
#pragma once

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <string>

namespace tavrel {

// The id of Bulk item `index` of a server simulating `count` of them: four digits up to
// 10,000 items, one more for each further power of ten, as the simulated server names them.
inline std::string BulkItemId(std::size_t index, std::size_t count) {
  int width = 4;
  for (std::size_t largest = count > 0 ? count - 1 : 0; largest >= 10'000; largest /= 10) ++width;
  char id[32];
  std::snprintf(id, sizeof id, "Bulk.Item%0*zu", width, index);
  return id;
}

// Writes the project file `path`: server "Bulk" with `items` Bulk items in `groups` groups
// ("Bulk0", "Bulk1" ...) of call-backs every 100 ms, every item a read-only real.
inline void WriteBulkProject(const std::string& path, std::size_t items, std::size_t groups) {
  std::ofstream project(path);
  project << "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<root>\r\n"
          << "<server name=\"Bulk\" desc=\"\" node=\"\" sid=\"OPCSim.Tree.1\" "
             "clsid=\"{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}\" c1=\"0\">\r\n";
  const std::size_t perGroup = items / groups;
  for (std::size_t group = 0; group < groups; ++group) {
    project << "<group name=\"Bulk" << group
            << "\" desc=\"\" uptime=\"100\" timebis_minutes=\"0\" percent_deadband=\"0\" "
               "language_id=\"1033\" active_state=\"1\" datachange_type=\"1\" "
               "cycle_time=\"3600000\" additem=\"1\">\r\n";
    for (std::size_t i = group * perGroup; i < (group + 1) * perGroup; ++i) {
      project << "<tag id=\"" << BulkItemId(i, items) << "\" vt=\"5\" dir=\"1\"/>\r\n";
    }
    project << "</group>\r\n";
  }
  project << "</server>\r\n</root>\r\n";
}

}  // namespace tavrel
