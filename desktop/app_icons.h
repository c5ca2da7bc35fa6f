// The application icons of the three programs, drawn rather than shipped: a rounded tile in the
// program's own colour with a white glyph, at 16, 24, 32, 48 and 64 pixels. The bridge and the
// manager both sit in the tray, so their tiles differ in colour and glyph.
#pragma once

#include <QIcon>
#include <string_view>

namespace tavrel {

enum class Program {
  kBridge,   // Tavrel: a bridge arch over a deck, on blue
  kManager,  // Morvane: a circular arrow round a dot (it restarts the bridge), on green
  kMaker,    // Keldrin: a tree of three nodes (the project it edits), on amber
};

QIcon ApplicationIcon(Program program);

// The program whose application name is `name` ("Tavrel", "Morvane", "Keldrin"); any other name
// is taken for the bridge.
Program ProgramNamed(std::string_view name);

}  // namespace tavrel
