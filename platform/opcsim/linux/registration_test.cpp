#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/wide_string.h"
#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"
#include "platform/opcsim/test_client.h"

namespace tavrel::opcsim {

namespace {

constexpr CLSID kFaultyClsid = {
    0x6F0C2A1E, 0x4B7D, 0x4C55, {0x9E, 0x2A, 0x3D, 0x1B, 0x7C, 0x5E, 0x8A, 0xF0}};
constexpr CLSID kBrokenClsid = {
    0x6F0C2A1E, 0x4B7D, 0x4C55, {0x9E, 0x2A, 0x3D, 0x1B, 0x7C, 0x5E, 0x8A, 0xF1}};

constexpr const char* kRegistryFile = R"([class]
progid = OPCSim.Tree.1
clsid = {6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}
implementation = OPCSim.Tree.1
bulk_items = 3

[class]
progid = OPCSim.Faulty.1
clsid = {6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8AF0}
description = Faulty server
category = {63D5F432-CFE4-11D1-B2C8-0060083BA1FB}
implementation = OPCSim.Tree.1
faults = at 0 state failed

[class]
progid = OPCSim.Broken.1
clsid = {6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8AF1}
implementation = OPCSim.Flat.1
bulk_items = lots
)";

// The process registry as a program sets it up: the registry file first (it is read on first
// use), then the built-in classes.
class Registration : public SimulatedServerTest {
 protected:
  static void SetUpTestSuite() {
    const auto path = std::filesystem::temp_directory_path() / "opcsim_registration_test.conf";
    std::ofstream(path) << kRegistryFile;
    ASSERT_TRUE(ClassRegistry::Instance().LoadFile(path.string()).empty());
    std::filesystem::remove(path);
    RegisterOpcCoreClasses();
    RegisterSimulatedServers();
    RegisterSimulatedServers();  // a second call changes nothing
  }

  static std::vector<CLSID> ListedIn(const CATID& category) {
    auto list = CreateObject<IOPCServerList>(CLSID_OpcServerList);
    CATID categories[1] = {category};
    ComPtr<IEnumGUID> classes;
    EXPECT_EQ(list->EnumClassesOfCategories(1, categories, 1, categories,
                                            classes.ReleaseAndGetAddressOf()),
              S_OK);
    std::vector<CLSID> listed;
    CLSID clsid;
    ULONG fetched = 0;
    while (classes->Next(1, &clsid, &fetched) == S_OK) listed.push_back(clsid);
    return listed;
  }

