// ValuePushSink: where every applied value goes: the API server's pending pushes, the MQTT
// publisher's latest values, any front end that takes values (front_end.h; several are joined
// by value_fan_out.h).
//
// A live value slot calls PushValue on the thread that applied the value (a COM call-back
// thread or a connection worker), with the slot's lock held: PushValue must not block for long,
// and must not read or apply live values (the lock order is a tag's slot first, then the sink's
// own lock). The value's text may be unformed (tag_live_value.h): LiveValueText gives it.
#pragma once

#include "bridge/core/tag_live_value.h"
#include "bridge/core/typed_value.h"

namespace tavrel {

class ValuePushSink {
 public:
  virtual ~ValuePushSink() = default;
  virtual void PushValue(const TagLiveValue& value) = 0;
  // Every applied value, with its typed form (typed_value.h) built once at arrival, under the
  // same rules. Those who need more than the value's text and its class's number override it.
  virtual void PushTypedValue(const TagLiveValue& value, const TypedValue& /*typed*/) {
    PushValue(value);
  }
};

}  // namespace tavrel
