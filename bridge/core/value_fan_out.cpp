#include "bridge/core/value_fan_out.h"

namespace tavrel {

ValuePushSink* ValueFanOut::Entry() {
  if (sinks_.empty()) return nullptr;
  if (sinks_.size() == 1) return sinks_.front();
  return this;
}

void ValueFanOut::PushValue(const TagLiveValue& value) {
  for (ValuePushSink* const sink : sinks_) sink->PushValue(value);
}

void ValueFanOut::PushTypedValue(const TagLiveValue& value, const TypedValue& typed) {
  for (ValuePushSink* const sink : sinks_) sink->PushTypedValue(value, typed);
}

}  // namespace tavrel
