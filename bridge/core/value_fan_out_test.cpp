#include "bridge/core/value_fan_out.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tavrel {

namespace {

// Writes what it receives, with its name, into a shared record.
class RecordingSink final : public ValuePushSink {
 public:
  RecordingSink(std::string name, std::vector<std::string>& record)
      : name_(std::move(name)), record_(record) {}
  void PushValue(const TagLiveValue& value) override {
    record_.push_back(name_ + " value " + std::to_string(value.handle));
  }
  void PushTypedValue(const TagLiveValue& value, const TypedValue& typed) override {
    record_.push_back(name_ + " typed value " + std::to_string(value.handle) + " " +
                      std::to_string(std::get<std::int64_t>(typed.value)));
  }

 private:
  const std::string name_;
  std::vector<std::string>& record_;
};

TEST(ValueFanOut, NoSinkIsNullAndOneSinkIsAttachedWithoutTheFanOut) {
  std::vector<std::string> record;
  RecordingSink only("only", record);
  ValueFanOut none({});
  ValueFanOut one({&only});
  EXPECT_EQ(none.Entry(), nullptr);
  EXPECT_EQ(one.Entry(), &only);
}

TEST(ValueFanOut, SeveralSinksReceiveEveryValueInTheirOrder) {
  std::vector<std::string> record;
  RecordingSink first("first", record);
  RecordingSink second("second", record);
  ValueFanOut fanOut({&first, &second});
  ASSERT_EQ(fanOut.Entry(), &fanOut);
  TagLiveValue value;
  value.handle = 7;
  fanOut.Entry()->PushValue(value);
  fanOut.Entry()->PushTypedValue(value, TypedValue{std::int64_t{3}});
  EXPECT_EQ(record, (std::vector<std::string>{"first value 7", "second value 7",
                                              "first typed value 7 3", "second typed value 7 3"}));
}

}  // namespace

}  // namespace tavrel
