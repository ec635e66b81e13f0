#pragma once
// The manual's pages and the help contexts that windows carry: F1 in a window opens the page
// of its context, "Help" opens the contents.
#include <string>

namespace tesra {

// Help-context numbers. A window (or a view inside it) carries one; 0 means "no context of
// its own" and leads to the contents.
namespace help {
inline constexpr int kContents = 0;
inline constexpr int kImageWindow = 1000;
inline constexpr int kMainWindow = 1010;     // ours: the frame and its toolbars
inline constexpr int kGreyWindow = 3130;
inline constexpr int kGreyProfile = 3131;
inline constexpr int kGreyHistogram = 3132;
inline constexpr int kGreySegments = 3133;
inline constexpr int kResultSheet = 3140;    // ours: the result sheet
inline constexpr int kCalibration = 3150;
inline constexpr int kSpecimen = 3160;      // ours: the specimen window
}  // namespace help

// The help file's name; it is looked for in the program's own directory.
inline constexpr const char* kHelpFileName = "Tesra.hlp";

// The manual page for a help context, as a path inside the manual ("image.html#top");
// an unknown context gives the contents page "index.html".
std::string HelpPageForContext(int context);

// True when the context has a page of its own (not just the contents).
bool HasHelpPage(int context);

}  // namespace tesra
