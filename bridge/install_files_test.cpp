// The files installed beside the executables: settings and the demo project.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "bridge/core/app_settings.h"
#include "bridge/core/settings_document.h"
#include "common/markup_document.h"
#include "common/project_file.h"
#include "common/test_files.h"

namespace tavrel {

namespace {

const std::string kInstallDirectory = TAVREL_INSTALL_FILES;

TEST(InstalledSettings, ApiAndManagerPorts) {
  SettingsDocument config(kInstallDirectory + "/config.xml");
  const AppSettings settings = AppSettingsOf(config.FromTop());
  EXPECT_EQ(settings.port, 21215);
  EXPECT_EQ(settings.port_h, 9527);
  EXPECT_FALSE(settings.programe_name.empty());
}

TEST(DemoProject, IsLaidOutAsTheProjectWriterWritesIt) {
  const std::string text = ReadTestFile(kInstallDirectory + "/opc_db.xml");
  MarkupDocument read(MarkupBuild::kBridge);
  ASSERT_TRUE(read.SetText(text));
  MarkupDocument written(MarkupBuild::kBridge);
  BuildProjectDocument(written, ReadProject(read));
  EXPECT_EQ(written.GetText(), text);
}

// The simulated servers' items and their canonical types.
const std::map<std::string, int> kItemTypes = {
    {"Int1", 16},
    {"Int2", 2},
    {"Int4", 3},
    {"UInt1", 17},
    {"UInt2", 18},
    {"UInt4", 19},
    {"Real4", 4},
    {"Real8", 5},
    {"Boolean", 11},
    {"String", 8},
    {"Date", 7},
    {"ArrayOfReal8", 8197},
    {"ArrayOfString", 8200},
};
const std::set<std::string> kBranches = {"Random", "Ramp", "Sine", "Square", "Echo"};

TEST(DemoProject, UsesBothSimulatedServersInEveryReadAndRegistrationMode) {
  const std::vector<ProjectServerRecord> servers =
      LoadProjectFile(kInstallDirectory + "/opc_db.xml", MarkupBuild::kBridge);
  ASSERT_EQ(servers.size(), 2u);
  EXPECT_EQ(servers[0].sid, "OPCSim.Tree.1");
  EXPECT_EQ(servers[0].clsid, "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}");
  EXPECT_EQ(servers[1].sid, "OPCSim.Flat.1");
  EXPECT_EQ(servers[1].clsid, "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A02}");
  for (const ProjectServerRecord& server : servers) {
    SCOPED_TRACE(server.sid);
    EXPECT_EQ(server.node, "");
    std::set<std::string> readModes;
    std::set<std::string> registrationModes;
    for (const ProjectGroupRecord& group : server.groups) {
      EXPECT_EQ(group.active_state, "1");
      readModes.insert(group.datachange_type);
      registrationModes.insert(group.additem);
      EXPECT_FALSE(group.tags.empty());
      for (const ProjectTagRecord& tag : group.tags) {
        const size_t dot = tag.id.find('.');
        ASSERT_NE(dot, std::string::npos) << tag.id;
        EXPECT_TRUE(kBranches.count(tag.id.substr(0, dot))) << tag.id;
        const auto item = kItemTypes.find(tag.id.substr(dot + 1));
        ASSERT_NE(item, kItemTypes.end()) << tag.id;
        EXPECT_EQ(tag.vt, item->second) << tag.id;
        // The demo writes to the echo items only.
        EXPECT_EQ(tag.dir, tag.id.starts_with("Echo.") ? 3 : 1) << tag.id;
      }
    }
    EXPECT_EQ(readModes, (std::set<std::string>{"0", "1", "2"}));
    EXPECT_EQ(registrationModes, (std::set<std::string>{"0", "1"}));
  }
}

}  // namespace

}  // namespace tavrel
