// ValuePushSink: where every applied value goes, to reach the API clients that asked for it.
//
// The API server implements it with its pending pushes. A live value slot calls PushValue on
// the thread that applied the value (a COM call-back thread or a connection worker), with the
// slot's lock held: PushValue must not block for long, and must not read or apply live values
// (the lock order is a tag's slot first, then the sink's own lock).
#pragma once

#include "bridge/core/tag_live_value.h"

class ValuePushSink {
 public:
  virtual ~ValuePushSink() = default;
  virtual void PushValue(const TagLiveValue& value) = 0;
};
