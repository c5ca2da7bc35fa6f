#include "wire/push_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrel {

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

TEST(PushRecord, PrefixesEndOnRecordBoundaries) {
  ByteBuffer buffer;
  AppendPushRecord(buffer, PushRecord{.valueClass = 1});                // 24 bytes
  AppendPushRecord(buffer, PushRecord{.valueClass = 3});                // 17
  AppendPushRecord(buffer, PushRecord{.valueClass = 4, .text = "ab"});  // 22
  AppendPushRecord(buffer, PushRecord{.valueClass = 2});                // 20
  const std::string bytes(reinterpret_cast<const char*>(buffer.At(0)), buffer.Length());
  const struct {
    std::string_view bytes;
    std::size_t limit;
    std::size_t prefix;
    std::size_t records;
  } cases[] = {
      {bytes, 0, 24, 1},  // the first record goes however long it is
      {bytes, 40, 24, 1},
      {bytes, 41, 41, 2},
      {bytes, 62, 41, 2},
      {bytes, 83, 83, 4},
      {bytes, 1000, 83, 4},
      {std::string_view(bytes).substr(0, 82), 1000, 63, 3},  // a cut record ends the run
      {std::string_view(bytes).substr(0, 42), 1000, 41, 2},  // inside a text's length
      {std::string_view(bytes).substr(24), 1000, 59, 3},
      {"", 1000, 0, 0},
  };
  for (const auto& c : cases) {
    const PushRecordRun run = PushRecordsPrefix(c.bytes, c.limit);
    EXPECT_EQ(run.bytes, c.prefix) << c.bytes.size() << " bytes, limit " << c.limit;
    EXPECT_EQ(run.records, c.records) << c.bytes.size() << " bytes, limit " << c.limit;
  }
  std::string unknownClass = bytes;
  unknownClass[10] = 9;
  EXPECT_EQ(PushRecordsPrefix(unknownClass, 1000).bytes, 0u);
}

}  // namespace

}  // namespace tavrel
