// What the Windows installer does to the data folder (common/data_directory.h) beyond copying
// files. Its tables cannot say either, so its custom actions run the manager's program:
//
//   Morvane --restrict-data-folder   after the files are installed, as LocalSystem: the folder
//                                    and everything in it, now and later, may be changed by
//                                    LocalSystem (the service's account) and administrators
//                                    only, and read by users
//   Morvane --remove-data            at an uninstall given REMOVEDATA=1, before the programs
//                                    go: removes the files the programs keep there
//
// Both act on the data folder of the installation the program belongs to, never on a folder
// named on the command line.
#pragma once

#include <string>

namespace tavrel {

// The data folder's access list in the system's text form: protected (P: nothing inherited from
// ProgramData, which lets users add files), inherited by files and folders (OICI); full access
// (FA) for LocalSystem (SY) and administrators (BA); read, execute and list (0x1200a9) for
// users (BU).
inline constexpr wchar_t kDataFolderAccess[] =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Gives `folder` the access list kDataFolderAccess, which the system passes on to every file
// and folder in it. Returns "" on success, or what failed.
std::string RestrictDataFolder(const std::string& folder);

// The processes that use the data folder while they run (their working folder, the log): the
// manager's service, and the bridge it started.
struct DataFolderUsers {
  std::string serviceName;       // has ended once the service reports itself stopped
  std::string bridgeExecutable;  // has ended once no process of this account runs it
};

// Removes from `folder` what the programs keep there: the settings, the project and their
// unfinished temporaries, the log and browse folders, the crash dump. Files of others are kept.
// It first waits, for at most half a minute, for `users` to end: an installer may go on while
// the service it asked to stop is still stopping its bridge, and the folder cannot be removed
// while one of them works in it. The folder itself is left to the installer, which removes it
// once it is empty. Returns "" when nothing but the folder is left, or what was left and why.
std::string RemoveDataFiles(const std::string& folder, const DataFolderUsers& users);

}  // namespace tavrel
