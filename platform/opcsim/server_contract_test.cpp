#include <gtest/gtest.h>

#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/bstr_view.h"
#include "platform/com/file_time_ticks.h"
#include "platform/opcsim/test_client.h"

namespace tavrel::opcsim {

namespace {

using ServerContract = TreeDeviceTest;

TEST_F(ServerContract, AddGroupRevisesFastRatesAndKeepsTheGroupsParameters) {
  LONG bias = -480;
  FLOAT deadband = 2.5f;
  OPCHANDLE serverHandle = 0;
  DWORD revised = 0;
  ComPtr<IOPCGroupStateMgt> group;
  EXPECT_EQ(client_->Server()->AddGroup(OLESTR("G1"), TRUE, 3, 77, &bias, &deadband, 2052,
                                        &serverHandle, &revised, IID_IOPCGroupStateMgt,
                                        reinterpret_cast<LPUNKNOWN*>(group.GetAddressOf())),
            OPC_S_UNSUPPORTEDRATE);
  EXPECT_EQ(revised, 10u);
  EXPECT_NE(serverHandle, 0u);
  DWORD rate;
  BOOL active;
  LPWSTR name = nullptr;
  LONG gotBias;
  FLOAT gotDeadband;
  DWORD locale;
  OPCHANDLE clientHandle, gotServerHandle;
  ASSERT_EQ(group->GetState(&rate, &active, &name, &gotBias, &gotDeadband, &locale, &clientHandle,
                            &gotServerHandle),
            S_OK);
  EXPECT_EQ(WideString(name), OLESTR("G1"));
  CoTaskMemFree(name);
  EXPECT_EQ(rate, 10u);
  EXPECT_EQ(active, TRUE);
  EXPECT_EQ(gotBias, -480);
  EXPECT_EQ(gotDeadband, 2.5f);
  EXPECT_EQ(locale, 2052u);
  EXPECT_EQ(clientHandle, 77u);
  EXPECT_EQ(gotServerHandle, serverHandle);
  EXPECT_EQ(client_->AddGroup(OLESTR("Slow"), 500).revisedRate, 500u);

  DWORD requested = 1000;
  EXPECT_EQ(group->SetState(&requested, &rate, nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(rate, 1000u);
  FLOAT tooLarge = 101.0f;
  EXPECT_EQ(group->SetState(nullptr, &rate, nullptr, nullptr, &tooLarge, nullptr, nullptr),
            E_INVALIDARG);
}

TEST_F(ServerContract, GroupNamesAreUniqueAndGeneratedWhenEmpty) {
  const auto first = client_->AddGroup(OLESTR("Same"), 100);
  OPCHANDLE handle;
  DWORD revised;
  ComPtr<IUnknown> unknown;
  EXPECT_EQ(client_->Server()->AddGroup(OLESTR("Same"), TRUE, 100, 2, nullptr, nullptr, 0, &handle,
                                        &revised, IID_IUnknown, unknown.GetAddressOf()),
            OPC_E_DUPLICATENAME);
  EXPECT_EQ(client_->Server()->AddGroup(OLESTR(""), TRUE, 100, 2, nullptr, nullptr, 0, &handle,
                                        &revised, IID_IUnknown, unknown.GetAddressOf()),
            S_OK);
  ComPtr<IUnknown> found;
  EXPECT_EQ(client_->Server()->GetGroupByName(OLESTR("Same"), IID_IUnknown, found.GetAddressOf()),
            S_OK);
  EXPECT_EQ(client_->Server()->GetGroupByName(OLESTR("Other"), IID_IUnknown,
                                              found.ReleaseAndGetAddressOf()),
            E_INVALIDARG);
  EXPECT_EQ(first.As<IOPCGroupStateMgt>()->SetName(OLESTR("Same")), S_OK);
  const auto second = client_->AddGroup(OLESTR("Second"), 100);
  EXPECT_EQ(second.state->SetName(OLESTR("Same")), OPC_E_DUPLICATENAME);

  EXPECT_EQ(client_->Server()->RemoveGroup(9999, FALSE), E_INVALIDARG);
  EXPECT_EQ(client_->Server()->RemoveGroup(first.serverHandle, FALSE), OPC_S_INUSE)
      << "the test still holds the group";
  EXPECT_EQ(client_->Server()->RemoveGroup(first.serverHandle, FALSE), E_INVALIDARG);
  EXPECT_EQ(client_->Server()->GetGroupByName(OLESTR("Same"), IID_IUnknown,
                                              found.ReleaseAndGetAddressOf()),
            E_INVALIDARG);
}

TEST_F(ServerContract, StatusReportsStateGroupsAndTimesInTaskMemory) {
  const std::size_t blocksBefore = TaskMemoryBlocksInUse();
  client_->AddGroup(OLESTR("A"), 100);
  client_->AddGroup(OLESTR("B"), 100);
  OPCSERVERSTATUS* status = nullptr;
  ASSERT_EQ(client_->Server()->GetStatus(&status), S_OK);
  EXPECT_EQ(status->dwServerState, OPC_STATUS_RUNNING);
  EXPECT_EQ(status->dwGroupCount, 2u);
  EXPECT_EQ(status->wMajorVersion, 2);
  EXPECT_LE(CompareFileTime(&status->ftStartTime, &status->ftCurrentTime), 0);
  FILETIME now = FileTimeFromSystemClock(std::chrono::system_clock::now());
  EXPECT_LT(FileTimeTicks(now) - FileTimeTicks(status->ftCurrentTime), 10'000'000u) << "UTC now";
  EXPECT_EQ(WideString(status->szVendorInfo), OLESTR("OPCSim simulated OPC DA server"));
  CoTaskMemFree(status->szVendorInfo);
  CoTaskMemFree(status);
  EXPECT_EQ(TaskMemoryBlocksInUse(), blocksBefore);
}

TEST_F(ServerContract, ErrorStringsCoverOpcAndSystemCodes) {
  const auto text = [&](HRESULT code, HRESULT* result) {
    LPWSTR string = nullptr;
    *result = client_->Server()->GetErrorString(code, 0x800, &string);
    WideString copy = string != nullptr ? string : OLESTR("");
    CoTaskMemFree(string);
    return copy;
  };
  HRESULT hr;
  EXPECT_EQ(text(OPC_E_UNKNOWNITEMID, &hr),
            OLESTR("The item is no longer available in the server address space."));
  EXPECT_EQ(hr, S_OK);
  EXPECT_FALSE(text(E_INVALIDARG, &hr).empty());
  EXPECT_EQ(hr, S_OK);
  EXPECT_EQ(text(static_cast<HRESULT>(0xA0041234), &hr), OLESTR(""));
  EXPECT_EQ(hr, E_INVALIDARG);
  LPWSTR common = nullptr;
  ASSERT_EQ(client_->ServerAs<IOPCCommon>()->GetErrorString(OPC_E_BADRIGHTS, &common), S_OK);
  EXPECT_EQ(WideString(common), OLESTR("The item's access rights do not allow the operation."));
  CoTaskMemFree(common);
}

TEST_F(ServerContract, AddItemsAnswersEachItemWithHandleTypeRightsOrError) {
  const auto group = client_->AddGroup(OLESTR("G"), 100);
  std::vector<HRESULT> errors;
  std::vector<OPCITEMRESULT> results;
  const auto handles = client_->AddItems(
      group,
      {OLESTR("Random.Int1"), OLESTR("Nope.Int1"), OLESTR(""), OLESTR("Random..Int1"),
       OLESTR("Echo.ArrayOfString"), OLESTR("WriteOnly.Int4"), OLESTR("中文.设备一.名称")},
      &errors, VT_EMPTY, &results);
  ASSERT_EQ(errors.size(), 7u);
  EXPECT_EQ(errors, (std::vector<HRESULT>{S_OK, OPC_E_UNKNOWNITEMID, OPC_E_INVALIDITEMID,
                                          OPC_E_INVALIDITEMID, S_OK, S_OK, S_OK}));
  EXPECT_EQ(results[0].vtCanonicalDataType, VT_I1);
  EXPECT_EQ(results[0].dwAccessRights, OPC_READABLE);
  EXPECT_EQ(results[4].vtCanonicalDataType, VT_ARRAY | VT_BSTR);
  EXPECT_EQ(results[4].dwAccessRights, OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(results[5].dwAccessRights, OPC_WRITEABLE);
  EXPECT_EQ(results[1].hServer, 0u);
  EXPECT_NE(handles[0], handles[4]);
  EXPECT_NE(handles[0], 0u);

  std::vector<HRESULT> typeErrors;
  client_->AddItems(group, {OLESTR("Random.ArrayOfReal8"), OLESTR("Random.Int4")}, &typeErrors,
                    VT_R8);
  EXPECT_EQ(typeErrors, (std::vector<HRESULT>{OPC_E_BADTYPE, S_OK}));
  std::vector<HRESULT> badType;
  client_->AddItems(group, {OLESTR("Random.Int4")}, &badType, static_cast<VARTYPE>(99));
  EXPECT_EQ(badType, std::vector<HRESULT>{OPC_E_BADTYPE});
}

TEST_F(ServerContract, ValidateItemsChecksWithoutAddingAndRemoveItemsChecksHandles) {
  const auto group = client_->AddGroup(OLESTR("G"), 100);
  const auto itemMgt = group.As<IOPCItemMgt>();
  WideString good = OLESTR("Sine.Real8"), bad = OLESTR("Sine.Real9"), path;
  OPCITEMDEF definitions[2] = {{path.data(), good.data(), TRUE, 1, 0, nullptr, VT_EMPTY, 0},
                               {path.data(), bad.data(), TRUE, 2, 0, nullptr, VT_EMPTY, 0}};
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(itemMgt->ValidateItems(2, definitions, FALSE, &results, &errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], OPC_E_UNKNOWNITEMID);
  EXPECT_EQ(results[0].hServer, 0u);
  EXPECT_EQ(results[0].vtCanonicalDataType, VT_R8);
  CoTaskMemFree(results);
  CoTaskMemFree(errors);

  const auto handles = client_->AddItems(group, {OLESTR("Echo.Int4"), OLESTR("Echo.Real8")});
  OPCHANDLE remove[2] = {handles[0], 4711};
  ASSERT_EQ(itemMgt->RemoveItems(2, remove, &errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], OPC_E_INVALIDHANDLE);
  CoTaskMemFree(errors);
  OPCITEMSTATE* states = nullptr;
  OPCHANDLE read[2] = {handles[0], handles[1]};
  ASSERT_EQ(group.As<IOPCSyncIO>()->Read(OPC_DS_CACHE, 2, read, &states, &errors), S_FALSE);
  EXPECT_EQ(errors[0], OPC_E_INVALIDHANDLE);
  EXPECT_EQ(errors[1], S_OK);
  EXPECT_EQ(states[1].hClient, 2u);
  VariantClear(&states[1].vDataValue);
  CoTaskMemFree(states);
  CoTaskMemFree(errors);
  EXPECT_EQ(itemMgt->AddItems(0, definitions, &results, &errors), E_INVALIDARG);
}

TEST_F(ServerContract, ItemEnumeratorListsTheGroupsItems) {
  const auto group = client_->AddGroup(OLESTR("G"), 100);
  client_->AddItems(group, {OLESTR("Sine.Real8"), OLESTR("Echo.String")});
  ComPtr<IEnumOPCItemAttributes> items;
  ASSERT_EQ(group.As<IOPCItemMgt>()->CreateEnumerator(
                IID_IEnumOPCItemAttributes, reinterpret_cast<LPUNKNOWN*>(items.GetAddressOf())),
            S_OK);
  OPCITEMATTRIBUTES* attributes = nullptr;
  ULONG fetched = 0;
  ASSERT_EQ(items->Next(5, &attributes, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(WideString(attributes[0].szItemID), OLESTR("Sine.Real8"));
  EXPECT_EQ(attributes[0].dwEUType, OPC_ANALOG);
  EXPECT_EQ(attributes[0].vEUInfo.vt, VT_ARRAY | VT_R8);
  EXPECT_EQ(attributes[1].hClient, 2u);
  EXPECT_EQ(attributes[1].dwEUType, OPC_NOENUM);
  for (ULONG i = 0; i < fetched; ++i) {
    CoTaskMemFree(attributes[i].szAccessPath);
    CoTaskMemFree(attributes[i].szItemID);
    VariantClear(&attributes[i].vEUInfo);
  }
  CoTaskMemFree(attributes);
}

TEST_F(ServerContract, PropertiesOneToSixAndDescriptionForEveryItem) {
  const auto properties = client_->ServerAs<IOPCItemProperties>();
  const auto available = [&](const WCHAR* id) {
    WideString copy = id;
    DWORD count = 0;
    DWORD* ids = nullptr;
    LPWSTR* descriptions = nullptr;
    VARTYPE* types = nullptr;
    EXPECT_EQ(
        properties->QueryAvailableProperties(copy.data(), &count, &ids, &descriptions, &types),
        S_OK);
    std::vector<std::pair<DWORD, VARTYPE>> result;
    for (DWORD i = 0; i < count; ++i) {
      result.emplace_back(ids[i], types[i]);
      CoTaskMemFree(descriptions[i]);
    }
    CoTaskMemFree(ids);
    CoTaskMemFree(descriptions);
    CoTaskMemFree(types);
    return result;
  };
  using Ids = std::vector<std::pair<DWORD, VARTYPE>>;
  EXPECT_EQ(available(OLESTR("Echo.String")), (Ids{{1, VT_I2},
                                                   {2, VT_BSTR},
                                                   {3, VT_I2},
                                                   {4, VT_DATE},
                                                   {5, VT_I4},
                                                   {6, VT_R4},
                                                   {101, VT_BSTR}}));
  EXPECT_EQ(available(OLESTR("Sine.Real8")).size(), 11u) << "analog items add 7, 8, 102, 103";

  WideString id = OLESTR("Echo.Int2");
  DWORD wanted[] = {1, 2, 3, 5, 6, 101, 999};
  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(properties->GetItemProperties(id.data(), 7, wanted, &values, &errors), S_FALSE);
  EXPECT_EQ(values[0].iVal, VT_I2);
  EXPECT_EQ(values[1].vt, VT_I2);
  EXPECT_EQ(values[2].iVal, 192);
  EXPECT_EQ(values[3].lVal, OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(values[4].fltVal, 10.0f);
  EXPECT_EQ(BstrView(values[5].bstrVal), OLESTR("Echo Int2"));
  EXPECT_EQ(errors[6], OPC_E_INVALID_PID);
  for (int i = 0; i < 7; ++i) VariantClear(&values[i]);
  CoTaskMemFree(values);
  CoTaskMemFree(errors);

  WideString failing = OLESTR("ReadError.Fail");
  DWORD value[] = {2, 3};
  ASSERT_EQ(properties->GetItemProperties(failing.data(), 2, value, &values, &errors), S_FALSE);
  EXPECT_EQ(errors[0], E_FAIL);
  EXPECT_EQ(values[1].iVal, OPC_QUALITY_BAD);
  CoTaskMemFree(values);
  CoTaskMemFree(errors);
  WideString unknown = OLESTR("Nope");
  EXPECT_EQ(properties->GetItemProperties(unknown.data(), 2, value, &values, &errors),
            OPC_E_UNKNOWNITEMID);
}

TEST_F(ServerContract, LegacyServerOffersOnlyTheDa1Interfaces) {
  auto legacy = SimulatedDevice::Create(ServerProfile::kLegacy, FastSettings());
  TestClient client(legacy);
  ComPtr<IUnknown> unknown;
  for (const IID* iid :
       {&IID_IOPCCommon, &IID_IOPCItemProperties, &IID_IConnectionPointContainer}) {
    EXPECT_EQ(client.Server()->QueryInterface(*iid, unknown.ReleaseAndGetVoidAddressOf()),
              E_NOINTERFACE);
  }
  EXPECT_EQ(client.Server()->QueryInterface(IID_IOPCBrowseServerAddressSpace,
                                            unknown.ReleaseAndGetVoidAddressOf()),
            S_OK);
  const auto group = client.AddGroup(OLESTR("G"), 100);
  for (const IID* iid : {&IID_IOPCAsyncIO2, &IID_IConnectionPointContainer}) {
    EXPECT_EQ(group.state->QueryInterface(*iid, unknown.ReleaseAndGetVoidAddressOf()),
              E_NOINTERFACE);
  }
  for (const IID* iid : {&IID_IOPCAsyncIO, &IID_IDataObject, &IID_IOPCSyncIO}) {
    EXPECT_EQ(group.state->QueryInterface(*iid, unknown.ReleaseAndGetVoidAddressOf()), S_OK);
  }
}

}  // namespace

}  // namespace tavrel::opcsim
