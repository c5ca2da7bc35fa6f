#include "platform/opcsim/call_journal.h"

#include <gtest/gtest.h>

#include "common/wide_string.h"

namespace tavrel::opcsim {

namespace {

TEST(CallJournal, SelectsByCallInOrderAndKeepsOnlyTheLatestEntries) {
  CallJournal journal;
  journal.Note("AddGroup", OLESTR("A"), 1);
  for (DWORD i = 0; i < CallJournal::kCapacity + 10; ++i) journal.Note("Refresh2", OLESTR("A"), i);
  EXPECT_TRUE(journal.Entries("AddGroup").empty());  // pushed out by the newer entries
  const std::vector<JournalEntry> refreshes = journal.Entries("Refresh2");
  ASSERT_EQ(refreshes.size(), CallJournal::kCapacity);
  EXPECT_EQ(refreshes.front().argument, 10u);
  EXPECT_EQ(refreshes.back().argument, CallJournal::kCapacity + 9);
}

}  // namespace

}  // namespace tavrel::opcsim
