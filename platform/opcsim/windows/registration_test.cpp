// The simulated classes in the system's COM runtime: activated in this process, their keys the
// current user's only, their class objects kept when the callers' threads leave COM.
//
// Windows shows the current user's classes through HKEY_CLASSES_ROOT, where CLSIDFromProgID
// finds the ProgIDs; Wine 8 shows the machine's classes only there, so the tests read the keys
// themselves rather than resolve a ProgID.
#include <gtest/gtest.h>

#include <string>

#include "common/wide_string.h"
#include "platform/com/guid_text.h"
#include "platform/opcsim/simulated_class.h"
#include "platform/opcsim/simulated_servers.h"
#include "platform/opcsim/test_client.h"

namespace tavrel::opcsim {

namespace {

class Registration : public SimulatedServerTest {
 protected:
  static void SetUpTestSuite() {
    RegisterSimulatedServers();
    RegisterSimulatedServers();  // a second call changes nothing
  }

  // The default value of `path` below `root`; "(none)" when the key is missing, "" when it has
  // no default value.
  static std::string DefaultValue(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
      return "(none)";
    }
    char value[256] = {};
    DWORD size = sizeof value;
    const LSTATUS read = RegGetValueA(key, nullptr, nullptr, RRF_RT_REG_SZ, nullptr, value, &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS ? value : "";
  }
};

TEST_F(Registration, EachClassIsActivatedInThisProcess) {
  for (const BuiltInClass& builtIn : kBuiltInClasses) {
    SCOPED_TRACE(builtIn.progId);
    EXPECT_TRUE(CreateObject<IOPCServer>(builtIn.clsid));
  }
  OPCNAMESPACETYPE organization;
  CreateObject<IOPCBrowseServerAddressSpace>(CLSID_OPCSimTree)->QueryOrganization(&organization);
  EXPECT_EQ(organization, OPC_NS_HIERARCHIAL);
  CreateObject<IOPCBrowseServerAddressSpace>(CLSID_OPCSimFlat)->QueryOrganization(&organization);
  EXPECT_EQ(organization, OPC_NS_FLAT);
  CreateObject<IOPCCommon>(CLSID_OPCSimLegacy, E_NOINTERFACE);
}

TEST_F(Registration, KeysAreWrittenForTheCurrentUserOnly) {
  const std::string tree = GuidToString(CLSID_OPCSimTree);
  const std::string legacy = GuidToString(CLSID_OPCSimLegacy);
  const std::string da2 = GuidToString(CATID_OPCDAServer20);
  const struct {
    std::string path;
    std::string value;
  } keys[] = {
      {"OPCSim.Tree.1", "OPCSim Tree Simulation Server"},
      {"OPCSim.Tree.1\\CLSID", tree},
      {"OPCSim.Tree.1\\OPC", ""},
      {"CLSID\\" + tree, "OPCSim Tree Simulation Server"},
      {"CLSID\\" + tree + "\\ProgID", "OPCSim.Tree.1"},
      {"CLSID\\" + tree + "\\Implemented Categories\\" + da2, ""},
      {"OPCSim.Legacy.1\\OPC", ""},
      {"CLSID\\" + legacy + "\\ProgID", "OPCSim.Legacy.1"},
      {"CLSID\\" + legacy + "\\Implemented Categories", "(none)"},
  };
  for (const auto& [path, value] : keys) {
    EXPECT_EQ(DefaultValue(HKEY_CURRENT_USER, "Software\\Classes\\" + path), value) << path;
    EXPECT_EQ(DefaultValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + path), "(none)") << path;
  }
}

TEST_F(Registration, ClassObjectsStayWhenTheCallersLeaveCom) {
  CoUninitialize();  // no thread of the test is in COM now
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_TRUE(CreateObject<IOPCServer>(CLSID_OPCSimFlat));
}

TEST_F(Registration, ActivationsShareTheDeviceAndRefuseAggregation) {
  const auto device = SimulatedDeviceFor(CLSID_OPCSimTree);
  ASSERT_TRUE(device);
  EXPECT_EQ(device, SimulatedDeviceFor(CLSID_OPCSimTree, "localhost"));
  EXPECT_FALSE(SimulatedDeviceFor(CLSID_OPCSimTree, "other-host")) << "this computer only";
  const auto echo = device->Catalogue().FindItem(OLESTR("Echo.Int4"));
  ASSERT_TRUE(echo);
  EXPECT_EQ(device->Write(*echo, OwnedVariant::FromDouble(41).Get()), S_OK);
  auto properties = CreateObject<IOPCItemProperties>(CLSID_OPCSimTree);
  EXPECT_EQ(ValuePropertyOf(properties.Get(), OLESTR("Echo.Int4")).Get().lVal, 41);

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(CoGetClassObject(CLSID_OPCSimTree, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                             factory.ReleaseAndGetVoidAddressOf()),
            S_OK);
  int placeholder = 0;
  void* aggregated = &placeholder;
  EXPECT_EQ(factory->CreateInstance(properties.Get(), IID_IUnknown, &aggregated),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(aggregated, nullptr);
}

}  // namespace

}  // namespace tavrel::opcsim
