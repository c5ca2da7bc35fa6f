#include "platform/opcda/opc_server_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/com.h"
#include "platform/com/guid_text.h"
#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_interfaces.h"

namespace tavrel {

namespace {

class NothingServer final : public ComObject<IUnknown> {};

HRESULT CreateNothing(const ActivationRequest&, REFIID iid, void** object) {
  return MakeComObject<NothingServer>()->QueryInterface(iid, object);
}

CLSID ServerClsid(DWORD number) {
  return CLSID{0x0BC00000u + number, 0x1234, 0x4567, {0x89, 0xAB, 0, 0, 0, 0, 0, 0x02}};
}

void Register(const std::string& progId, DWORD number, std::vector<CATID> categories,
              std::vector<std::string> nodes = {}) {
  ClassDescriptor descriptor;
  descriptor.progId = progId;
  descriptor.clsid = ServerClsid(number);
  descriptor.description = progId + " server";
  descriptor.categories = std::move(categories);
  descriptor.nodes = std::move(nodes);
  RegisterBuiltInClass(std::move(descriptor), CreateNothing);
}

class OpcServerList : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterOpcCoreClasses();
    RegisterOpcCoreClasses();  // a second call changes nothing
    Register("Sim.DA20.1", 1, {CATID_OPCDAServer20});
    Register("Sim.DA10.1", 2, {CATID_OPCDAServer10});
    Register("Sim.Remote.1", 3, {CATID_OPCDAServer10, CATID_OPCDAServer20}, {"opc-host"});
    ClassRegistry::Instance().RegisterNode(
        NodeDescriptor{"guarded-host", NodeIdentity{"engineer", "", "key"}});
    Register("Sim.Guarded.1", 4, {CATID_OPCDAServer20}, {"guarded-host"});
  }
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
  void TearDown() override { CoUninitialize(); }

  // Activates the service as the server chooser does: on `host` ("" = this computer).
  static HRESULT Connect(const WCHAR* host, COAUTHINFO* authInfo, ComPtr<IOPCServerList>* list) {
    WideString name = host;
    COSERVERINFO server{0, name.data(), authInfo, 0};
    MULTI_QI query{&IID_IOPCServerList, nullptr, E_FAIL};
    const HRESULT hr = CoCreateInstanceEx(CLSID_OpcServerList, nullptr, CLSCTX_ALL,
                                          name.empty() ? nullptr : &server, 1, &query);
    if (SUCCEEDED(hr)) list->Attach(static_cast<IOPCServerList*>(query.pItf));
    return SUCCEEDED(hr) ? query.hr : hr;
  }

  // The classes of `category` (all classes for null) as the server chooser lists them,
  // "ProgID  (user type)", reading one CLSID per Next.
  static std::vector<WideString> Listed(IOPCServerList* list, const CATID* category) {
    CATID categories[1] = {category != nullptr ? *category : CATID{}};
    const ULONG count = category != nullptr ? 1 : static_cast<ULONG>(-1);
    ComPtr<IEnumGUID> classes;
    EXPECT_EQ(list->EnumClassesOfCategories(count, categories, count, categories,
                                            classes.ReleaseAndGetAddressOf()),
              S_OK);
    std::vector<WideString> progIds;
    CLSID clsid;
    ULONG fetched = 0;
    while (classes->Next(1, &clsid, &fetched) == S_OK) {
      LPOLESTR progId = nullptr;
      LPOLESTR userType = nullptr;
      EXPECT_EQ(list->GetClassDetails(clsid, &progId, &userType), S_OK);
      progIds.push_back(WideString(progId) + OLESTR("  (") + userType + OLESTR(")"));
      CoTaskMemFree(progId);
      CoTaskMemFree(userType);
    }
    return progIds;
  }
};

using Lines = std::vector<WideString>;

