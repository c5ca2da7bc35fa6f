#include "bridge/opc/opc_sinks.h"

#include <gtest/gtest.h>

#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

ProjectServerRecord OneGroup(int tags) {
  ProjectGroupRecord group;
  group.name = "G";
  for (int i = 0; i < tags; ++i) group.tags.push_back({"T" + std::to_string(i), 3, 1});
  ProjectServerRecord server;
  server.name = "S";
  server.groups.push_back(group);
  return server;
}

VARIANT IntegerVariant(LONG value) {
  VARIANT variant{};
  variant.vt = VT_I4;
  variant.lVal = value;
  return variant;
}

class CallbackTest : public ::testing::Test {
 protected:
  CallbackTest()
      : project_({OneGroup(3)}),
        items_(std::make_shared<ItemTable>()),
        callback_(MakeComObject<OPCCallback>(items_, project_, received_)) {
    for (TagHandle handle = 0; handle < 3; ++handle) {
      handles_.push_back(items_->Add(*project_.FindTag(handle)));
    }
  }
  TagLiveValue Value(TagHandle handle) { return project_.FindTag(handle)->liveValue.Snapshot(); }

  BridgeProject project_;
  std::shared_ptr<ItemTable> items_;
  MetricCounter received_;
  ComPtr<OPCCallback> callback_;
  std::vector<OPCHANDLE> handles_;
};

TEST_F(CallbackTest, EntriesWithAnErrorOrAStaleHandleAreSkipped) {
  OPCHANDLE clients[4] = {handles_[0], handles_[1], handles_[2] + 100, 0};
  VARIANT values[4] = {IntegerVariant(5), IntegerVariant(6), IntegerVariant(7), IntegerVariant(8)};
  WORD qualities[4] = {192, 216, 192, 192};
  FILETIME times[4] = {{1, 0x01D9F000}, {0, 0x01D9F000}, {1, 1}, {1, 1}};
  HRESULT errors[4] = {S_OK, S_OK, S_OK, S_OK};
  HRESULT failed[4] = {E_FAIL, S_OK, S_OK, S_OK};
  ASSERT_EQ(
      callback_->OnDataChange(6015, 1, S_OK, S_OK, 4, clients, values, qualities, times, failed),
      S_OK);
  EXPECT_EQ(Value(0).updateCount, 0u);  // its entry failed
  EXPECT_EQ(Value(1).integerValue, 6);
  EXPECT_EQ(Value(1).badFlag, 1u);      // quality 216
  EXPECT_EQ(Value(1).seconds, 0u);      // a zero half of the time stamp
  EXPECT_EQ(Value(2).updateCount, 0u);  // no record has that handle
  EXPECT_EQ(received_.Value(), 1);      // only the published entry counts

  ASSERT_EQ(callback_->OnDataChange(0, 1, S_OK, S_OK, 1, clients, values, qualities, times, errors),
            S_OK);
  EXPECT_EQ(received_.Value(), 2);
  EXPECT_EQ(Value(0).integerValue, 5);
  EXPECT_EQ(Value(0).badFlag, 0u);
  EXPECT_NE(Value(0).seconds, 0u);
}

TEST_F(CallbackTest, ReadResultsAreNotPublished) {
  OPCHANDLE clients[1] = {handles_[0]};
  VARIANT values[1] = {IntegerVariant(9)};
  WORD qualities[1] = {192};
  FILETIME times[1] = {{1, 0x01D9F000}};
  HRESULT errors[1] = {S_OK};
  EXPECT_EQ(
      callback_->OnReadComplete(1, 1, S_OK, S_OK, 1, clients, values, qualities, times, errors),
      S_OK);
  EXPECT_EQ(Value(0).updateCount, 0u);
}

TEST_F(CallbackTest, HandlesOfClearedRecordsAreNeverGivenAgain) {
  items_->Erase(handles_[1]);
  EXPECT_EQ(items_->Size(), 2u);
  items_->Clear();
  EXPECT_EQ(items_->Size(), 0u);
  const OPCHANDLE fresh = items_->Add(*project_.FindTag(0));
  for (OPCHANDLE old : handles_) EXPECT_NE(fresh, old);
  {
    const ItemTable::Reader reader(*items_);
    for (OPCHANDLE old : handles_) EXPECT_EQ(reader.Find(old), nullptr);
    EXPECT_NE(reader.Find(fresh), nullptr);
  }
  // A closed table finds nothing, and a call-back into it touches no tag.
  items_->Close();
  OPCHANDLE clients[1] = {fresh};
  VARIANT values[1] = {IntegerVariant(1)};
  WORD qualities[1] = {192};
  FILETIME times[1] = {{1, 1}};
  HRESULT errors[1] = {S_OK};
  callback_->OnDataChange(0, 1, S_OK, S_OK, 1, clients, values, qualities, times, errors);
  EXPECT_EQ(Value(0).updateCount, 0u);
  EXPECT_EQ(items_->Size(), 0u);
}

TEST(ShutdownSink, KeepsTheReasonAndAsksTheWorkerToRestartOnce) {
  const auto worker = std::make_shared<WorkerWakeup>();
  const ComPtr<OPCShutdown> sink = MakeComObject<OPCShutdown>(worker);
  EXPECT_EQ(sink->ShutdownRequest(OLESTR("维护")), S_OK);
  EXPECT_EQ(sink->LastReason(), "维护");
  const std::stop_source stop;
  const auto later = WorkerWakeup::Clock::now() + std::chrono::hours(1);
  EXPECT_EQ(worker->WaitUntil(stop.get_token(), later), WorkerWakeup::Wake::kRestart);
  // The request was taken: the next wait runs to its deadline.
  EXPECT_EQ(worker->WaitUntil(stop.get_token(), WorkerWakeup::Clock::now()),
            WorkerWakeup::Wake::kDeadline);
}

}  // namespace

}  // namespace tavrel
