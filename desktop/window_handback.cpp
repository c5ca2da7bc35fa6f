#include "desktop/window_handback.h"

#include <utility>

namespace tavrel {

WindowHandback::WindowHandback() {
  connect(this, &WindowHandback::Posted, this, &WindowHandback::RunQueued, Qt::QueuedConnection);
}

void WindowHandback::Post(std::function<void()> delivery) {
  bool wasEmpty = false;
  {
    MutexLock lock(mutex_);
    wasEmpty = queued_.empty();
    queued_.push_back(std::move(delivery));
  }
  if (wasEmpty) Q_EMIT Posted();
}

void WindowHandback::RunQueued() {
  std::vector<std::function<void()>> taken;
  {
    MutexLock lock(mutex_);
    taken.swap(queued_);
  }
  for (const std::function<void()>& delivery : taken) delivery();
}

}  // namespace tavrel
