#include <gtest/gtest.h>

#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com.h"
#include "platform/com/file_time_ticks.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcda/opc_types.h"
#include "platform/opcsim/simulated_address_space.h"
#include "platform/opcsim/value_generators.h"

namespace tavrel::opcsim {

namespace {

using std::chrono::milliseconds;

struct Expected {
  const WCHAR* name;
  VARTYPE type;
};
constexpr Expected kPerType[] = {
    {OLESTR("Int1"), 16},
    {OLESTR("Int2"), 2},
    {OLESTR("Int4"), 3},
    {OLESTR("UInt1"), 17},
    {OLESTR("UInt2"), 18},
    {OLESTR("UInt4"), 19},
    {OLESTR("Real4"), 4},
    {OLESTR("Real8"), 5},
    {OLESTR("Boolean"), 11},
    {OLESTR("String"), 8},
    {OLESTR("Date"), 7},
    {OLESTR("ArrayOfReal8"), 8197},
    {OLESTR("ArrayOfString"), 8200},
};

const ItemDefinition& ItemOf(const ItemCatalogue& catalogue, WideStringView id) {
  const auto index = catalogue.FindItem(id);
  EXPECT_TRUE(index.has_value()) << std::string(id.begin(), id.end());
  return catalogue.Item(index.value_or(0));
}

SignalClock TestClock() {
  SignalClock clock;
  clock.start = std::chrono::steady_clock::time_point(std::chrono::hours(1));
  clock.systemStart = std::chrono::system_clock::time_point(std::chrono::hours(24 * 365 * 50));
  clock.signalPeriod = milliseconds(10);
  clock.bulkPeriod = milliseconds(5);
  return clock;
}

ItemSample SampleAtStep(const ItemCatalogue& catalogue, WideStringView id, std::uint64_t step) {
  const SignalClock clock = TestClock();
  return GenerateSample(ItemOf(catalogue, id), clock, clock.start + milliseconds(10 * step + 3));
}

TEST(SimulatedAddressSpace, SignalBranchesHoldOneItemPerTypeWithItsCanonicalType) {
  const ItemCatalogue catalogue = BuildSimulatedAddressSpace(4);
  for (const WideString branch :
       {OLESTR("Random"), OLESTR("Ramp"), OLESTR("Sine"), OLESTR("Square"), OLESTR("Echo")}) {
    const auto node = catalogue.FindBranch(branch);
    ASSERT_TRUE(node.has_value());
    ASSERT_EQ(catalogue.Branch(*node).items.size(), std::size(kPerType));
    for (const Expected& expected : kPerType) {
      const ItemDefinition& item = ItemOf(catalogue, branch + OLESTR(".") + expected.name);
      EXPECT_EQ(item.canonicalType, expected.type);
      EXPECT_EQ(item.accessRights,
                branch == OLESTR("Echo") ? OPC_READABLE | OPC_WRITEABLE : OPC_READABLE);
      EXPECT_FALSE(item.description.empty());
    }
  }
  EXPECT_EQ(ItemOf(catalogue, OLESTR("WriteOnly.Real8")).accessRights, OPC_WRITEABLE);
  EXPECT_EQ(ItemOf(catalogue, OLESTR("ReadError.Fail")).readError, E_FAIL);
  EXPECT_EQ(ItemOf(catalogue, OLESTR("WriteError.OutOfRange")).writeError, OPC_E_RANGE);
  EXPECT_EQ(ItemOf(catalogue, OLESTR("中文.设备一.温度")).canonicalType, VT_R8);
  // Items at the top level of the space.
  for (const std::size_t index : catalogue.Branch(ItemCatalogue::kRoot).items) {
    EXPECT_EQ(catalogue.Item(index).itemId, catalogue.Item(index).name);
  }
  EXPECT_EQ(catalogue.Branch(ItemCatalogue::kRoot).items.size(), 3u);
}

TEST(SimulatedAddressSpace, BulkItemsAreNumberedInOrderWithWideEnoughNames) {
  const ItemCatalogue small = BuildSimulatedAddressSpace(3);
  const BranchNode& bulk = small.Branch(*small.FindBranch(OLESTR("Bulk")));
  ASSERT_EQ(bulk.items.size(), 3u);
  EXPECT_EQ(small.Item(bulk.items[0]).itemId, OLESTR("Bulk.Item0000"));
  EXPECT_EQ(small.Item(bulk.items[2]).itemId, OLESTR("Bulk.Item0002"));
  const ItemCatalogue large = BuildSimulatedAddressSpace(100000);
  EXPECT_TRUE(large.FindItem(OLESTR("Bulk.Item00000")));
  EXPECT_TRUE(large.FindItem(OLESTR("Bulk.Item99999")));
  EXPECT_FALSE(large.FindItem(OLESTR("Bulk.Item100000")));
}

TEST(SignalShapes, RampStepsOncePerPeriodAndCarriesTheStepsTimeBulkTheSamplingTime) {
  const ItemCatalogue catalogue = BuildSimulatedAddressSpace(1);
  const ItemSample sample = SampleAtStep(catalogue, OLESTR("Ramp.Int4"), 2);
  EXPECT_EQ(sample.value.Type(), VT_I4);
  EXPECT_EQ(sample.value.Get().lVal, 2);
  EXPECT_EQ(sample.quality, OPC_QUALITY_GOOD);
  const SignalClock clock = TestClock();
  EXPECT_EQ(FileTimeTicks(sample.timeStamp),
            FileTimeTicks(FileTimeFromSystemClock(clock.systemStart + milliseconds(20))));
  // A Bulk item is stamped when it is sampled (3 ms into its step), not at the step's start.
  const ItemSample bulk = SampleAtStep(catalogue, OLESTR("Bulk.Item0000"), 2);
  EXPECT_EQ(FileTimeTicks(bulk.timeStamp),
            FileTimeTicks(FileTimeFromSystemClock(clock.systemStart + milliseconds(23))));
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Ramp.Int4"), 100).value.Get().lVal, 0);  // saw-tooth
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Ramp.Int4"), 199).value.Get().lVal, 99);
}

TEST(SignalShapes, UnsignedTypesShiftSignalsThatGoBelowZero) {
  const ItemCatalogue catalogue = BuildSimulatedAddressSpace(1);
  // Step 27 of 36 is the sine's minimum, -100.
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Sine.Int1"), 27).value.Get().cVal, -100);
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Sine.UInt1"), 27).value.Get().bVal, 0);
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Sine.UInt2"), 9).value.Get().uiVal, 200);
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Square.UInt4"), 0).value.Get().ulVal, 0u);
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Square.UInt4"), 1).value.Get().ulVal, 200u);
  // An unsigned ramp never goes negative.
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Ramp.UInt1"), 42).value.Get().bVal, 42);
  const ItemDefinition& sine = ItemOf(catalogue, OLESTR("Sine.UInt2"));
  EXPECT_TRUE(sine.analog);
  EXPECT_EQ(sine.euLow, 0.0);
  EXPECT_EQ(sine.euHigh, 200.0);
}

TEST(SignalShapes, TextsDatesBooleansAndArraysFollowTheSignal) {
  const ItemCatalogue catalogue = BuildSimulatedAddressSpace(1);
  EXPECT_EQ(BstrView(SampleAtStep(catalogue, OLESTR("Ramp.String"), 3).value.Get().bstrVal),
            OLESTR("Ramp 3"));
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Ramp.Date"), 3).value.Get().date, 45292.0 + 3);
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Square.Boolean"), 1).value.Get().boolVal, VARIANT_TRUE);
  EXPECT_EQ(SampleAtStep(catalogue, OLESTR("Square.Boolean"), 2).value.Get().boolVal,
            VARIANT_FALSE);
  const ItemSample reals = SampleAtStep(catalogue, OLESTR("Ramp.ArrayOfReal8"), 3);
  ASSERT_EQ(reals.value.Type(), VT_ARRAY | VT_R8);
  ASSERT_EQ(reals.value.Get().parray->rgsabound[0].cElements, 4u);
  EXPECT_EQ(static_cast<double*>(reals.value.Get().parray->pvData)[3], 6.0);
  const ItemSample texts = SampleAtStep(catalogue, OLESTR("Ramp.ArrayOfString"), 5);
  ASSERT_EQ(texts.value.Type(), VT_ARRAY | VT_BSTR);
  EXPECT_EQ(BstrView(static_cast<BSTR*>(texts.value.Get().parray->pvData)[2]), OLESTR("7"));
  EXPECT_EQ(BstrView(SampleAtStep(catalogue, OLESTR("中文.设备一.状态"), 0).value.Get().bstrVal),
            OLESTR("运行"));
  EXPECT_EQ(BstrView(SampleAtStep(catalogue, OLESTR("中文.设备一.状态"), 1).value.Get().bstrVal),
            OLESTR("停止"));
}

TEST(SignalShapes, QualityCycleGoesThroughItsFiveQualitiesAndRepeats) {
  const ItemCatalogue catalogue = BuildSimulatedAddressSpace(1);
  const WORD expected[] = {192, 0, 64, 216, 193, 192};
  for (std::uint64_t step = 0; step < std::size(expected); ++step) {
    const ItemSample sample = SampleAtStep(catalogue, OLESTR("Quality.Cycle"), step);
    EXPECT_EQ(sample.quality, expected[step]) << "step " << step;
    EXPECT_EQ(sample.value.Get().lVal, 1);  // only the quality changes
  }
}

TEST(SignalShapes, RandomValuesAreFixedPerItemAndStepAndStayInRange) {
  const ItemCatalogue catalogue = BuildSimulatedAddressSpace(2);
  int changes = 0;
  for (std::uint64_t step = 0; step < 200; ++step) {
    const double value = SampleAtStep(catalogue, OLESTR("Random.Real8"), step).value.Get().dblVal;
    EXPECT_GE(value, -100.0);
    EXPECT_LE(value, 100.0);
    EXPECT_EQ(value, SampleAtStep(catalogue, OLESTR("Random.Real8"), step).value.Get().dblVal);
    changes +=
        value != SampleAtStep(catalogue, OLESTR("Random.Real8"), step + 1).value.Get().dblVal;
  }
  EXPECT_GT(changes, 190);
  EXPECT_NE(SampleAtStep(catalogue, OLESTR("Bulk.Item0000"), 7).value.Get().dblVal,
            SampleAtStep(catalogue, OLESTR("Bulk.Item0001"), 7).value.Get().dblVal);
}

TEST(StoredValues, StartAtZeroEmptyOrTheBaseDate) {
  EXPECT_EQ(InitialStoredValue(VT_UI2).Get().uiVal, 0);
  EXPECT_EQ(InitialStoredValue(VT_UI2).Type(), VT_UI2);
  EXPECT_EQ(BstrView(InitialStoredValue(VT_BSTR).Get().bstrVal), OLESTR(""));
  EXPECT_EQ(InitialStoredValue(VT_DATE).Get().date, 45292.0);
  EXPECT_EQ(InitialStoredValue(VT_ARRAY | VT_BSTR).Get().parray->rgsabound[0].cElements, 3u);
}

}  // namespace

}  // namespace tavrel::opcsim
