#include "wire/push_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PushRecord, LaysOutEveryValueClass) {
  ByteBuffer buffer;
  EXPECT_FALSE(AppendPushRecord(buffer, PushRecord{.valueClass = 5}));
  EXPECT_EQ(buffer.Length(), 0u);
  AppendPushRecord(buffer, PushRecord{.handle = 1,
                                      .seconds = 0x01020304,
                                      .milliseconds = 999,
                                      .valueClass = 1,
                                      .updateCount = 2,
                                      .bad = true,
                                      .real = 1.5});
  AppendPushRecord(buffer, PushRecord{.valueClass = 3, .integer = 1});
  AppendPushRecord(buffer, PushRecord{.valueClass = 4, .text = "ab"});
  const std::string bytes(reinterpret_cast<const char*>(buffer.At(0)), buffer.Length());
  ASSERT_EQ(bytes.size(), 24u + 17u + 22u);
  EXPECT_EQ(bytes.substr(0, 16),
            std::string("\x01\0\0\0\x04\x03\x02\x01\xE7\x03\x01\x02\0\0\0\x01", 16));
  EXPECT_EQ(bytes.substr(16, 8), std::string("\0\0\0\0\0\0\xF8\x3F", 8));
  EXPECT_EQ(bytes.substr(24 + 10, 1), "\x03");
  EXPECT_EQ(bytes.substr(24 + 16, 1), "\x01");
  EXPECT_EQ(bytes.substr(41 + 16), std::string("\x02\0\0\0ab", 6));

  std::vector<PushRecord> records;
  ASSERT_TRUE(ReadPushRecords(bytes, records));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].milliseconds, 999);
  EXPECT_TRUE(records[0].bad);
  EXPECT_EQ(records[0].real, 1.5);
  EXPECT_EQ(records[1].integer, 1);
  EXPECT_EQ(records[2].text, "ab");
  records.clear();
  EXPECT_FALSE(ReadPushRecords(bytes.substr(0, bytes.size() - 1), records));
  EXPECT_EQ(records.size(), 2u);
}

}  // namespace
