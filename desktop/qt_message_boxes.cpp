#include "desktop/qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

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

bool QtMessageBoxes::AskOkCancel(const std::string& text, const std::string& caption) {
  return QMessageBox::question(QApplication::activeWindow(), FromGbk(caption), FromGbk(text),
                               QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace tavrel
