// WindowHandback: the one way a worker thread hands something to the window's thread, a queued
// signal.
//
// A handback lives on the thread that makes it, the window's. Post may be called from any
// thread: it queues the function under the handback's lock and, when the queue was empty, emits
// Posted, which reaches the handback through a queued connection; the queued functions then run
// on the window's thread at a later pass of its event loop, never inside Post. Functions run in
// the order they were posted. What is still queued when the handback is destroyed is dropped.
// An owner whose workers post to its handback joins them before the handback goes (declare the
// handback before the threads): then nothing a worker posted runs after the owner is gone.
//
// The functions travel through the handback's own lock rather than as the signal's argument:
// the hand-over is then ordered by a lock the thread sanitizer sees, not only by Qt's event
// queue inside libraries it does not instrument.
#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "common/mutex.h"
#include "common/thread_annotations.h"

namespace tavrel {

class WindowHandback final : public QObject {
  Q_OBJECT

 public:
  WindowHandback();

  // Any thread. Runs `delivery` on the handback's thread.
  void Post(std::function<void()> delivery) EXCLUDES(mutex_);

 Q_SIGNALS:
  // Emitted on the posting thread when the queue became non-empty; delivered queued.
  void Posted();

 private:
  // The handback's thread: runs what is queued, in order, without holding the lock.
  void RunQueued() EXCLUDES(mutex_);

  Mutex mutex_;
  std::vector<std::function<void()>> queued_ GUARDED_BY(mutex_);
};

}  // namespace tavrel
