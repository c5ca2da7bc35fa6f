#include "bridge/core/typed_value.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bridge/core/variant_text.h"
#include "common/code_page.h"
#include "common/decimal_text.h"
#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"
#include "platform/com/variant_date.h"

namespace tavrel {

namespace {

using std::chrono::milliseconds;

// The value of type `vt` (without the array or reference bits) stored at `data`; none, without
// reading `data`, for a type that has no typed value.
TypedValue ValueAt(VARTYPE vt, const void* data) {
  switch (vt) {
    case VT_I1:
      return {std::int64_t{LoadVariantData<signed char>(data)}};
    case VT_I2:
      return {std::int64_t{LoadVariantData<SHORT>(data)}};
    case VT_I4:
      return {std::int64_t{LoadVariantData<LONG>(data)}};
    case VT_I8:
      return {std::int64_t{LoadVariantData<LONGLONG>(data)}};
    case VT_UI1:
      return {std::uint64_t{LoadVariantData<BYTE>(data)}};
    case VT_UI2:
      return {std::uint64_t{LoadVariantData<USHORT>(data)}};
    case VT_UI4:
      return {std::uint64_t{LoadVariantData<ULONG>(data)}};
    case VT_UI8:
      return {std::uint64_t{LoadVariantData<ULONGLONG>(data)}};
    case VT_R4:
      return {double{LoadVariantData<FLOAT>(data)}};
    case VT_R8:
      return {LoadVariantData<DOUBLE>(data)};
    case VT_BOOL:
      return {LoadVariantData<VARIANT_BOOL>(data) != 0};
    case VT_DATE:
      if (const std::optional<TypedDate> date =
              TypedDateOfVariantTime(LoadVariantData<DATE>(data))) {
        return {*date};
      }
      return {};
    case VT_BSTR:
      return {WideToAnsi(BstrView(LoadVariantData<BSTR>(data)))};
    default:
      return {};
  }
}

}  // namespace

std::optional<TypedDate> TypedDateOfVariantTime(DATE date) {
  // A date outside the valid days, NaN among them, is refused here rather than left to the
  // runtime: Wine's converts NaN to 30 December 1899.
  SYSTEMTIME time{};
  if (!IsValidVariantDate(date) || !VariantTimeToSystemTime(date, &time)) return std::nullopt;
  const std::chrono::year_month_day day{
      std::chrono::year(time.wYear), std::chrono::month(time.wMonth), std::chrono::day(time.wDay)};
  const auto moment = std::chrono::sys_days(day) + std::chrono::hours(time.wHour) +
                      std::chrono::minutes(time.wMinute) + std::chrono::seconds(time.wSecond) +
                      milliseconds(time.wMilliseconds);
  return TypedDate{std::chrono::duration_cast<milliseconds>(moment.time_since_epoch()).count()};
}

std::string TypedDateText(TypedDate date) {
  const std::chrono::sys_time<milliseconds> moment{milliseconds(date.milliseconds)};
  const std::chrono::sys_days day = std::chrono::floor<std::chrono::days>(moment);
  const std::chrono::year_month_day calendar(day);
  const std::chrono::hh_mm_ss time(moment - day);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d %03d",
                static_cast<int>(calendar.year()), static_cast<unsigned>(calendar.month()),
                static_cast<unsigned>(calendar.day()), static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
                static_cast<int>(time.subseconds().count()));
  return text;
}

TypedValue TypedValueOfVariant(const VARIANT& value) {
  if ((value.vt & VT_BYREF) != 0) return {};
  if ((value.vt & VT_ARRAY) == 0) return ValueAt(value.vt, &value.llVal);
  TypedArray elements;
  VisitArrayElements(value,
                     [&](VARTYPE vt, const void* data) { elements.push_back(ValueAt(vt, data)); });
  return {std::move(elements)};
}

TypedValue TypedValueOfText(std::string_view text, ApiValueType valueClass) {
  switch (valueClass) {
    case ApiValueType::kReal:
      if (const std::optional<std::int64_t> whole = WholeNumber<std::int64_t>(text)) {
        return {*whole};
      }
      if (const std::optional<std::uint64_t> whole = WholeNumber<std::uint64_t>(text)) {
        return {*whole};
      }
      return {std::strtod(std::string(text).c_str(), nullptr)};
    case ApiValueType::kInteger:
      return {std::int64_t{ParseDecimal(text)}};
    case ApiValueType::kBoolean:
      return {ParseDecimal(text) != 0};
    case ApiValueType::kText:
      break;
  }
  return {std::string(text)};
}

}  // namespace tavrel
