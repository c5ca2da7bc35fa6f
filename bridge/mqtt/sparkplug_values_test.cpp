#include "bridge/mqtt/sparkplug_values.h"

#include <gtest/gtest.h>

#include "platform/com/com_api.h"

namespace tavrel {

namespace {

using tavrel::sparkplug::Metric;
namespace type = sparkplug_type;

TagLiveValue Value(ApiValueType valueClass, double real, std::int32_t integer, std::string text) {
  TagLiveValue value;
  value.valueClass = valueClass;
  value.realValue = real;
  value.integerValue = integer;
  value.textValue = std::move(text);
  value.updateCount = 1;
  return value;
}

TypedValue Elements(TypedArray elements) { return {std::move(elements)}; }

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// The text "温度" in the system code page (GBK) and in UTF-8.
const std::string kGbkText = "\xCE\xC2\xB6\xC8";
const std::string kUtf8Text = "\xE6\xB8\xA9\xE5\xBA\xA6";

TEST(SparkplugValues, EachRequestedTypeGivesItsDataTypeAndValueField) {
  struct Case {
    int vt;
    TagLiveValue value;
    TypedValue typed;
    std::uint32_t dataType;
    std::function<void(const Metric&)> check;
  };
  const Case cases[] = {
      {VT_I1,
       Value(ApiValueType::kInteger, 0, -1, "-1"),
       {std::int64_t{-1}},
       type::kInt8,
       [](const Metric& m) { EXPECT_EQ(m.int_value(), 0xFFFFFFFFu); }},
      {VT_UI4,
       Value(ApiValueType::kReal, 4e9, 0, "4000000000"),
       {std::uint64_t{4000000000}},
       type::kUInt32,
       [](const Metric& m) { EXPECT_EQ(m.int_value(), 4000000000u); }},
      // Beyond a double's 53 bits: the typed value has every digit.
      {VT_I8,
       Value(ApiValueType::kReal, -9007199254740992.0, 0, "-9007199254740993"),
       {std::int64_t{-9007199254740993}},
       type::kInt64,
       [](const Metric& m) {
         EXPECT_EQ(m.long_value(), static_cast<std::uint64_t>(-9007199254740993));
       }},
      {VT_UI8,
       Value(ApiValueType::kReal, 1.8446744073709552e19, 0, "18446744073709551615"),
       {std::uint64_t{18446744073709551615u}},
       type::kUInt64,
       [](const Metric& m) { EXPECT_EQ(m.long_value(), 18446744073709551615u); }},
      {VT_R4,
       Value(ApiValueType::kReal, 2.5, 0, "2.500000"),
       {2.5},
       type::kFloat,
       [](const Metric& m) { EXPECT_EQ(m.float_value(), 2.5f); }},
      {VT_BOOL,
       Value(ApiValueType::kBoolean, 0, 1, "1"),
       {true},
       type::kBoolean,
       [](const Metric& m) { EXPECT_TRUE(m.boolean_value()); }},
      {VT_BSTR,
       Value(ApiValueType::kText, 0, 0, kGbkText),
       {kGbkText},
       type::kString,
       [](const Metric& m) { EXPECT_EQ(m.string_value(), kUtf8Text); }},
      {VT_DATE,
       Value(ApiValueType::kText, 0, 0, "2026-12-08 07:47:18 945"),
       {TypedDate{1796716038945}},
       type::kDateTime,
       [](const Metric& m) { EXPECT_EQ(m.long_value(), 1796716038945u); }},
      {VT_ARRAY | VT_I4, Value(ApiValueType::kReal, 0, 0, "123456789, 987654321"),
       Elements({{std::int64_t{123456789}}, {std::int64_t{987654321}}}), type::kInt32Array,
       [](const Metric& m) {
         EXPECT_EQ(m.bytes_value(), Bytes({0x15, 0xCD, 0x5B, 0x07, 0xB1, 0x68, 0xDE, 0x3A}));
       }},
      {VT_ARRAY | VT_I2, Value(ApiValueType::kReal, 0, 0, "-2, 3"),
       Elements({{std::int64_t{-2}}, {std::int64_t{3}}}), type::kInt16Array,
       [](const Metric& m) {
         EXPECT_EQ(m.bytes_value(), Bytes({0xFE, 0xFF, 0x03, 0x00}));
       }},
      // An element may hold the ", " that joins the elements in the value's text.
      {VT_ARRAY | VT_BSTR, Value(ApiValueType::kText, 0, 0, "a, b, " + kGbkText),
       Elements({{std::string("a, b")}, {kGbkText}}), type::kStringArray,
       [](const Metric& m) {
         EXPECT_EQ(m.bytes_value(), std::string("a, b\0", 5) + kUtf8Text + '\0');
       }},
      // Reals whole, not as the six digits of the text's "%g".
      {VT_ARRAY | VT_R8, Value(ApiValueType::kReal, 0, 0, "98.9235"), Elements({{98.923456}}),
       type::kDoubleArray,
       [](const Metric& m) {
         EXPECT_EQ(m.bytes_value(), Bytes({0xE1, 0xD2, 0x31, 0xE7, 0x19, 0xBB, 0x58, 0x40}));
       }},
      {VT_ARRAY | VT_DATE, Value(ApiValueType::kText, 0, 0, "1970-01-01 00:00:01 002, ?"),
       Elements({{TypedDate{1002}}, {}}), type::kDateTimeArray,
       [](const Metric& m) {
         EXPECT_EQ(m.bytes_value(), Bytes({0xEA, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
       }},
      {VT_ARRAY | VT_BOOL, Value(ApiValueType::kReal, 0, 0, "1, 0"), Elements({{true}, {false}}),
       type::kString, [](const Metric& m) { EXPECT_EQ(m.string_value(), "1, 0"); }},
      {VT_EMPTY,
       Value(ApiValueType::kReal, 1.5, 0, "1.5"),
       {std::int64_t{2}},
       type::kDouble,
       [](const Metric& m) { EXPECT_EQ(m.double_value(), 1.5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vt);
    Metric metric;
    SetMetricValue(metric, c.vt, c.value, c.typed);
    EXPECT_EQ(metric.datatype(), c.dataType);
    EXPECT_FALSE(metric.is_null());
    c.check(metric);
  }
}

// No value yet, and a date that is none (refused by the conversion, before 1970, or a value
// that arrived as text).
TEST(SparkplugValues, NoValueAndNoDateAreNull) {
  TagLiveValue never;
  never.valueClass = ApiValueType::kReal;
  const TagLiveValue date = Value(ApiValueType::kText, 0, 0, "1969-12-31 23:59:59 000");
  const struct {
    int vt;
    const TagLiveValue& value;
    TypedValue typed;
  } cases[] = {
      {VT_R8, never, {}},
      {VT_DATE, date, {}},
      {VT_DATE, date, {TypedDate{-1000}}},
      {VT_DATE, date, {date.textValue}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    Metric metric;
    SetMetricValue(metric, cases[i].vt, cases[i].value, cases[i].typed);
    EXPECT_TRUE(metric.is_null());
    EXPECT_EQ(metric.value_case(), Metric::VALUE_NOT_SET);
  }
}

TEST(SparkplugValues, CommandedValuesBecomeTheTextsTheWriteTakes) {
  struct Case {
    std::function<void(Metric&)> set;
    std::uint32_t tagType;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {[](Metric& m) { m.set_int_value(0xFFFFFFFF); }, type::kInt8, "-1"},
      {[](Metric& m) { m.set_int_value(0xFFFFFFFF); }, type::kUInt32, "4294967295"},
      {[](Metric& m) {
         m.set_datatype(type::kInt64);
         m.set_long_value(static_cast<std::uint64_t>(-5));
       },
       type::kDouble, "-5"},
      {[](Metric& m) { m.set_double_value(12.5); }, type::kDouble, "12.5"},
      {[](Metric& m) { m.set_float_value(0.25f); }, type::kFloat, "0.25"},
      {[](Metric& m) { m.set_boolean_value(true); }, type::kBoolean, "1"},
      {[](Metric& m) { m.set_string_value(kUtf8Text); }, type::kString, kGbkText},
      {[](Metric& m) { m.set_bytes_value("xx"); }, type::kInt32Array, std::nullopt},
      {[](Metric& m) { m.set_is_null(true); }, type::kInt32, std::nullopt},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    Metric metric;
    cases[i].set(metric);
    EXPECT_EQ(WriteTextOfMetric(metric, cases[i].tagType), cases[i].text);
  }
}

}  // namespace

}  // namespace tavrel
