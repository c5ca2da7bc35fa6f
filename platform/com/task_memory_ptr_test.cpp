// Owners of task memory: every block is freed exactly once, whichever way its owner goes.
#include "platform/com/task_memory_ptr.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

TEST(TakeTaskMemoryString, GivesSystemCodePageTextAndFreesTheString) {
  const std::size_t blocks = TaskMemoryBlocksInUse();
  EXPECT_EQ(TakeTaskMemoryString(TaskMemStringDuplicate(OLESTR("Sim.DA20.1"))), "Sim.DA20.1");
  // "版本" in UTF-16 becomes its GBK bytes.
  EXPECT_EQ(TakeTaskMemoryString(TaskMemStringDuplicate(OLESTR("\u7248\u672C"))),
            "\xB0\xE6\xB1\xBE");
  EXPECT_EQ(TakeTaskMemoryString(nullptr), "");
  EXPECT_EQ(TaskMemoryBlocksInUse(), blocks);
}

TEST(TaskArray, StartsZeroFilledAndIsFreedUnlessReleased) {
  const std::size_t blocks = TaskMemoryBlocksInUse();
  constexpr std::size_t kCount = 5;
  // Leave a block of the same size full of ones behind, for the allocator to hand out again.
  void* used = CoTaskMemAlloc(kCount * sizeof(VARIANT));
  std::memset(used, 0xFF, kCount * sizeof(VARIANT));
  CoTaskMemFree(used);
  {
    TaskArray<VARIANT> values(kCount);
    ASSERT_TRUE(values);
    EXPECT_EQ(values.Size(), kCount);
    for (std::size_t i = 0; i < kCount; ++i) {
      EXPECT_EQ(values[i].vt, VT_EMPTY);
      EXPECT_EQ(values[i].llVal, 0);
    }
    EXPECT_EQ(TaskMemoryBlocksInUse(), blocks + 1);
  }
  EXPECT_EQ(TaskMemoryBlocksInUse(), blocks) << "a method that fails midway frees its array";

  TaskArray<HRESULT> errors(2);
  errors[1] = E_FAIL;
  HRESULT* const handedOut = errors.Release();
  EXPECT_EQ(errors.Get(), nullptr);
  EXPECT_EQ(handedOut[0], S_OK);
  EXPECT_EQ(handedOut[1], E_FAIL);
  EXPECT_EQ(TaskMemoryBlocksInUse(), blocks + 1) << "a released array is the caller's";
  CoTaskMemFree(handedOut);

  // An empty array is still a block, as CoTaskMemAlloc(0) gives one.
  TaskArray<DWORD> none(0);
  EXPECT_TRUE(none);
  EXPECT_EQ(none.Size(), 0u);
}

}  // namespace

}  // namespace tavrel
