#include "desktop/window_handback.h"

namespace tavrel {

WindowHandback::WindowHandback() {
  connect(
      this, &WindowHandback::Posted, this,
      [](const std::function<void()>& delivery) { delivery(); }, Qt::QueuedConnection);
}

void WindowHandback::Post(const std::function<void()>& delivery) { Q_EMIT Posted(delivery); }

}  // namespace tavrel
