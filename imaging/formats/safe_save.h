#pragma once
// Writing a file so that a failure or a kill never leaves a half-written file behind.
//
// The new content goes into an unnamed file in the target's folder (O_TMPFILE), which gets its
// name only when everything has been written and flushed; where the file system has no unnamed
// files, into a temporary file with a short fixed-length name (".tesra-" and six characters,
// so that a target name of the longest legal length still works), renamed over the target at
// the end. Either way the target is the old or the new file, complete. On failure the
// temporary file is removed and the target is untouched. Named temporary files that a killed
// save left behind (ours by name and owner, older than a minute) are removed from the folder
// before the next save there.
//
// The target is refused, before anything is written, when it exists and the user may not write
// it ("Permission denied", as the system would say; renaming over it would need only the
// folder's permission), or when it is not a regular file. A target that is a symbolic link is
// followed: the file it points to is replaced and the link stays. An existing target's
// permission bits are kept (the new file is made with them, so a private file's content is
// never readable by others), and its owner, group, extended attributes and access control
// lists where the system allows. A hard link to the old file keeps the old content: the
// target becomes a new file.
//
// A writable file in a folder where no new file can be made, or another user's writable file
// in a folder with the sticky bit (where only the owner may replace it), is written in place:
// the whole
// new content is prepared in memory first, room for it is reserved, and it is written in one
// go and flushed. That case gives up the protection against a crash, a kill or a power loss
// during the write (the file may then hold a mix of new and old content); a full disk is
// still found before the first byte is overwritten.
#include <functional>
#include <iosfwd>
#include <string>

namespace tesra {

// Writes the whole content of `fileName` through `write`. Exceptions from `write` pass through
// after the temporary file is removed, except when the file system refused a write (a full
// disk): then the system's message with the file name is thrown, whatever the writer made of
// the failing stream. System failures throw EImageFile "<fileName>: <system message>".
void safeSave(const std::string& fileName, const std::function<void(std::ostream& out)>& write);

namespace detail {
// Tests switch the unnamed temporary file off to exercise the named one.
void setUnnamedTemporaryAllowed(bool allowed);
}  // namespace detail

}  // namespace tesra
