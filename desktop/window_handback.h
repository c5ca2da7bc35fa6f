// WindowHandback: the one way a worker thread hands something to the window's thread, a queued
// signal.
//
// A handback lives on the thread that makes it, the window's. Post may be called from any
// thread: it emits Posted, which reaches the handback through a queued connection, so the posted
// function runs on the window's thread at a later pass of its event loop, never inside Post.
// Functions posted by one thread run in the order they were posted. What is still queued when
// the handback is destroyed is dropped. An owner whose workers post to its handback joins them
// before the handback goes (declare the handback before the threads): then nothing a worker
// posted runs after the owner is gone.
#pragma once

#include <QObject>
#include <functional>

namespace tavrel {

class WindowHandback final : public QObject {
  Q_OBJECT

 public:
  WindowHandback();

  // Any thread. Runs `delivery` on the handback's thread.
  void Post(const std::function<void()>& delivery);

 Q_SIGNALS:
  // Emitted on the posting thread; delivered queued.
  void Posted(const std::function<void()>& delivery);
};

}  // namespace tavrel
