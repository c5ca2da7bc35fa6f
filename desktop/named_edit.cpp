#include "desktop/named_edit.h"

#include "desktop/gbk_text.h"

namespace tavrel {

QLineEdit* MakeNamedEdit(const std::string& gbkText, const char* name) {
  auto* edit = new QLineEdit(FromGbk(gbkText));
  edit->setCursorPosition(0);  // a long text shows its beginning
  edit->setObjectName(QString::fromLatin1(name));
  edit->setAccessibleName(QString::fromLatin1(name));
  return edit;
}

}  // namespace tavrel
