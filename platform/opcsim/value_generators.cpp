#include "platform/opcsim/value_generators.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"
#include "platform/com/file_time_ticks.h"

namespace tavrel::opcsim {

namespace {

// 1 January 2024 as a DATE.
constexpr DATE kBaseDate = 45292.0;

std::uint64_t SplitMix64(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// -100.00 .. 100.00 in steps of 0.01.
double RandomSignal(std::uint32_t seed, std::uint64_t step) {
  const std::uint64_t hash = SplitMix64((static_cast<std::uint64_t>(seed) << 40) ^ step);
  return static_cast<double>(hash % 20001) / 100.0 - 100.0;
}

SignalRange RangeOf(SignalKind signal) {
  switch (signal) {
    case SignalKind::kRamp:
      return {0.0, 99.0};
    case SignalKind::kCounter:
      return {0.0, 4294967295.0};
    case SignalKind::kHeartbeat:
      return {0.0, 1.0};
    case SignalKind::kQualityCycle:
      return {0.0, 100.0};
    default:
      return {-100.0, 100.0};
  }
}

double SignalAt(const ItemDefinition& item, std::uint64_t step) {
  switch (item.signal) {
    case SignalKind::kRandom:
    case SignalKind::kBulk:
      return RandomSignal(item.seed, step);
    case SignalKind::kRamp:
      return static_cast<double>(step % 100);
    case SignalKind::kSine:
      return 100.0 * std::sin(2.0 * std::numbers::pi * static_cast<double>(step % 36) / 36.0);
    case SignalKind::kSquare:
      return step % 2 == 1 ? 100.0 : -100.0;
    case SignalKind::kCounter:
      return static_cast<double>(step % 4294967296ull);
    case SignalKind::kHeartbeat:
      return static_cast<double>(step % 2);
    case SignalKind::kQualityCycle:
      return 1.0;
    case SignalKind::kStored:
      break;
  }
  return 0.0;
}

const WCHAR* SignalName(SignalKind signal) {
  switch (signal) {
    case SignalKind::kRandom:
      return OLESTR("Random");
    case SignalKind::kRamp:
      return OLESTR("Ramp");
    case SignalKind::kSine:
      return OLESTR("Sine");
    case SignalKind::kSquare:
      return OLESTR("Square");
    case SignalKind::kCounter:
      return OLESTR("Counter");
    case SignalKind::kHeartbeat:
      return OLESTR("Heartbeat");
    case SignalKind::kQualityCycle:
      return OLESTR("Quality");
    case SignalKind::kBulk:
      return OLESTR("Bulk");
    case SignalKind::kStored:
      break;
  }
  return OLESTR("");
}

bool IsUnsigned(VARTYPE type) { return type == VT_UI1 || type == VT_UI2 || type == VT_UI4; }

WideString IntegerText(double value) {
  const std::string digits = std::to_string(static_cast<long long>(std::llround(value)));
  return WideString(digits.begin(), digits.end());
}

WideString SignalText(const ItemDefinition& item, double signal, std::uint64_t step) {
  if (!item.texts.empty()) return item.texts[step % item.texts.size()];
  return WideString(SignalName(item.signal)) + OLESTR(" ") + IntegerText(signal);
}

template <typename T>
T Rounded(double value) {
  const double low = static_cast<double>(std::numeric_limits<T>::min());
  const double high = static_cast<double>(std::numeric_limits<T>::max());
  const double rounded = std::nearbyint(value);
  return static_cast<T>(rounded < low ? low : rounded > high ? high : rounded);
}

OwnedVariant RealArray(const std::vector<double>& values) {
  OwnedVariant result;
  SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()));
  if (array == nullptr) return result;
  for (std::size_t i = 0; i < values.size(); ++i)
    static_cast<double*>(array->pvData)[i] = values[i];
  result.Mutable()->vt = VT_ARRAY | VT_R8;
  result.Mutable()->parray = array;
  return result;
}

OwnedVariant TextArray(const std::vector<WideString>& texts) {
  OwnedVariant result;
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
  if (array == nullptr) return result;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    static_cast<BSTR*>(array->pvData)[i] = BstrFromView(texts[i]);
  }
  result.Mutable()->vt = VT_ARRAY | VT_BSTR;
  result.Mutable()->parray = array;
  return result;
}

