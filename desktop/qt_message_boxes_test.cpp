#include "desktop/qt_message_boxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace tavrel {

namespace {

TEST(QtMessageBoxesTest, ManyLinesShowAsAListThatFitsTheScreenWithTheirCount) {
  std::vector<std::string> ids;
  for (int i = 0; i < 20000; ++i) ids.push_back("Plant.Unknown" + std::to_string(i));
  bool answered = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_LE(dialog->frameGeometry().height(), dialog->screen()->availableGeometry().height());
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("count"))->text(), "Count: 20000");
    const auto* list = dialog->findChild<QPlainTextEdit*>(QStringLiteral("lines"));
    EXPECT_EQ(list->blockCount(), 20000);
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      if (button->text() == "Copy") button->click();
    }
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith("\nPlant.Unknown19999"));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    answered = true;
  });
  QtMessageBoxes().InformLines("Match Finished Error List:", ids, "hint");
  EXPECT_TRUE(answered);
}

}  // namespace

}  // namespace tavrel
