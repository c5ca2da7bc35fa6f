#include "maker/ui/chunked_work.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace tavrel {

namespace {

constexpr int kShowAfterMs = 300;

}  // namespace

bool RunInChunks(QWidget* parent, const QString& label, std::size_t total, const WorkChunk& chunk) {
  QProgressDialog progress(label, QStringLiteral("Cancel"), 0, static_cast<int>(total), parent);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(kShowAfterMs);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setValue(0);
  std::size_t done = 0;
  while (done < total) {
    if (progress.wasCanceled()) return false;
    done = chunk();
    // Once shown, the modal dialog processes events itself; before, the window still paints
    // and its timers run, but takes no input that could start other work meanwhile.
    progress.setValue(static_cast<int>(done));
    if (!progress.isVisible()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  return true;
}

}  // namespace tavrel
