// Activation through the class registry, remote nodes and identities, and the proxy blanket.
#include "platform/com/linux/activation.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/com/com_object.h"
#include "platform/com/guid_text.h"
#include "platform/com/linux/class_registry.h"
#include "platform/com/linux/client_security.h"
#include "platform/com/linux/computer_name.h"
#include "platform/com/linux/last_error.h"
#include "platform/com/linux/task_memory.h"
#include "platform/com/read_auth_identity.h"
#include "platform/com/test_objects.h"

namespace tavrel {

// Test interfaces: their InterfaceTraits must live in the global namespace.
inline constexpr IID IID_IDemo = {
    0x6A1C0201, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x05}};
// An interface no test object implements.
inline constexpr IID IID_IAbsent = {
    0x6A1C0202, 0x1111, 0x4222, {0x83, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x06}};

struct IDemo : public IUnknown {
  // The node the object was created on ("" = this computer).
  STDMETHOD_(const char*, Node)() PURE;
  STDMETHOD_(const char*, Setting)(const char* key) PURE;
};
COM_INTERFACE_ID(IDemo);

namespace {

class DemoServer final : public ComObject<IDemo, ClientSecurity> {
 public:
  explicit DemoServer(const ActivationRequest& request)
      : node_(request.node), settings_(request.descriptor.settings) {}
  STDMETHODIMP_(const char*) Node() override { return node_.c_str(); }
  STDMETHODIMP_(const char*) Setting(const char* key) override {
    const auto found = settings_.find(key);
    return found == settings_.end() ? "" : found->second.c_str();
  }

 private:
  std::string node_;
  std::map<std::string, std::string> settings_;
};

HRESULT CreateDemo(const ActivationRequest& request, REFIID iid, void** object) {
  return MakeComObject<DemoServer>(request)->QueryInterface(iid, object);
}

// A CLSID of its own for every class a test registers.
CLSID TestClsid(DWORD number) {
  return CLSID{0x7E570000u + number, 0x5A5A, 0x4B4B, {0x8C, 0x8C, 0, 0, 0, 0, 0, 0x01}};
}

ClassDescriptor Descriptor(const std::string& progId, const CLSID& clsid,
                           std::vector<std::string> nodes = {}) {
  ClassDescriptor descriptor;
  descriptor.progId = progId;
  descriptor.clsid = clsid;
  descriptor.description = progId + " description";
  descriptor.nodes = std::move(nodes);
  return descriptor;
}

// An identity as the client code builds it: UTF-16 strings and lengths.
class Identity {
 public:
  Identity(std::u16string user, std::u16string domain, std::u16string password)
      : user_(std::move(user)), domain_(std::move(domain)), password_(std::move(password)) {
    identity_ = COAUTHIDENTITY{Units(user_),
                               static_cast<ULONG>(user_.size()),
                               Units(domain_),
                               static_cast<ULONG>(domain_.size()),
                               Units(password_),
                               static_cast<ULONG>(password_.size()),
                               SEC_WINNT_AUTH_IDENTITY_UNICODE};
    authInfo_ = COAUTHINFO{
        RPC_C_AUTHN_DEFAULT,         RPC_C_AUTHZ_DEFAULT, nullptr,  RPC_C_AUTHN_LEVEL_DEFAULT,
        RPC_C_IMP_LEVEL_IMPERSONATE, &identity_,          EOAC_NONE};
  }
  COAUTHIDENTITY* Get() { return &identity_; }
  COAUTHINFO* AuthInfo() { return &authInfo_; }

 private:
  static USHORT* Units(std::u16string& text) { return reinterpret_cast<USHORT*>(text.data()); }
  std::u16string user_;
  std::u16string domain_;
  std::u16string password_;
  COAUTHIDENTITY identity_;
  COAUTHINFO authInfo_;
};

// CoCreateInstanceEx on `node` with one MULTI_QI for IDemo.
HRESULT CreateOn(const CLSID& clsid, const char16_t* node, COAUTHINFO* authInfo,
                 ComPtr<IDemo>* demo) {
  std::u16string name = node;
  COSERVERINFO server{0, name.data(), authInfo, 0};
  MULTI_QI query{&IID_IDemo, nullptr, E_FAIL};
  const HRESULT hr = CoCreateInstanceEx(clsid, nullptr, CLSCTX_REMOTE_SERVER, &server, 1, &query);
  EXPECT_EQ(query.hr, hr);
  demo->Attach(static_cast<IDemo*>(query.pItf));
  return hr;
}

class Activation : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
  void TearDown() override { CoUninitialize(); }
  ClassRegistry& registry = ClassRegistry::Instance();
};

