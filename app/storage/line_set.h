#pragma once
// Line-set files (*.lin): a layout of test lines and circles carried from one image to
// another. Layout: a 256-byte header block holding "Morvanteklisar1.Linien1", the number of
// lines N (unsigned 16-bit, little-endian) and N 52-byte line records; nothing follows.
#include <cstdint>
#include <span>
#include <string>

#include "common/user_text.h"
#include "app/measurement/measurement.h"
#include "app/storage/measurement_file.h"

namespace tesra {

inline constexpr const char* kLineSetHeader = "Morvanteklisar1.Linien1";
inline constexpr const char* kLoadLinesCaption = QT_TRANSLATE_NOOP("Core", "Load lines");
// Follows the number of dropped lines in the information box after loading.
inline constexpr const char* kLinesDroppedText = QT_TRANSLATE_NOOP("Core", " linies droped (partially outside image)");

// What loading a line set did.
struct LineSetLoadResult {
    bool headerMatched = false;  // false: not a line set; nothing was done (no message)
    int added = 0;               // lines appended to the measurement
    int dropped = 0;             // records outside the image, with a length that is no
                                 // finite number, or beyond the 300 lines
    bool typeReset = false;      // a straight line came in: the caller sets currentType to 1
                                 // and presses `bTyp1`
    // The information box to show (caption kLoadLinesCaption), empty when nothing was dropped.
    std::string message;
};

// `SaveLineSet`: writes the measurement's lines. Written to a temporary file and renamed
// over fileName only when complete; throws EImageFile with the system's message on failure,
// leaving an existing file untouched.
void SaveLineSet(const std::string& fileName, const Measurement& measurement);

// The bytes of a line-set file for the measurement's lines (header text block zero-filled).
std::vector<std::uint8_t> EncodeLineSet(const Measurement& measurement);

// `LoadLineSet`: appends the lines of the file whose second end point lies within the image
// (x2 <= imageWidth, y2 <= imageHeight) and whose length is a finite number, up to 300
// lines, and gives each new straight line its two type-V end intercepts. The program does it
// as one step of the document's history (one undo takes the whole set back).
// Throws StorageError when the file cannot be read or ends before its records; nothing has
// then been added.
LineSetLoadResult LoadLineSet(const std::string& fileName, int imageWidth, int imageHeight,
                              Measurement& measurement);

// The same over a file already in memory.
LineSetLoadResult LoadLineSet(std::span<const std::uint8_t> file, int imageWidth, int imageHeight,
                              Measurement& measurement);

}  // namespace tesra
