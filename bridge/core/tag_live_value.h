// TagLiveValue: the latest value of a tag, and LiveValueSlot, the guarded place that holds it.
//
// A live value is written by the threads that deliver OPC data (COM call-back threads and the
// connection workers) and read at the same time by the API thread. Each tag's slot has a lock
// of its own, held only while a value is copied in or out: writers format the new text before
// they take it, so the lock covers a few stores and a string swap. There is
// no lock over the whole table, and tags never wait for each other.
//
// Readers take a Snapshot: a copy made under the lock, so its fields always belong to the same
// update (the text is never seen while it is being replaced).
//
// Most values are numbers whose text no one reads before the next value replaces it, and
// printing a number is the largest part of applying one. Where the number the slot keeps gives
// the text back exactly, the text is left unformed (TextForm) until it is read: a Snapshot
// carries it formed; a value handed to a push sink may not, and LiveValueText forms it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/core/api_value_type.h"
#include "common/log_time.h"
#include "common/word_mutex.h"
#include "platform/com/com_api.h"

namespace tavrel {

class ValuePushSink;

// The quality of a value that is good without limit bits; any other quality is bad.
inline constexpr WORD kGoodQuality = 192;

// Where a live value's text is (see above).
enum class TextForm : std::uint8_t {
  kKept,         // in textValue
  kFixedReal,    // "%f" of realValue: a VT_R4 or VT_R8 value of a real tag
  kRealInteger,  // the decimal of realValue, a whole number: an integer or boolean value of a
                 // real tag
  kInteger,      // the decimal of integerValue: an integer or boolean value that the tag's
                 // class holds exactly
};

// Laid out without padding before the text (every tag of a project holds one).
struct TagLiveValue {
  std::int32_t handle = 0;         // the tag's TagHandle
  std::uint32_t seconds = 0;       // time stamp, seconds since 1970-01-01 00:00 UTC; 0: none
  std::uint16_t milliseconds = 0;  // 0..999
  std::uint8_t badFlag = 0;        // 0 when the last quality was exactly 192, else 1
  TextForm textForm = TextForm::kKept;
  ApiValueType valueClass = ApiValueType::kReal;
  double realValue = 0;           // the number of value class 1
  std::int32_t integerValue = 0;  // the number of value classes 2 and 3 (0 or 1 for 3)
  std::uint32_t updateCount = 0;  // updates since start
  std::string textValue;          // GBK; for value class 4 the value itself; empty unless kKept
};

// The value's text (GBK) whatever its form.
std::string LiveValueText(const TagLiveValue& value);
// The value with its text formed in textValue.
TagLiveValue WithTextFormed(TagLiveValue value);

// The time stamp of a value: seconds since 1970-01-01 00:00 UTC and milliseconds.
struct TagTime {
  std::uint32_t seconds = 0;
  std::uint16_t milliseconds = 0;
};

// The time of a server's time stamp (a UTC FILETIME). A time stamp with a zero half, or one
// that the 32-bit seconds cannot hold (before 1970 or after 2106), gives 0 and 0.
TagTime TagTimeOfFileTime(const FILETIME& timeStamp);
// The same for a clock reading; the milliseconds are clamped to 0..999.
TagTime TagTimeOfWallTime(WallTime time);

class LiveValueSlot {
 public:
  // A value that has seen no update: count 0, bad flag 0, time 0, numbers 0, empty text.
  LiveValueSlot(std::int32_t handle, ApiValueType valueClass);

  LiveValueSlot(const LiveValueSlot&) = delete;
  LiveValueSlot& operator=(const LiveValueSlot&) = delete;

  // A consistent copy of the value, its text formed; any thread.
  TagLiveValue Snapshot() const;

  // A value from the server: bad flag = (quality != 192); time from the time stamp; count + 1;
  // the text and number of VariantToText. The number is stored in the form of the tag's
  // class, whatever the variant's type (a real for class 1, an integer for class 2, 1 or 0 for
  // class 3); a variant without a number leaves it unchanged.
  //
  // `push`, when not null, receives the updated value with its typed form (TypedValueOfVariant)
  // before the slot's lock is released, so the pushes of one tag keep the order of its updates.
  // The typed form is built for the push and not kept; the text may be left unformed.
  void ApplyValue(const VARIANT& value, WORD quality, const FILETIME& timeStamp,
                  ValuePushSink* push);

  // A value read as text (item properties): bad flag = (quality read as a decimal != 192);
  // the number read from the text by the tag's class (a real for class 1, a decimal integer
  // for class 2, 1 for a non-zero decimal and 0 otherwise for class 3); count + 1; time from
  // `timeStamp`; the text kept as given. `push` as for ApplyValue, the typed form read from the
  // text by the class (TypedValueOfText).
  void ApplyTextValue(std::string_view text, std::string_view quality, WallTime timeStamp,
                      ValuePushSink* push);

 private:
  // The tag's class: fixed at construction, so it is read without the lock (and not analysed
  // for it, as the rest of the value is guarded).
  ApiValueType ValueClass() const NO_THREAD_SAFETY_ANALYSIS { return value_.valueClass; }

  mutable WordMutex mutex_;  // four bytes: every tag of a project holds one
  TagLiveValue value_ GUARDED_BY(mutex_);
};

}  // namespace tavrel
