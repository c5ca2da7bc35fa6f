#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/file_time_ticks.h"
#include "platform/opcsim/test_client.h"
#include "platform/opcsim/update_scheduler.h"

namespace tavrel::opcsim {

namespace {

using std::chrono::milliseconds;

class DataChanges : public TreeDeviceTest {
 protected:
  void SetUp() override {
    TreeDeviceTest::SetUp();
    callback_ = MakeComObject<RecordingCallback>();
  }

  static std::vector<OPCHANDLE> ClientHandlesOf(const ReceivedCall& call) {
    std::vector<OPCHANDLE> handles;
    for (const ReceivedItem& item : call.items) handles.push_back(item.clientHandle);
    return handles;
  }

  void Write(const TestClient::Group& group, OPCHANDLE item, VARIANT value) {
    HRESULT* errors = nullptr;
    ASSERT_EQ(group.As<IOPCSyncIO>()->Write(1, &item, &value, &errors), S_OK);
    CoTaskMemFree(errors);
  }

  ComPtr<RecordingCallback> callback_;
};

// A late update thread skips the ticks it missed and keeps each group's phase: groups that were
// late together must not fall into step (they would then report all at once, every period).
TEST(UpdateTicks, SkipWhatWasMissedAndKeepTheirPhase) {
  const ScheduledWork::SteadyTime due{milliseconds(1'000)};
  const struct {
    int lateMs;
    int periodMs;
    int nextMs;
  } cases[] = {
      {0, 100, 1'100},   {99, 100, 1'100},    {100, 100, 1'200},
      {250, 100, 1'300}, {1'003, 100, 2'100}, {7, 0, 1'007},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NextTickAfter(due, due + milliseconds(c.lateMs), milliseconds(c.periodMs)),
              ScheduledWork::SteadyTime{milliseconds(c.nextMs)})
        << c.lateMs << " ms late, period " << c.periodMs << " ms";
  }
}

TEST_F(DataChanges, ArriveAtTheUpdateRateFromTheServersOwnThread) {
  const auto group = client_->AddGroup(OLESTR("G"), 50, 42);
  client_->AddItems(group, {OLESTR("Ramp.Int4")});  // changes every 10 ms
  client_->Advise(group, callback_.Get());
  const auto calls = callback_->WaitForCalls(ReceivedCall::kDataChange, 7);
  ASSERT_GE(calls.size(), 7u);
  std::vector<double> gaps;
  for (std::size_t i = 2; i < calls.size(); ++i) {
    gaps.push_back(
        std::chrono::duration<double, std::milli>(calls[i].arrival - calls[i - 1].arrival).count());
  }
  const double mean = std::accumulate(gaps.begin(), gaps.end(), 0.0) / gaps.size();
  EXPECT_GT(mean, 40.0);
  EXPECT_LT(mean, 160.0);  // generous: the machine is shared
  for (const ReceivedCall& call : calls) {
    EXPECT_NE(call.thread, std::this_thread::get_id());
    EXPECT_EQ(call.transactionId, 0u);
    EXPECT_EQ(call.clientGroup, 42u);
    ASSERT_EQ(call.items.size(), 1u);
    EXPECT_EQ(call.items[0].value.Type(), VT_I4);
  }
  // Each call carries a newer value with a newer time stamp.
  EXPECT_LT(FileTimeTicks(calls[1].items[0].timeStamp), FileTimeTicks(calls[2].items[0].timeStamp));
}

TEST_F(DataChanges, OnlyItemsWhoseValueOrQualityChangedAreSent) {
  const auto group = client_->AddGroup(OLESTR("G"), 20);
  const auto handles =
      client_->AddItems(group, {OLESTR("Echo.Int4"), OLESTR("Echo.String"), OLESTR("Ramp.Int4")});
  client_->Advise(group, callback_.Get());
  auto calls = callback_->WaitForCalls(ReceivedCall::kDataChange, 4);
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(ClientHandlesOf(calls[0]), (std::vector<OPCHANDLE>{1, 2, 3})) << "first: all items";
  for (std::size_t i = 1; i < calls.size(); ++i) {
    EXPECT_EQ(ClientHandlesOf(calls[i]), std::vector<OPCHANDLE>{3}) << "call " << i;
  }
  VARIANT five;
  five.vt = VT_I4;
  five.lVal = 5;
  Write(group, handles[0], five);
  calls = callback_->WaitFor([](const auto& received) {
    return std::any_of(received.begin(), received.end(), [](const ReceivedCall& call) {
      return !call.items.empty() && call.items[0].clientHandle == 1 && call.transactionId == 0 &&
             call.items[0].value.Get().lVal == 5;
    });
  });
  const auto written = std::find_if(calls.begin() + 1, calls.end(), [](const ReceivedCall& call) {
    return call.items[0].clientHandle == 1;
  });
  ASSERT_NE(written, calls.end());
  EXPECT_EQ(written->items.size(), 2u) << "the write and the ramp, not the unchanged string";
}

TEST_F(DataChanges, DeadbandHoldsBackSmallChangesOfAnalogItems) {
  const auto group = client_->AddGroup(OLESTR("G"), 10, 1, 10.0f);  // 10 % of -100..100: 20
  const auto handles = client_->AddItems(group, {OLESTR("Echo.Real8")});
  client_->Advise(group, callback_.Get());
  ASSERT_EQ(callback_->WaitForCalls(ReceivedCall::kDataChange, 1).size(), 1u);
  Write(group, handles[0], OwnedVariant::FromDouble(15.0).Get());
  std::this_thread::sleep_for(milliseconds(60));
  EXPECT_EQ(callback_->Calls().size(), 1u) << "15 is within the band around 0";
  Write(group, handles[0], OwnedVariant::FromDouble(25.0).Get());
  const auto calls = callback_->WaitForCalls(ReceivedCall::kDataChange, 2);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].items[0].value.Get().dblVal, 25.0);
}

TEST_F(DataChanges, Refresh2SendsEveryActiveItemWithTheCallersTransactionId) {
  const auto group = client_->AddGroup(OLESTR("G"), 1000);
  client_->AddItems(group, {OLESTR("Echo.Int1"), OLESTR("Echo.Date"), OLESTR("WriteOnly.Int4")});
  const auto async = group.As<IOPCAsyncIO2>();
  DWORD cancelId = 0;
  EXPECT_EQ(async->Refresh2(OPC_DS_DEVICE, 6015, &cancelId), CONNECT_E_NOCONNECTION);
  client_->Advise(group, callback_.Get());
  callback_->WaitForCalls(ReceivedCall::kDataChange, 1);
  ASSERT_EQ(async->Refresh2(OPC_DS_DEVICE, 6015, &cancelId), S_OK);
  EXPECT_NE(cancelId, 0u);
  const auto calls = callback_->WaitForCalls(ReceivedCall::kDataChange, 2);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].transactionId, 6015u);
  EXPECT_EQ(ClientHandlesOf(calls[1]), (std::vector<OPCHANDLE>{1, 2})) << "not the write-only item";
  EXPECT_EQ(calls[1].masterQuality, S_OK);
  EXPECT_EQ(calls[1].masterError, S_OK);

