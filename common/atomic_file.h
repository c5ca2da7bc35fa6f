// Replacing a file so that readers see either the old content or the new one, never a part.
//
// The new content goes to a temporary file beside the target (same directory, so same file
// system), is flushed to the disk, and the temporary is renamed over the target. On any
// failure the temporary is removed and the target is left as it was. Temporaries of the target
// that writers killed mid-way left (their process gone, untouched for a minute) are removed
// first, so that kills during saves do not fill the disk.
//
// A replaced file keeps its permission bits; a new file gets 0666 less the umask, as a plain
// create would. Owner and group are those of the writing process. A symbolic link at `path`
// (or a chain of them) is followed: its final target is what gets replaced, with the temporary
// file beside the target, and the link stays as it was. This is how an installation folder
// whose project is a link into a writable data directory is saved. A link whose target does
// not exist yet has the target created; a chain longer than 40 links fails with ELOOP's text.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// The file that a write to `path` lands in: `path` itself, or the final target of the symbolic
// links at it, a relative target taken from the directory of the link that names it. Only the
// last component is followed; directories on the way are the system's to resolve. None, with
// errno set, when a link cannot be read or the chain does not end within 40 links.
std::optional<std::string> FinalTarget(std::string path);

// Writes `parts`, one after the other, as the new content of the file at `path`. On failure
// returns false with the system's error text in `error` (which is left alone on success).
bool ReplaceFileAtomically(const std::string& path, std::initializer_list<std::string_view> parts,
                           std::string& error);

}  // namespace tavrel
