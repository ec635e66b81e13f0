#pragma once
// Writing a file so that a failure never leaves a half-written file behind: the content goes
// into a temporary file in the target's folder, which replaces the target (by rename) only when
// everything has been written and flushed. On failure the temporary file is removed and the
// target is untouched. A target that is a symbolic link is followed: the file it points to is
// replaced and the link stays. An existing target's permission bits are kept.
#include <functional>
#include <iosfwd>
#include <string>

namespace tesra {

// Writes the whole content of `fileName` through `write`. Exceptions from `write` pass through
// after the temporary file is removed. System failures throw EImageFile with the system's
// message and the file name.
void safeSave(const std::string& fileName, const std::function<void(std::ostream& out)>& write);

}  // namespace tesra
