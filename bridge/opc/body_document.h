// The start of every document the bridge builds for a reply or a browse: the GBK declaration
// line, then `root` with `ver` 0, entered, so that the next AddElement adds its first child.
#pragma once

#include "common/markup_document.h"

namespace tavrel {

MarkupDocument NewBodyDocument();

}  // namespace tavrel
