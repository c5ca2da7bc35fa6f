// The values of simulated items: signals as functions of time, shaped to each item's type.
//
// A signal steps once per period: step k covers [start + k * period, start + (k + 1) * period)
// and its values carry the time stamp of the step's beginning, as a device reports the time a
// value was taken. Bulk items, the load-test branch, stand for a fast device that the server
// polls: they carry the moment they are sampled, so a Bulk change is stamped when the server
// reports it and the stamp measures what happens to the change after the server. The values are
// pure functions of the item and the step, so any thread may compute them without a lock and two
// groups see the same value at the same moment.
//
// Shaping a signal s to a type: integers take s rounded; unsigned integers take s shifted so
// that the signal's lowest value is 0 (Sine -100..100 becomes 0..200); reals take s; booleans
// are true above the middle of the signal's range; strings show the signal's name and the
// integer ("Ramp 42") or, for items with texts, text k modulo their number; dates are
// 1 January 2024 plus s days; arrays of reals hold s, s+1, s+2, s+3 and arrays of strings the
// texts of s, s+1, s+2.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/com/com_api.h"
#include "platform/com/owned_variant.h"
#include "platform/opcda/opc_types.h"
#include "platform/opcsim/item_catalogue.h"

namespace tavrel::opcsim {

struct SignalRange {
  double low;
  double high;
};

// The range of `signal`'s values once shaped to `type`.
SignalRange TypedSignalRange(SignalKind signal, VARTYPE type);

// The clock of a server's signals.
struct SignalClock {
  using SteadyTime = std::chrono::steady_clock::time_point;
  SteadyTime start;
  std::chrono::system_clock::time_point systemStart;  // the same instant on the system clock
  std::chrono::milliseconds signalPeriod{1000};
  std::chrono::milliseconds bulkPeriod{100};

  // The step of a signal with `period` at `now` (0 before the start).
  std::uint64_t StepAt(SteadyTime now, std::chrono::milliseconds period) const;
  // The UTC time stamp of the beginning of step `step`.
  FILETIME StampOf(std::uint64_t step, std::chrono::milliseconds period) const;
  FILETIME Now(SteadyTime now) const;
};

// What a read of an item gives: value, quality and time stamp, or a per-item error.
struct ItemSample {
  OwnedVariant value;
  WORD quality = OPC_QUALITY_GOOD;
  FILETIME timeStamp{};
  HRESULT error = S_OK;
};

// The value of a generated item (any signal but kStored) at `now`.
ItemSample GenerateSample(const ItemDefinition& item, const SignalClock& clock,
                          SignalClock::SteadyTime now);

// The value a stored item of `type` starts with: zero, false, empty text, the base date, or
// three such elements.
OwnedVariant InitialStoredValue(VARTYPE type);

// The qualities the quality cycle goes through, one per signal period.
inline constexpr WORD kQualityCycle[] = {192, 0, 64, 216, 193};

}  // namespace tavrel::opcsim