TEST_F(Activation, ByProgIdAndByClsid) {
  const size_t alive = ComObjectsAlive();
  const CLSID clsid = TestClsid(1);
  RegisterBuiltInClass(Descriptor("Test.Local.1", clsid), CreateDemo);

  CLSID found;
  ASSERT_EQ(CLSIDFromProgID(u"test.LOCAL.1", &found), S_OK);  // any case
  EXPECT_EQ(found, clsid);
  found = CLSID_NULL;
  ASSERT_EQ(CLSIDFromString(u"Test.Local.1", &found), S_OK);  // as Windows reads it too
  EXPECT_EQ(found, clsid);
  LPOLESTR progId = nullptr;
  ASSERT_EQ(ProgIDFromCLSID(clsid, &progId), S_OK);
  EXPECT_EQ(std::u16string(progId), u"Test.Local.1");
  CoTaskMemFree(progId);

  ComPtr<IUnknown> object;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                             object.ReleaseAndGetVoidAddressOf()),
            S_OK);
  ComPtr<IDemo> demo;
  ASSERT_EQ(object.As(&demo), S_OK);
  EXPECT_STREQ(demo->Node(), "");
  object = nullptr;
  demo = nullptr;
  EXPECT_EQ(ComObjectsAlive(), alive);
}

TEST_F(Activation, UnknownClassesAndProgIds) {
  const CLSID unknown = TestClsid(2);
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_ALL, IID_IUnknown,
                             object.ReleaseAndGetVoidAddressOf()),
            REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(object);
  CLSID found = unknown;
  EXPECT_EQ(CLSIDFromProgID(u"No.Such.Server.1", &found), CO_E_CLASSSTRING);
  EXPECT_EQ(found, CLSID_NULL);
  LPOLESTR progId = nullptr;
  EXPECT_EQ(ProgIDFromCLSID(unknown, &progId), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(progId, nullptr);
}

TEST_F(Activation, ARemoteNodeTheRegistryDoesNotKnowIsUnreachable) {
  RegisterBuiltInClass(Descriptor("Test.Anywhere.1", TestClsid(3), {"*"}), CreateDemo);
  ComPtr<IDemo> demo;
  EXPECT_EQ(CreateOn(TestClsid(3), u"no-such-host", nullptr, &demo),
            HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), static_cast<HRESULT>(0x800706BA));
  EXPECT_FALSE(demo);
  EXPECT_FALSE(registry.IsKnownNode("no-such-host"));
}

TEST_F(Activation, ARemoteNodeDemandsItsIdentity) {
  const CLSID clsid = TestClsid(4);
  ClassDescriptor descriptor = Descriptor("Test.Remote.1", clsid, {"plant-host"});
  descriptor.identity = NodeIdentity{"operator", "PLANT", "pw"};
  RegisterBuiltInClass(descriptor, CreateDemo);
  ComPtr<IDemo> demo;

  EXPECT_EQ(CreateOn(clsid, u"plant-host", nullptr, &demo), E_ACCESSDENIED);
  Identity wrongPassword(u"operator", u"PLANT", u"PW");
  EXPECT_EQ(CreateOn(clsid, u"plant-host", wrongPassword.AuthInfo(), &demo), E_ACCESSDENIED);
  Identity wrongDomain(u"operator", u"OFFICE", u"pw");
  EXPECT_EQ(CreateOn(clsid, u"plant-host", wrongDomain.AuthInfo(), &demo), E_ACCESSDENIED);
  Identity right(u"Operator", u"plant", u"pw");  // user and domain in any case
  ASSERT_EQ(CreateOn(clsid, u"PLANT-HOST", right.AuthInfo(), &demo), S_OK);
  EXPECT_STREQ(demo->Node(), "plant-host");

  // The class does not exist on this computer, and its ProgID is unknown here.
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                             reinterpret_cast<void**>(demo.ReleaseAndGetAddressOf())),
            REGDB_E_CLASSNOTREG);
  CLSID found;
  EXPECT_EQ(CLSIDFromProgID(u"Test.Remote.1", &found), CO_E_CLASSSTRING);
  // A known node without the class.
  EXPECT_EQ(CreateOn(TestClsid(1), u"plant-host", right.AuthInfo(), &demo), REGDB_E_CLASSNOTREG);
}

