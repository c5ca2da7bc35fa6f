// BackgroundCall<Result>: one call at a time on a thread of its own, its result handed to a
// completion on the window's thread, so that a window stays responsive while an OPC server or
// a remote node is slow to answer.
//
// The worker hands the result back through a WindowHandback (window_handback.h): the completion
// runs on the thread that made this object, at a later pass of its event loop. The call must not
// touch the window; it may use what outlives this object. Destroying this object waits for a
// call in progress and drops its result. Result may be void: the completion then takes nothing.
#pragma once

#include <functional>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <variant>

#include "desktop/window_handback.h"

namespace tavrel {

// The completion of a call: it takes the call's result, or nothing after a void call.
template <typename Result>
struct BackgroundCompletion {
  using Type = std::function<void(Result)>;
};
template <>
struct BackgroundCompletion<void> {
  using Type = std::function<void()>;
};

template <typename Result>
class BackgroundCall {
 public:
  using Completion = typename BackgroundCompletion<Result>::Type;

  explicit BackgroundCall(Completion done) : done_(std::move(done)) {}
  BackgroundCall(const BackgroundCall&) = delete;
  BackgroundCall& operator=(const BackgroundCall&) = delete;

  // True from Start until the completion has been called.
  bool Running() const { return worker_.joinable(); }

  // Starts `call`; false, and nothing started, while another call runs.
  bool Start(std::function<Result()> call) {
    if (Running()) return false;
    worker_ = std::jthread([this, call = std::move(call)] {
      if constexpr (std::is_void_v<Result>) {
        call();
      } else {
        result_.emplace(call());
      }
      handback_.Post([this] { Complete(); });
    });
    return true;
  }

 private:
  void Complete() {
    worker_.join();  // the worker has posted this; its result is now safe to read
    if constexpr (std::is_void_v<Result>) {
      done_();
    } else {
      Result result = std::move(*result_);
      result_.reset();
      done_(std::move(result));
    }
  }

  const Completion done_;
  WindowHandback handback_;
  // Written by the worker before it posts the completion, read by the completion after the join.
  std::conditional_t<std::is_void_v<Result>, std::monostate, std::optional<Result>> result_;
  std::jthread worker_;  // declared last: joined before the members it uses go
};

}  // namespace tavrel
