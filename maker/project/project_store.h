// ProjectStore: the project file opc_db.xml of the maker, read when the editor opens and
// written when it closes.
//
// Load reads the servers, groups and tags (project_file.h); a missing file is an empty
// project. A file that exists but does not parse is an empty project as well, and LoadError()
// says why, so that the editor can tell the user before anything replaces the file. Save
// writes the whole tree over the file atomically; when the file it replaces is the one that
// did not parse, a copy of it is kept first as "<file>.bak" beside the file (beside the final
// target when the path is a symbolic link, as in an installation whose project lives in a data
// directory), and the save fails rather than replace it without that copy.
#pragma once

#include <string>

#include "common/project_file.h"
#include "maker/project/maker_project.h"

namespace tavrel {

inline constexpr char kBackupSuffix[] = ".bak";

class ProjectStore {
 public:
  explicit ProjectStore(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }
  // Where the copy of a file that did not parse is kept.
  std::string BackupPath() const;

  MakerProject Load();
  // Empty unless the last load found a file it could not read.
  const std::string& LoadError() const { return loadError_; }

  // False with the system's reason in `error` (e.g. "Permission denied") when the file could
  // not be written.
  bool Save(const MakerProject& project, std::string& error);

 private:
  std::string path_;
  std::string loadError_;
};

// The project file's record of a server: with its groups and tags, or its own attributes only.
enum class RecordDepth { kWithGroups, kServerOnly };
ProjectServerRecord ServerRecordOf(const ServerNode& server, RecordDepth depth);

}  // namespace tavrel