TEST_F(Activation, ANodeEntryDemandsAnIdentityForAllItsClasses) {
  registry.RegisterNode(NodeDescriptor{"secure-node", NodeIdentity{"admin", "", "secret"}});
  RegisterBuiltInClass(Descriptor("Test.Secure.1", TestClsid(5), {"secure-node"}), CreateDemo);
  ComPtr<IDemo> demo;
  EXPECT_EQ(CreateOn(TestClsid(5), u"secure-node", nullptr, &demo), E_ACCESSDENIED);
  Identity anyDomain(u"admin", u"WHATEVER", u"secret");
  EXPECT_EQ(CreateOn(TestClsid(5), u"secure-node", anyDomain.AuthInfo(), &demo), S_OK);

  std::vector<std::string> nodes = registry.KnownNodes();
  EXPECT_NE(std::find(nodes.begin(), nodes.end(), "secure-node"), nodes.end());
  // Classes of other nodes are not listed there (classes on "*" of other tests may be).
  ClassDescriptor elsewhere = Descriptor("Test.Elsewhere.1", TestClsid(14), {"other-node"});
  RegisterBuiltInClass(elsewhere, CreateDemo);
  std::vector<std::string> progIds;
  for (const ClassDescriptor& d : registry.ClassesOnNode("SECURE-NODE"))
    progIds.push_back(d.progId);
  EXPECT_NE(std::find(progIds.begin(), progIds.end(), "Test.Secure.1"), progIds.end());
  EXPECT_EQ(std::find(progIds.begin(), progIds.end(), "Test.Elsewhere.1"), progIds.end());
}

TEST_F(Activation, NamesOfThisComputerActivateLocallyWithoutIdentity) {
  ClassDescriptor descriptor = Descriptor("Test.LocalOnly.1", TestClsid(6));
  descriptor.identity = NodeIdentity{"nobody", "", "never"};  // demanded only remotely
  RegisterBuiltInClass(descriptor, CreateDemo);
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  const std::u16string computerName(computer, computer + size);
  for (const std::u16string& node : {std::u16string(u"localhost"), std::u16string(u"127.0.0.1"),
                                     std::u16string(u""), computerName}) {
    ComPtr<IDemo> demo;
    EXPECT_EQ(CreateOn(TestClsid(6), node.c_str(), nullptr, &demo), S_OK);
    if (demo) {
      EXPECT_STREQ(demo->Node(), "");
    }
  }
}

TEST_F(Activation, MultiQiReportsEachInterface) {
  RegisterBuiltInClass(Descriptor("Test.MultiQi.1", TestClsid(7)), CreateDemo);
  MULTI_QI queries[3] = {{&IID_IUnknown, nullptr, E_FAIL},
                         {&IID_IDemo, nullptr, E_FAIL},
                         {&IID_IAbsent, nullptr, E_FAIL}};
  ASSERT_EQ(CoCreateInstanceEx(TestClsid(7), nullptr, CLSCTX_ALL, nullptr, 3, queries),
            CO_S_NOTALLINTERFACES);
  EXPECT_EQ(queries[0].hr, S_OK);
  EXPECT_EQ(queries[1].hr, S_OK);
  EXPECT_EQ(queries[2].hr, E_NOINTERFACE);
  EXPECT_EQ(queries[2].pItf, nullptr);
  queries[0].pItf->Release();
  queries[1].pItf->Release();
  MULTI_QI none{&IID_IAbsent, nullptr, S_OK};
  EXPECT_EQ(CoCreateInstanceEx(TestClsid(7), nullptr, CLSCTX_ALL, nullptr, 1, &none),
            E_NOINTERFACE);
  EXPECT_EQ(CoCreateInstanceEx(TestClsid(7), nullptr, CLSCTX_ALL, nullptr, 0, &none), E_INVALIDARG);
}

