// The folder of the files the programs read and write: the settings (config.xml), the project
// (opc_db.xml), the browse files (servers/) and the logs (log/).
//
// A folder that holds the executables holds these files too, and runs where it lies (the
// build's ProgramDirectory, a copied folder, the Linux installation, which reaches its data
// through links). The Windows installer keeps them apart: the programs under Program Files,
// which only administrators may change, and their files under ProgramData. It records both
// folders under HKEY_LOCAL_MACHINE\SOFTWARE\Tavrel, as InstallDirectory and DataDirectory;
// the programs of that installation folder, and only those, use the recorded DataDirectory.
#pragma once

#include <string>

namespace tavrel {

// The files' folder for programs that lie in `programDirectory` (as ProgramDirectory() gives
// it), without a trailing separator.
std::string DataDirectory(const std::string& programDirectory);

}  // namespace tavrel
