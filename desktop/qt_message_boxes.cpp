#include "desktop/qt_message_boxes.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/gbk_text.h"

namespace tavrel {

void QtMessageBoxes::Inform(const std::string& text, const std::string& caption) {
  QMessageBox::information(QApplication::activeWindow(), FromGbk(caption), FromGbk(text));
}

bool QtMessageBoxes::AskYesNo(const std::string& text, const std::string& caption) {
  return QMessageBox::question(QApplication::activeWindow(), FromGbk(caption), FromGbk(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtMessageBoxes::InformError(const std::string& text, const std::string& caption) {
  QMessageBox::critical(QApplication::activeWindow(), FromGbk(caption), FromGbk(text));
}

void QtMessageBoxes::InformLines(const std::string& text, const std::vector<std::string>& lines,
                                 const std::string& caption) {
  QDialog dialog(QApplication::activeWindow());
  dialog.setWindowTitle(FromGbk(caption));
  QStringList shown;
  shown.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) shown << FromGbk(line);
  auto* list = new QPlainTextEdit(shown.join(QLatin1Char('\n')));
  list->setReadOnly(true);
  list->setLineWrapMode(QPlainTextEdit::NoWrap);
  list->setObjectName(QStringLiteral("lines"));
  auto* count = new QLabel(QStringLiteral("Count: %1").arg(lines.size()));
  count->setObjectName(QStringLiteral("count"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  QPushButton* copy = buttons->addButton(QStringLiteral("Copy"), QDialogButtonBox::ActionRole);
  QObject::connect(copy, &QPushButton::clicked, list,
                   [list] { QGuiApplication::clipboard()->setText(list->toPlainText()); });
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(FromGbk(text)));
  layout->addWidget(count);
  layout->addWidget(list);
  layout->addWidget(buttons);
  dialog.resize(520, 420);
  dialog.exec();
}

bool QtMessageBoxes::AskOkCancel(const std::string& text, const std::string& caption) {
  return QMessageBox::question(QApplication::activeWindow(), FromGbk(caption), FromGbk(text),
                               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace tavrel