TEST_F(Activation, TheProxyBlanketKeepsItsIdentity) {
  RegisterBuiltInClass(Descriptor("Test.Blanket.1", TestClsid(8)), CreateDemo);
  ComPtr<IUnknown> object;
  ASSERT_EQ(CoCreateInstance(TestClsid(8), nullptr, CLSCTX_ALL, IID_IUnknown,
                             object.ReleaseAndGetVoidAddressOf()),
            S_OK);
  {
    Identity identity(u"operator", u"PLANT", u"pw");
    ASSERT_EQ(CoSetProxyBlanket(object.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                                identity.Get(), EOAC_NONE),
              S_OK);
  }  // the caller's identity buffers are gone; the blanket kept a copy
  DWORD service = 0;
  DWORD impersonation = 0;
  RPC_AUTH_IDENTITY_HANDLE handle = nullptr;
  ASSERT_EQ(CoQueryProxyBlanket(object.Get(), &service, nullptr, nullptr, nullptr, &impersonation,
                                &handle, nullptr),
            S_OK);
  EXPECT_EQ(service, RPC_C_AUTHN_WINNT);
  EXPECT_EQ(impersonation, RPC_C_IMP_LEVEL_IMPERSONATE);
  ASSERT_NE(handle, nullptr);
  AuthIdentity kept;
  ASSERT_TRUE(ReadAuthIdentity(static_cast<COAUTHIDENTITY*>(handle), &kept));
  EXPECT_EQ(kept.user, u"operator");
  EXPECT_EQ(kept.domain, u"PLANT");
  EXPECT_EQ(kept.password, u"pw");

  ComPtr<CountedObject> plain = MakeComObject<CountedObject>();
  EXPECT_EQ(
      CoSetProxyBlanket(plain.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                        RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE),
      E_NOINTERFACE);
}

TEST_F(Activation, DeclaredClassesAreServedByTheirImplementation) {
  RegisterBuiltInClass(Descriptor("Test.Implementation.1", TestClsid(9)), CreateDemo);
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("com_registry_test_" + std::to_string(getpid()) + ".conf");
  std::ofstream(file) << "[class]\n"
                         "progid = Test.Declared.1\n"
                         "clsid = "
                      << GuidToString(TestClsid(10))
                      << "\n"
                         "implementation = test.implementation.1\n"
                         "greeting = hello\n"
                         "[class]\n"
                         "progid = Test.Orphan.1\n"
                         "clsid = "
                      << GuidToString(TestClsid(11))
                      << "\n"
                         "implementation = Test.Missing.1\n";
  EXPECT_TRUE(registry.LoadFile(file.string()).empty());
  std::filesystem::remove(file);

  ComPtr<IDemo> demo;
  ASSERT_EQ(CoCreateInstance(TestClsid(10), nullptr, CLSCTX_ALL, IID_IDemo,
                             reinterpret_cast<void**>(demo.ReleaseAndGetAddressOf())),
            S_OK);
  EXPECT_STREQ(demo->Setting("greeting"), "hello");
  EXPECT_EQ(CoCreateInstance(TestClsid(11), nullptr, CLSCTX_ALL, IID_IDemo,
                             reinterpret_cast<void**>(demo.ReleaseAndGetAddressOf())),
            CO_E_SERVER_EXEC_FAILURE);
  EXPECT_EQ(registry.LoadFile("/nonexistent/com_registry.conf").size(), 1u);
}

TEST_F(Activation, RegisteringAClassAgainReplacesIt) {
  RegisterBuiltInClass(Descriptor("Test.Version.1", TestClsid(12)), CreateDemo);
  RegisterBuiltInClass(Descriptor("Test.Version.2", TestClsid(12)), CreateDemo);
  const auto found = registry.FindByClsid(TestClsid(12), "");
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->progId, "Test.Version.2");
  CLSID clsid;
  EXPECT_EQ(CLSIDFromProgID(u"Test.Version.1", &clsid), CO_E_CLASSSTRING);
}

TEST_F(Activation, RequiresAnInitialisedApartmentAndNoAggregation) {
  RegisterBuiltInClass(Descriptor("Test.Apartment.1", TestClsid(13)), CreateDemo);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  CoUninitialize();
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(TestClsid(13), nullptr, CLSCTX_ALL, IID_IUnknown,
                             object.ReleaseAndGetVoidAddressOf()),
            S_OK);
  IUnknown* created = nullptr;
  EXPECT_EQ(CoCreateInstance(TestClsid(13), object.Get(), CLSCTX_ALL, IID_IUnknown,
                             reinterpret_cast<void**>(&created)),
            CLASS_E_NOAGGREGATION);
  CoUninitialize();  // leaves the apartment: no thread is in it now
  EXPECT_EQ(CoCreateInstance(TestClsid(13), nullptr, CLSCTX_ALL, IID_IUnknown,
                             reinterpret_cast<void**>(&created)),
            CO_E_NOTINITIALIZED);
  EXPECT_EQ(created, nullptr);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);  // for TearDown
}

}  // namespace

}  // namespace tavrel
