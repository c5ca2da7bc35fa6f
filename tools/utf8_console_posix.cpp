#include "tools/utf8_console.h"

namespace tavrel {

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

}  // namespace tavrel
