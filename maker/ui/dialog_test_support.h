// Helpers of the maker's widget tests: answering modal dialogs and filling their edits.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "desktop/gbk_text.h"

namespace tavrel {

// Runs `answer` on the next modal dialog once the event loop shows it.
inline void AnswerNextDialog(std::function<void(QDialog&)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    answer(*dialog);
  });
}

inline void SetEdit(QWidget& dialog, const char* name, const char* text) {
  dialog.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(FromGbk(text));
}

}  // namespace tavrel
