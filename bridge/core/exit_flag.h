// ExitFlag: the bridge's stop request, read by every worker loop on each pass.
//
// Clear while the bridge runs; set once by the orderly stop. Any thread may read it at any
// time; setting it is final.
#pragma once

#include <atomic>

namespace tavrel {

class ExitFlag {
 public:
  bool IsSet() const { return value_.load(std::memory_order_acquire) != 0; }
  void Set() { value_.store(1, std::memory_order_release); }

 private:
  std::atomic<int> value_{0};
};

}  // namespace tavrel
