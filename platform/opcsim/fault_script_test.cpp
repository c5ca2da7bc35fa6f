#include "platform/opcsim/fault_script.h"

#include <gtest/gtest.h>

#include "common/wide_string.h"
#include "platform/opcsim/simulation_settings.h"

namespace tavrel::opcsim {

namespace {

using std::chrono::milliseconds;

TEST(FaultScript, ReadsEveryActionWithTimesAndDurations) {
  std::vector<FaultEvent> events;
  std::string error;
  ASSERT_TRUE(
      ParseFaultScript("at 5 state failed for 10; at 2.5 shutdown going for maintenance ;"
                       "at 30 die for 0.25; at 1 hang for 2; at 3 refuse-addgroup; at 4 reject "
                       "Random.Int1 Echo.Int2 "
                       "for 1;;at 6 state 4; at 7 refuse-browse",
                       &events, &error))
      << error;
  ASSERT_EQ(events.size(), 8u);
  EXPECT_EQ(events[0].at, milliseconds(5000));
  EXPECT_EQ(events[0].state, OPC_STATUS_FAILED);
  EXPECT_EQ(events[0].duration, milliseconds(10000));
  EXPECT_EQ(events[1].action, FaultAction::kShutdown);
  EXPECT_EQ(events[1].at, milliseconds(2500));
  EXPECT_EQ(events[1].reason, OLESTR("going for maintenance"));  // "for" belongs to the reason
  EXPECT_FALSE(events[1].duration.has_value());
  EXPECT_EQ(events[2].action, FaultAction::kDie);
  EXPECT_EQ(events[2].duration, milliseconds(250));
  EXPECT_EQ(events[3].action, FaultAction::kHang);
  EXPECT_EQ(events[4].action, FaultAction::kRefuseAddGroup);
  EXPECT_FALSE(events[4].duration.has_value());
  EXPECT_EQ(events[5].itemIds,
            (std::vector<WideString>{OLESTR("Random.Int1"), OLESTR("Echo.Int2")}));
  EXPECT_EQ(events[6].state, OPC_STATUS_SUSPENDED);
  EXPECT_EQ(events[7].action, FaultAction::kRefuseBrowse);
}

TEST(FaultScript, RefusesMalformedEventsNamingThem) {
  for (const char* script : {"5 die", "at x die", "at 1 explode", "at 1 state sleepy",
                             "at 1 die for", "at 1 die for -2", "at 1 reject", "at 1 hang now"}) {
    std::vector<FaultEvent> events;
    std::string error;
    EXPECT_FALSE(ParseFaultScript(script, &events, &error)) << script;
    EXPECT_NE(error.find(script), std::string::npos) << error;
    EXPECT_TRUE(events.empty());
  }
}

TEST(SimulationSettings, ReadsItsKeysAndReportsBadValuesKeepingDefaults) {
  SimulationSettings settings;
  const auto errors = ReadSimulationSettings({{"min_update_rate", "25"},
                                              {"signal_period", "0"},
                                              {"bulk_items", "12"},
                                              {"bulk_period", "7ms"},
                                              {"faults", "at 1 die"},
                                              {"opc", "2.0"}},
                                             &settings);
  EXPECT_EQ(settings.minimumUpdateRate, milliseconds(25));
  EXPECT_EQ(settings.signalPeriod, milliseconds(1000));
  EXPECT_EQ(settings.bulkPeriod, milliseconds(100));
  EXPECT_EQ(settings.bulkItemCount, 12u);
  ASSERT_EQ(settings.faultScript.size(), 1u);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].rfind("signal_period", 0), 0u);
  EXPECT_EQ(errors[1].rfind("bulk_period", 0), 0u);
}

}  // namespace

}  // namespace tavrel::opcsim