OwnedVariant Shaped(const ItemDefinition& item, double signal, std::uint64_t step) {
  const SignalRange range = RangeOf(item.signal);
  const bool shifted =
      IsUnsigned(item.canonicalType) && range.low < 0 && item.signal != SignalKind::kStored;
  const double value = shifted ? signal - range.low : signal;
  OwnedVariant result;
  VARIANT& v = *result.Mutable();
  switch (item.canonicalType) {
    case VT_I1:
      v.cVal = Rounded<signed char>(value);
      break;
    case VT_I2:
      v.iVal = Rounded<SHORT>(value);
      break;
    case VT_I4:
      v.lVal = Rounded<LONG>(value);
      break;
    case VT_UI1:
      v.bVal = Rounded<BYTE>(value);
      break;
    case VT_UI2:
      v.uiVal = Rounded<USHORT>(value);
      break;
    case VT_UI4:
      v.ulVal = Rounded<ULONG>(value);
      break;
    case VT_R4:
      v.fltVal = static_cast<float>(value);
      break;
    case VT_R8:
      v.dblVal = value;
      break;
    case VT_BOOL:
      v.boolVal = value > (range.low + range.high) / 2 ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VT_DATE:
      v.date = kBaseDate + value;
      break;
    case VT_BSTR:
      return OwnedVariant::FromText(SignalText(item, value, step));
    case VT_ARRAY | VT_R8:
      return RealArray({value, value + 1, value + 2, value + 3});
    case VT_ARRAY | VT_BSTR:
      return TextArray({IntegerText(value), IntegerText(value + 1), IntegerText(value + 2)});
    default:
      return result;
  }
  v.vt = item.canonicalType;
  return result;
}

}  // namespace

SignalRange TypedSignalRange(SignalKind signal, VARTYPE type) {
  const SignalRange range = RangeOf(signal);
  if (IsUnsigned(type) && range.low < 0) return {0.0, range.high - range.low};
  return range;
}

std::uint64_t SignalClock::StepAt(SteadyTime now, std::chrono::milliseconds period) const {
  if (now <= start || period.count() <= 0) return 0;
  return static_cast<std::uint64_t>((now - start) / period);
}

FILETIME SignalClock::StampOf(std::uint64_t step, std::chrono::milliseconds period) const {
  return FileTimeFromSystemClock(systemStart + period * static_cast<long long>(step));
}

FILETIME SignalClock::Now(SteadyTime now) const {
  return FileTimeFromSystemClock(
      systemStart + std::chrono::duration_cast<std::chrono::system_clock::duration>(now - start));
}

ItemSample GenerateSample(const ItemDefinition& item, const SignalClock& clock,
                          SignalClock::SteadyTime now) {
  const std::chrono::milliseconds period =
      item.signal == SignalKind::kBulk ? clock.bulkPeriod : clock.signalPeriod;
  const std::uint64_t step = clock.StepAt(now, period);
  ItemSample sample;
  sample.value = Shaped(item, SignalAt(item, step), step);
  sample.timeStamp =
      item.signal == SignalKind::kBulk ? clock.Now(now) : clock.StampOf(step, period);
  if (item.signal == SignalKind::kQualityCycle) {
    sample.quality = kQualityCycle[step % std::size(kQualityCycle)];
  }
  return sample;
}

OwnedVariant InitialStoredValue(VARTYPE type) {
  ItemDefinition zero;
  zero.canonicalType = type;
  zero.signal = SignalKind::kStored;
  if (type == VT_BSTR) return OwnedVariant::FromText(OLESTR(""));
  if (type == (VT_ARRAY | VT_BSTR)) return TextArray({OLESTR(""), OLESTR(""), OLESTR("")});
  if (type == (VT_ARRAY | VT_R8)) return RealArray({0.0, 0.0, 0.0});
  return Shaped(zero, 0.0, 0);
}

}  // namespace tavrel::opcsim