  BOOL inactive = FALSE;
  DWORD rate;
  ASSERT_EQ(group.state->SetState(nullptr, &rate, &inactive, nullptr, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(async->Refresh2(OPC_DS_CACHE, 1, &cancelId), E_FAIL);
}

TEST_F(DataChanges, InactiveGroupsAreSilentAndSendEverythingWhenActivated) {
  const auto group = client_->AddGroup(OLESTR("G"), 10);
  client_->AddItems(group, {OLESTR("Echo.Int2"), OLESTR("Ramp.Int2")});
  client_->Advise(group, callback_.Get());
  callback_->WaitForCalls(ReceivedCall::kDataChange, 1);
  BOOL active = FALSE;
  DWORD rate;
  ASSERT_EQ(group.state->SetState(nullptr, &rate, &active, nullptr, nullptr, nullptr, nullptr),
            S_OK);
  std::this_thread::sleep_for(milliseconds(20));  // a pass under way may still deliver
  callback_->Clear();
  std::this_thread::sleep_for(milliseconds(60));
  EXPECT_TRUE(callback_->Calls().empty());
  active = TRUE;
  ASSERT_EQ(group.state->SetState(nullptr, &rate, &active, nullptr, nullptr, nullptr, nullptr),
            S_OK);
  const auto calls = callback_->WaitForCalls(ReceivedCall::kDataChange, 1);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(ClientHandlesOf(calls[0]), (std::vector<OPCHANDLE>{1, 2}));
}

TEST_F(DataChanges, QualityChangesAloneAreSentAndShowInTheMasterQuality) {
  SimulationSettings settings = FastSettings();
  settings.signalPeriod = milliseconds(40);
  auto device = SimulatedDevice::Create(ServerProfile::kTree, settings);
  TestClient client(device);
  const auto group = client.AddGroup(OLESTR("G"), 10);
  client.AddItems(group, {OLESTR("Quality.Cycle")});
  client.Advise(group, callback_.Get());
  const auto calls = callback_->WaitForCalls(ReceivedCall::kDataChange, 6);
  ASSERT_GE(calls.size(), 6u);
  const std::vector<WORD> cycle = {192, 0, 64, 216, 193};
  const auto start = std::find(cycle.begin(), cycle.end(), calls[0].items[0].quality);
  ASSERT_NE(start, cycle.end());
  for (std::size_t i = 0; i < calls.size(); ++i) {
    const WORD expected = cycle[(start - cycle.begin() + i) % cycle.size()];
    EXPECT_EQ(calls[i].items[0].quality, expected) << "call " << i;
    // 193 (good, low limited) and 216 (good, local override) are good qualities.
    EXPECT_EQ(calls[i].masterQuality,
              (expected & OPC_QUALITY_MASK) == OPC_QUALITY_GOOD ? S_OK : S_FALSE);
  }
}

TEST_F(DataChanges, RequestedTypesAndReadErrorsShapeTheValuesSent) {
  const auto group = client_->AddGroup(OLESTR("G"), 10);
  client_->AddItems(group, {OLESTR("Ramp.Int4"), OLESTR("Echo.Boolean")}, nullptr, VT_BSTR);
  std::vector<HRESULT> errors;
  client_->AddItems(group, {OLESTR("ReadError.AccessDenied")}, &errors);
  client_->Advise(group, callback_.Get());
  const auto calls = callback_->WaitForCalls(ReceivedCall::kDataChange, 1);
  ASSERT_EQ(calls[0].items.size(), 3u);
  EXPECT_EQ(calls[0].items[0].value.Type(), VT_BSTR);
  EXPECT_EQ(BstrView(calls[0].items[1].value.Get().bstrVal), OLESTR("0")) << "false as text";
  EXPECT_EQ(calls[0].items[2].error, E_ACCESSDENIED);
  EXPECT_EQ(calls[0].items[2].quality, OPC_QUALITY_BAD);
  EXPECT_EQ(calls[0].masterError, S_FALSE);
}

TEST_F(DataChanges, ACallbackMayCallTheServerAndRemoveGroupEndsTheCallbacks) {
  const auto group = client_->AddGroup(OLESTR("G"), 10);
  const auto handles = client_->AddItems(group, {OLESTR("Ramp.Real8")});
  const auto sync = group.As<IOPCSyncIO>();
  std::atomic<int> readsInCallback{0};
  callback_->onDataChange = [&] {
    OPCHANDLE handle = handles[0];
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    if (sync->Read(OPC_DS_CACHE, 1, &handle, &states, &errors) == S_OK) ++readsInCallback;
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
  };
  client_->Advise(group, callback_.Get());
  callback_->WaitForCalls(ReceivedCall::kDataChange, 4);
  EXPECT_GE(readsInCallback.load(), 3);  // the fourth call may still be reading
  ASSERT_EQ(client_->Server()->RemoveGroup(group.serverHandle, TRUE), S_OK);
  const std::size_t received = callback_->Calls().size();
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_EQ(callback_->Calls().size(), received) << "no callback after RemoveGroup returned";
}

}  // namespace

}  // namespace tavrel::opcsim
