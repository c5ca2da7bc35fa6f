// Long work on the window's thread, in chunks, behind a modal progress dialog with a cancel
// button: the windows repaint between chunks and nothing else can be clicked meanwhile (before
// the dialog shows, user input waits until the work is done).
#pragma once

#include <QString>
#include <cstddef>
#include <functional>

class QWidget;

namespace tavrel {

// Does one chunk of the work and returns how much of `total` is done after it.
using WorkChunk = std::function<std::size_t()>;

// Runs `chunk` until it reports `total` done; the dialog ("<label>" and a bar of `total`) shows
// when the work lasts longer than a moment. False when the user cancelled (the chunks done
// stay done).
bool RunInChunks(QWidget* parent, const QString& label, std::size_t total, const WorkChunk& chunk);

}  // namespace tavrel