TEST_F(OpcServerList, ListsTheServersOfACategoryOnThisComputer) {
  const size_t blocks = TaskMemoryBlocksInUse();
  const size_t alive = ComObjectsAlive();
  {
    ComPtr<IOPCServerList> list;
    ASSERT_EQ(Connect(OLESTR(""), nullptr, &list), S_OK);
    EXPECT_EQ(Listed(list.Get(), &CATID_OPCDAServer20),
              Lines{OLESTR("Sim.DA20.1  (Sim.DA20.1 server)")});
    EXPECT_EQ(Listed(list.Get(), &CATID_OPCDAServer10),
              Lines{OLESTR("Sim.DA10.1  (Sim.DA10.1 server)")});
    CLSID clsid;
    ASSERT_EQ(list->CLSIDFromProgID(OLESTR("sim.da10.1"), &clsid), S_OK);
    EXPECT_EQ(clsid, ServerClsid(2));
    EXPECT_EQ(list->CLSIDFromProgID(OLESTR("Sim.Remote.1"), &clsid), CO_E_CLASSSTRING);
    LPOLESTR progId = nullptr;
    LPOLESTR userType = nullptr;
    EXPECT_EQ(list->GetClassDetails(ServerClsid(3), &progId, &userType), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(progId, nullptr);
  }
  EXPECT_EQ(TaskMemoryBlocksInUse(), blocks);
  EXPECT_EQ(ComObjectsAlive(), alive);
}

TEST_F(OpcServerList, ListsTheServersOfAnotherNode) {
  ComPtr<IOPCServerList> list;
  ASSERT_EQ(Connect(OLESTR("OPC-HOST"), nullptr, &list), S_OK);
  EXPECT_EQ(Listed(list.Get(), &CATID_OPCDAServer20),
            Lines{OLESTR("Sim.Remote.1  (Sim.Remote.1 server)")});
  EXPECT_EQ(Listed(list.Get(), &CATID_OPCDAServer10),
            Lines{OLESTR("Sim.Remote.1  (Sim.Remote.1 server)")});
  // Every class there, the service itself included.
  EXPECT_EQ(Listed(list.Get(), nullptr), (Lines{OLESTR("OPC.ServerList.1  (OpcServerList Class)"),
                                                OLESTR("Sim.Remote.1  (Sim.Remote.1 server)")}));
}

TEST_F(OpcServerList, UnknownHostsAreUnreachableAndGuardedHostsWantTheirIdentity) {
  ComPtr<IOPCServerList> list;
  EXPECT_EQ(Connect(OLESTR("missing-host"), nullptr, &list),
            HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(Connect(OLESTR("guarded-host"), nullptr, &list), E_ACCESSDENIED);
  WideString user = OLESTR("engineer");
  WideString password = OLESTR("key");
  COAUTHIDENTITY identity{reinterpret_cast<USHORT*>(user.data()),
                          static_cast<ULONG>(user.size()),
                          nullptr,
                          0,
                          reinterpret_cast<USHORT*>(password.data()),
                          static_cast<ULONG>(password.size()),
                          SEC_WINNT_AUTH_IDENTITY_UNICODE};
  COAUTHINFO authInfo{
      RPC_C_AUTHN_DEFAULT,         RPC_C_AUTHZ_DEFAULT, nullptr,  RPC_C_AUTHN_LEVEL_DEFAULT,
      RPC_C_IMP_LEVEL_IMPERSONATE, &identity,           EOAC_NONE};
  ASSERT_EQ(Connect(OLESTR("guarded-host"), &authInfo, &list), S_OK);
  EXPECT_EQ(Listed(list.Get(), &CATID_OPCDAServer20),
            Lines{OLESTR("Sim.Guarded.1  (Sim.Guarded.1 server)")});
}

TEST(OpcIds, PublishedValues) {
  EXPECT_EQ(GuidToString(CLSID_OpcServerList), "{13486D51-4821-11D2-A494-3CB306C10000}");
  EXPECT_EQ(GuidToString(CATID_OPCDAServer10), "{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}");
  EXPECT_EQ(GuidToString(CATID_OPCDAServer20), "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}");
  EXPECT_EQ(GuidToString(UuidOf<IOPCServer>()), "{39C13A4D-011E-11D0-9675-0020AFD8ADB3}");
  EXPECT_EQ(GuidToString(UuidOf<IOPCShutdown>()), "{F31DFDE1-07B6-11D2-B2D8-0060083BA1FB}");
}

}  // namespace

}  // namespace tavrel
