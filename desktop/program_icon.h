// The programs' icon, drawn rather than shipped: a tree of three nodes on a blue tile.
#pragma once

#include <QIcon>

namespace tavrel {

QIcon ProgramIcon();

}  // namespace tavrel
