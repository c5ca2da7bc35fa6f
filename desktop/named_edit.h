// A line edit showing GBK text from its start, named for tests and accessibility.
#pragma once

#include <QLineEdit>
#include <string>

namespace tavrel {

QLineEdit* MakeNamedEdit(const std::string& gbkText, const char* name);

}  // namespace tavrel
