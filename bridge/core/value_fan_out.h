// ValueFanOut: the one value sink the project calls, over the sinks of the front ends.
//
// The project holds a single sink pointer (bridge_project.h). Entry() is what to attach: null
// when no front end takes values, the sink itself when one does (no extra call on the value
// path), and this fan-out when several do; the fan-out then hands each value to every sink in
// the order given, under the caller's lock, without allocating. The sinks must outlive the
// attachment of Entry().
#pragma once

#include <utility>
#include <vector>

#include "bridge/core/value_push_sink.h"

namespace tavrel {

class ValueFanOut final : public ValuePushSink {
 public:
  explicit ValueFanOut(std::vector<ValuePushSink*> sinks) : sinks_(std::move(sinks)) {}
  ValueFanOut(const ValueFanOut&) = delete;
  ValueFanOut& operator=(const ValueFanOut&) = delete;

  ValuePushSink* Entry();

  void PushValue(const TagLiveValue& value) override;
  void PushTypedValue(const TagLiveValue& value, const TypedValue& typed) override;

 private:
  const std::vector<ValuePushSink*> sinks_;
};

}  // namespace tavrel
