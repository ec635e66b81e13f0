#pragma once
// The byte layout of the measurement trailer that follows the image data in a saved image
// file, and its strict reader. This layer knows nothing of the sheet or the calibration
// dialog: it turns a measurement into bytes and bytes back into a checked TrailerContent.
//
// Layout (all integers little-endian, reals 80-bit extended, texts 256-byte blocks):
//   lineCount u16, 52-byte line records, interceptCount u16, 24-byte intercept records,
//   segmentCount u16, 16-byte segment records,
//   calibration block: "Kalibtiert" + pixel length + real length + remark block,
//                      or "Nicht Kalibtiert",
//                      or (read only) any other text = pixel length as text, then a block
//                      with the real length as text and the remark block,
//   secondPhasePercent, "PropFaktor" block + conversionFactor (the key may be missing, or
//   another block may stand in its place as the last one),
//   S (int32, offset of the trailer = size of the image data), tag block "Tesra1".
// The blocks must end exactly at S; a trailer with bytes left over is damaged.
//
// The unit of the real length (µm, nm, mm) rides inside the "Kalibtiert" block, behind the
// key, in bytes the layout gives no meaning: at kUnitMarkOffset the text "unit=" and the
// unit's code ("um", "nm", "mm") with a closing zero byte. Every reader of the layout reads
// the file as before; a block without the mark has no unit, and the unit is then µm.
// S stands at file size − 260 and the tag fills the last 256 bytes.
#include <climits>
#include <optional>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/measurement/length_unit.h"
#include "app/measurement/measurement.h"
#include "app/measurement/measurement_records.h"

namespace tesra {

// Fixed texts of the trailer, as stored.
inline constexpr const char* kTrailerTag = "Tesra1";
inline constexpr const char* kTrailerOldTag = "Morvanteklisar2";
inline constexpr const char* kCalibratedKey = "Kalibtiert";
inline constexpr const char* kNotCalibratedKey = "Nicht Kalibtiert";
inline constexpr const char* kConversionFactorKey = "PropFaktor";

inline constexpr std::size_t kTextBlockSize = 256;
// Where the unit's mark stands inside the "Kalibtiert" block (well behind its 11 bytes).
inline constexpr std::size_t kUnitMarkOffset = 32;
inline constexpr const char* kUnitMark = "unit=";
inline constexpr std::size_t kRealSize = 10;

// Files of this size or less are never looked at for a trailer.
inline constexpr std::uint64_t kMinTrailerFileSize = 257;

// The longest trailer that can be valid (full capacities, calibration as three text blocks).
// A reader needs no more than this many bytes from the end of the file.
inline constexpr std::size_t kMaxTrailerSize =
    2 + kTestLineRecordSize * kMaxLines + 2 + kInterceptRecordSize * kMaxIntercepts + 2 +
    kPhaseSegmentRecordSize * kMaxSegments + 3 * kTextBlockSize + kRealSize + kTextBlockSize +
    kRealSize + 4 + kTextBlockSize;

// How the calibration is stored.
enum class StoredCalibrationForm : std::uint8_t {
    NotCalibrated,  // "Nicht Kalibtiert"
    Calibrated,     // "Kalibtiert" with the two 80-bit values and the remark
    Texts           // any other text: pixel length, real length and remark as texts
};

struct StoredCalibration {
    StoredCalibrationForm form = StoredCalibrationForm::NotCalibrated;
    long double pixelLength = 0.0L;  // Calibrated form
    long double realLength = 0.0L;   // Calibrated form
    std::string pixelText;           // Texts form, Windows-1252
    std::string realText;            // Texts form, Windows-1252
    std::string remark;              // Calibrated and Texts forms, Windows-1252
    std::optional<LengthUnit> unit;  // Calibrated form: the unit's mark, when there is one
};

// Everything a trailer carries.
struct TrailerContent {
    std::vector<TestLine> lines;
    std::vector<Intercept> intercepts;
    std::vector<PhaseSegment> segments;
    StoredCalibration calibration;
    long double secondPhasePercent = -1.0L;  // -1 = not set
    bool hasConversionFactor = true;         // false: the "PropFaktor" key is missing
    long double conversionFactor = kDefaultConversionFactor;  // the default when the key is missing
    bool oldTag = false;                     // tagged "Morvanteklisar2"
};

// S is a signed 32-bit offset: image data of 2 GB or more cannot carry a trailer.
inline constexpr std::uint64_t kMaxImageDataSize = INT32_MAX;
inline constexpr const char* kImageDataTooLargeMessage =
    "The image data is too large (2 GB or more) to carry a measurement.";

// Refused on writing: more records than the capacities, or image data too large for S.
class TrailerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Size in bytes of the trailer that EncodeTrailer makes for the content.
std::size_t TrailerSize(const TrailerContent& content);

// The trailer bytes for image data of imageSize bytes (S). Text blocks are zero-filled
// behind their text; texts longer than 255 bytes are cut. Always writes the tag "Tesra1" and
// the "PropFaktor" key. Throws TrailerError when a count exceeds its capacity or imageSize
// does not fit a signed 32-bit S.
std::vector<std::uint8_t> EncodeTrailer(const TrailerContent& content, std::uint64_t imageSize);

enum class TrailerStatus : std::uint8_t {
    TooSmall,  // the file has 256 bytes or less: no trailer processing at all
    Absent,    // no tag at the end: a plain image
    Damaged,   // tagged, but S, a count, a record or a block is inconsistent
    Found      // content is complete and consistent
};

struct ParsedTrailer {
    TrailerStatus status = TrailerStatus::Absent;
    std::uint64_t start = 0;  // S, when found: where the image data ends
    std::string problem;      // for Damaged: what was wrong, with the offset (for developers)
    TrailerContent content;   // filled only when Found
};

// Reads the trailer from the last bytes of a file of fileSize bytes: tail holds the final
// tail.size() bytes (the whole file, or at least the last kMaxTrailerSize bytes). Never reads
// outside tail; checks every count, offset and reference before anything is kept, so a
// Damaged result carries no records at all.
ParsedTrailer ParseTrailer(std::span<const std::uint8_t> tail, std::uint64_t fileSize);

// The whole file in memory.
inline ParsedTrailer ParseTrailer(std::span<const std::uint8_t> file)
{
    return ParseTrailer(file, file.size());
}

}  // namespace tesra
