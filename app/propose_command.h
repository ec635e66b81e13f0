#pragma once
// The window-less "--propose" mode: the proposed boundary crossings of an image's test lines
// as CSV on standard output, for scripts and batch work. The lines come from a line-set file,
// or else from the measurement stored in the image.
#include <iosfwd>
#include <string>

namespace tesra {

struct ProposeRequest {
    std::string image;
    std::string lineSet;  // empty: the lines stored in the image
    bool brightBoundaries = false;
};

// Writes the header "line,x,y,type" and one row per proposal to out (x and y in image
// pixels with two decimals and a point, type 1 or 3); reports errors on err. Returns the
// process exit code: 0 on success (also when there are no lines), 1 when the image or the
// line set cannot be read.
int RunProposeCommand(const ProposeRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tesra
