// BackgroundCall<Result>: one call at a time on a thread of its own, its result handed to a
// completion on the window's thread, so that a window stays responsive while an OPC server or
// a remote node is slow to answer.
//
// A timer of the window's thread looks for the result every kPollMs, so the completion runs
// where the window lives without any signal crossing threads. The call must not touch the
// window; it may use what outlives this object. Destroying it waits for a call in progress
// (and drops its result).
#pragma once

#include <QTimer>
#include <chrono>
#include <functional>
#include <future>
#include <utility>

template <typename Result>
class BackgroundCall {
 public:
  static constexpr int kPollMs = 20;

  explicit BackgroundCall(std::function<void(Result)> done) : done_(std::move(done)) {
    poll_.setInterval(kPollMs);
    QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { TakeResult(); });
  }
  BackgroundCall(const BackgroundCall&) = delete;
  BackgroundCall& operator=(const BackgroundCall&) = delete;

  bool Running() const { return running_.valid(); }

  // Starts `call`; false, and nothing started, while another call runs.
  bool Start(std::function<Result()> call) {
    if (Running()) return false;
    running_ = std::async(std::launch::async, std::move(call));
    poll_.start();
    return true;
  }

 private:
  void TakeResult() {
    if (!Running() || running_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      return;
    }
    poll_.stop();
    done_(running_.get());
  }

  const std::function<void(Result)> done_;
  QTimer poll_;
  std::future<Result> running_;  // declared last: waited for before the members it uses go
};
