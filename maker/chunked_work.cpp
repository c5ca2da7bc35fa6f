#include "maker/chunked_work.h"

#include <QProgressDialog>

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
    progress.setValue(static_cast<int>(done));  // processes events while the dialog is modal
  }
  return true;
}
