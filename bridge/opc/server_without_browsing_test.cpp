// Browsing a server that offers no browsing, a class of the test's own in the Linux class
// registry.
#include <gtest/gtest.h>

#include <filesystem>

#include "bridge/opc/server_tag_browse_test_support.h"
#include "platform/com/linux/class_registry.h"

namespace tavrel::browse_test {

namespace {

constexpr CLSID kNoBrowseClsid = {
    0x0B0B0B0B, 0x1234, 0x4321, {0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5, 0x06, 0x17}};

// A server that answers IOPCServer only, in front of a simulated one: no browsing.
class ServerWithoutBrowsing final : public ComObject<IOPCServer> {
 public:
  explicit ServerWithoutBrowsing(ComPtr<IOPCServer> inner) : inner_(std::move(inner)) {}
  STDMETHODIMP AddGroup(LPCWSTR name, BOOL active, DWORD rate, OPCHANDLE client, LONG* bias,
                        FLOAT* deadband, DWORD lcid, OPCHANDLE* server, DWORD* revised, REFIID iid,
                        LPUNKNOWN* group) override {
    return inner_->AddGroup(name, active, rate, client, bias, deadband, lcid, server, revised, iid,
                            group);
  }
  STDMETHODIMP GetErrorString(HRESULT error, LCID locale, LPWSTR* text) override {
    return inner_->GetErrorString(error, locale, text);
  }
  STDMETHODIMP GetGroupByName(LPCWSTR name, REFIID iid, LPUNKNOWN* group) override {
    return inner_->GetGroupByName(name, iid, group);
  }
  STDMETHODIMP GetStatus(OPCSERVERSTATUS** status) override { return inner_->GetStatus(status); }
  STDMETHODIMP RemoveGroup(OPCHANDLE group, BOOL force) override {
    ++removedGroups;
    return inner_->RemoveGroup(group, force);
  }
  STDMETHODIMP CreateGroupEnumerator(OPCENUMSCOPE scope, REFIID iid, LPUNKNOWN* out) override {
    return inner_->CreateGroupEnumerator(scope, iid, out);
  }
  static inline int removedGroups = 0;

 private:
  ComPtr<IOPCServer> inner_;
};

class BrowseWithoutBrowsingTest : public BrowseServerTagsTest {
 protected:
  static void SetUpTestSuite() {
    BrowseServerTagsTest::SetUpTestSuite();
    ClassDescriptor noBrowse;
    noBrowse.progId = "Test.NoBrowse.1";
    noBrowse.clsid = kNoBrowseClsid;
    noBrowse.description = "server without browsing";
    RegisterBuiltInClass(noBrowse, [](const ActivationRequest&, REFIID iid, void** object) {
      ComPtr<IOPCServer> inner;
      const HRESULT connected = opcsim::SimulatedDeviceFor(opcsim::CLSID_OPCSimTree)
                                    ->Connect(IID_IOPCServer, inner.ReleaseAndGetVoidAddressOf());
      if (FAILED(connected)) return connected;
      return MakeComObject<ServerWithoutBrowsing>(std::move(inner))->QueryInterface(iid, object);
    });
  }
};

TEST_F(BrowseWithoutBrowsingTest, ServerWithoutBrowsingIsReportedAndItsGroupRemoved) {
  ServerWithoutBrowsing::removedGroups = 0;
  const BrowseResult result = Parse(Browse("NB", GuidToString(kNoBrowseClsid)));
  EXPECT_EQ(result.error, "Server[NB] 不支持数据浏览");
  EXPECT_TRUE(result.items.empty());
  EXPECT_EQ(ServerWithoutBrowsing::removedGroups, 1);
  EXPECT_EQ(DailyLogText().find("遍历结束"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(directory_ / "log/NB.txt"));
}

}  // namespace

}  // namespace tavrel::browse_test
