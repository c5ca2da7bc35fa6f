// FrontEnd: one outward interface of the bridge (the TCP API, MQTT, metrics, any later one). A
// front end is one folder that implements this interface and reads its own element of the one
// parsed config.xml; bridge/main.cpp lists the factories, and their order is the runtime's.
//
// Start-up (bridge_runtime.h, step 6), on the thread that makes the runtime: once the settings,
// the project and the connection objects are ready, each factory in turn makes its front end
// (or answers null when config.xml asks for none), and the front end is started (Start) before
// the next factory runs. The value sinks of all of them are attached to the project after the
// last Start and before the engines start, so a front end sees no value before it was started.
//
// Orderly stop (BridgeRuntime::Stop), on the thread that stops the runtime: ExitFlag is set,
// then Stop is called on each front end in reverse order, before the engines stop. A sink
// therefore still receives values after Stop until the engines have stopped: PushValue must
// keep working, and stay cheap, then. The sinks are detached after the engines stopped, and the
// front ends are destroyed in reverse order with the runtime, which outlives them (its project,
// log, metric registry and connections).
#pragma once

#include <functional>
#include <memory>

namespace tavrel {

class BridgeRuntime;
class MarkupDocument;
class ValuePushSink;

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  // Where the project hands every applied value (value_push_sink.h), or null for a front end
  // that takes none: it then costs the value path nothing. Asked once, after Start; the sink
  // lives as long as the front end.
  virtual ValuePushSink* ValueSink() { return nullptr; }
  // Starts the front end's own threads or listening sockets.
  virtual void Start() = 0;
  // Ends what Start began: its threads are joined when it returns. ExitFlag is set by then.
  virtual void Stop() = 0;
};

// What a factory is given. Both references are valid during the call only; a front end keeps
// the runtime, which outlives it.
struct FrontEndContext {
  BridgeRuntime& runtime;
  // config.xml as the start-up parsed it, positioned at its top (settings_document.h); the
  // factory reads its own element of it and may move the positions.
  MarkupDocument& config;
};

// Makes a front end of a runtime whose settings, project and connections are ready, logging
// what its settings reader notes; null when config.xml asks for none.
using FrontEndFactory = std::function<std::unique_ptr<FrontEnd>(const FrontEndContext& context)>;

}  // namespace tavrel