  static bool Contains(const std::vector<CLSID>& list, const CLSID& clsid) {
    return std::find(list.begin(), list.end(), clsid) != list.end();
  }
};

TEST_F(Registration, FixedProgIdsActivateTheirServers) {
  const std::pair<const WCHAR*, CLSID> classes[] = {
      {OLESTR("OPCSim.Tree.1"), CLSID_OPCSimTree},
      {OLESTR("OPCSim.Flat.1"), CLSID_OPCSimFlat},
      {OLESTR("OPCSim.Legacy.1"), CLSID_OPCSimLegacy}};
  for (const auto& [progId, expected] : classes) {
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
    EXPECT_EQ(clsid, expected);
  }
  OPCNAMESPACETYPE organization;
  CreateObject<IOPCBrowseServerAddressSpace>(CLSID_OPCSimTree)->QueryOrganization(&organization);
  EXPECT_EQ(organization, OPC_NS_HIERARCHIAL);
  CreateObject<IOPCBrowseServerAddressSpace>(CLSID_OPCSimFlat)->QueryOrganization(&organization);
  EXPECT_EQ(organization, OPC_NS_FLAT);
  EXPECT_TRUE(CreateObject<IOPCServer>(CLSID_OPCSimLegacy));
  CreateObject<IOPCCommon>(CLSID_OPCSimLegacy, E_NOINTERFACE);
}

TEST_F(Registration, ServerListShowsTheDa2ServersAndOnlyARegistryWalkFindsTheLegacyOne) {
  const auto da2 = ListedIn(CATID_OPCDAServer20);
  EXPECT_TRUE(Contains(da2, CLSID_OPCSimTree));
  EXPECT_TRUE(Contains(da2, CLSID_OPCSimFlat));
  EXPECT_TRUE(Contains(da2, kFaultyClsid));
  EXPECT_FALSE(Contains(da2, CLSID_OPCSimLegacy));
  EXPECT_FALSE(Contains(ListedIn(CATID_OPCDAServer10), CLSID_OPCSimLegacy));
  // What a registry walk sees: every class, the OPC servers marked with their DA version.
  const auto classes = ClassRegistry::Instance().Classes();
  const auto legacy = std::find_if(classes.begin(), classes.end(),
                                   [](const auto& c) { return c.clsid == CLSID_OPCSimLegacy; });
  ASSERT_NE(legacy, classes.end());
  EXPECT_EQ(legacy->progId, kOpcSimLegacyProgId);
  EXPECT_EQ(legacy->settings.at(kOpcServerSetting), "1.0");
  EXPECT_TRUE(legacy->categories.empty());
  EXPECT_EQ(ClassRegistry::Instance().FindByClsid(CLSID_OPCSimTree, "")->settings.at("opc"), "2.0");
}

TEST_F(Registration, ActivationsOfOneClassShareItsDeviceAndValues) {
  const auto device = SimulatedDeviceFor(CLSID_OPCSimTree);
  ASSERT_TRUE(device);
  EXPECT_EQ(device, SimulatedDeviceFor(CLSID_OPCSimTree));
  EXPECT_NE(device, SimulatedDeviceFor(CLSID_OPCSimFlat));
  EXPECT_FALSE(SimulatedDeviceFor(CLSID_OpcServerList)) << "not a simulated class";
  const auto echo = device->Catalogue().FindItem(OLESTR("Echo.Int4"));
  ASSERT_TRUE(echo);
  EXPECT_EQ(device->Write(*echo, OwnedVariant::FromDouble(41).Get()), S_OK);

  auto properties = CreateObject<IOPCItemProperties>(CLSID_OPCSimTree);
  EXPECT_EQ(ValuePropertyOf(properties.Get(), OLESTR("Echo.Int4")).Get().lVal, 41);

  SimulationSettings settings;  // those of the registry file, for the other tests
  ReadSimulationSettings(ClassRegistry::Instance().FindByClsid(CLSID_OPCSimTree, "")->settings,
                         &settings);
  const auto fresh = ResetSimulatedDevice(CLSID_OPCSimTree, settings);
  ASSERT_TRUE(fresh);
  EXPECT_NE(fresh, device);
  EXPECT_EQ(fresh->Read(*echo, std::chrono::steady_clock::now()).value.Get().lVal, 0);
  EXPECT_EQ(ValuePropertyOf(properties.Get(), OLESTR("Echo.Int4")).Get().lVal, 41)
      << "an older connection keeps its device";
}

TEST_F(Registration, FileEntriesConfigureTheServersTheyDeclare) {
  const auto tree = SimulatedDeviceFor(CLSID_OPCSimTree);
  ASSERT_TRUE(tree);
  EXPECT_TRUE(tree->Catalogue().FindItem(OLESTR("Bulk.Item0002")));
  EXPECT_FALSE(tree->Catalogue().FindItem(OLESTR("Bulk.Item0003")));

  auto faulty = CreateObject<IOPCServer>(kFaultyClsid);
  ASSERT_TRUE(faulty);
  OPCSERVERSTATUS* status = nullptr;
  for (int i = 0; i < 200; ++i) {  // the script runs on the server's thread
    ASSERT_EQ(faulty->GetStatus(&status), S_OK);
    const bool failed = status->dwServerState == OPC_STATUS_FAILED;
    CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);
    if (failed) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_LT(i, 199) << "the scripted state never came";
  }
  CreateObject<IOPCServer>(kBrokenClsid, CO_E_SERVER_EXEC_FAILURE);
}

}  // namespace

}  // namespace tavrel::opcsim
