// Replacing a file so that readers see either the old content or the new one, never a part.
//
// The new content goes to a temporary file beside the target (same directory, so same file
// system), is flushed to the disk, and the temporary is renamed over the target. On any
// failure the temporary is removed and the target is left as it was.
//
// A replaced file keeps its permission bits; a new file gets 0666 less the umask, as a plain
// create would. Owner and group are those of the writing process. A symbolic link at `path`
// is replaced by a regular file rather than written through.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Writes `parts`, one after the other, as the new content of the file at `path`. On failure
// returns false with the system's error text in `error` (which is left alone on success).
bool ReplaceFileAtomically(const std::string& path, std::initializer_list<std::string_view> parts,
                           std::string& error);
