// WritesInFlight: the write dialog's writes, each on a thread of its own, their results handed
// to the window's thread.
//
// A write outlives its dialog: when the operator cancels the wait, or the bridge stops while a
// server hangs, the dialog lets its write go; the write goes on until the server answers and its
// result is dropped. The main panel owns this object, so that closing a dialog never waits for a
// server. Destroying this object waits for every write still running; the bridge destroys its
// windows inside its bounded stop (bridge_process.cpp), so a write to a server that hangs delays
// the end of the process by that bound at most, and never runs after the project it writes to.
// Start, LetGo and Running are called on the window's thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <thread>

#include "bridge/core/connection_engine.h"
#include "desktop/window_handback.h"

namespace tavrel {

class WritesInFlight {
 public:
  using Id = std::uint64_t;
  using Completion = std::function<void(const WriteResult&)>;

  WritesInFlight() = default;
  WritesInFlight(const WritesInFlight&) = delete;
  WritesInFlight& operator=(const WritesInFlight&) = delete;

  // Starts `write`; `done` receives its result at a later pass of the window's event loop,
  // unless the write is let go first.
  Id Start(std::function<WriteResult()> write, Completion done);
  // Drops the completion of write `id`; the write itself goes on.
  void LetGo(Id id);
  // The writes started and not yet finished, let go or not.
  std::size_t Running() const { return writes_.size(); }

 private:
  struct Write {
    Write(Id id, Completion done) : id(id), done(std::move(done)) {}
    Id id;
    Completion done;
    std::optional<WriteResult> result;  // written by the thread before it posts Finish
    std::jthread thread;
  };
  void Finish(Id id);

  WindowHandback handback_;
  Id nextId_ = 1;
  std::list<Write> writes_;  // declared last: their threads are joined before the handback goes
};

}  // namespace tavrel
