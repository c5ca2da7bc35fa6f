// Text at the widget edge: GBK inside the programs, QString (UTF-16) in the widgets.
//
// The conversions go through the code-page layer, so a widget shows exactly what the
// programs' files and messages hold, and what a user types comes back in the system code page
// (a character GBK cannot hold becomes "?").
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tavrel {

QString FromGbk(std::string_view gbk);
std::string ToGbk(const QString& text);

}  // namespace tavrel
