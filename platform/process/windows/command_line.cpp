#include "platform/process/windows/command_line.h"

#include "common/code_page.h"

namespace tavrel {

namespace {

// Appends `argument` as one argument: backslashes are literal except before a double quote (or
// the closing quote), where each is doubled, and a double quote is escaped with one.
void AppendArgument(WideStringView argument, WideString& line) {
  if (!argument.empty() && argument.find_first_of(OLESTR(" \t\n\v\"")) == WideStringView::npos) {
    line += argument;
    return;
  }
  line += OLESTR('"');
  std::size_t backslashes = 0;
  for (const WCHAR character : argument) {
    if (character == OLESTR('\\')) {
      ++backslashes;
      continue;
    }
    const std::size_t escaped = character == OLESTR('"') ? backslashes * 2 + 1 : backslashes;
    line.append(escaped, OLESTR('\\'));
    backslashes = 0;
    line += character;
  }
  line.append(backslashes * 2, OLESTR('\\'));
  line += OLESTR('"');
}

}  // namespace

WideString CommandLine(const std::string& path, const std::vector<std::string>& arguments) {
  WideString line;
  AppendArgument(AnsiToWide(path), line);
  for (const std::string& argument : arguments) {
    line += OLESTR(' ');
    AppendArgument(AnsiToWide(argument), line);
  }
  return line;
}

}  // namespace tavrel
