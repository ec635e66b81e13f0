#pragma once
// The measurement stored behind the image data of a saved image file: saving an image with
// its measurement, and reading the measurement back after an image has been opened.
//
// Reading goes through the calibration dialog's rules exactly as if the user had filled the
// dialog and pressed "Ok", so a stored calibration is rounded and checked like a typed one. A damaged trailer is refused whole: the image opens with an empty
// measurement and the caller shows kDamagedTrailerMessage.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/user_text.h"
#include "app/document/measuring_document.h"
#include "app/storage/trailer_layout.h"
#include "imaging/formats/image_format.h"
#include "imaging/pixel_graphic.h"

namespace tesra {

inline constexpr const char* kDamagedTrailerMessage = QT_TRANSLATE_NOOP("Core", "The measurement stored in this file is damaged and was not loaded.");
inline constexpr const char* kDamagedTrailerCaption = "Tesra";
// Start of the sheet's second-phase notice after reading a trailer with a fraction set.
inline constexpr const char* kSecondPhaseNoticePrefix = "Second phase fraction set by calibration: ";

// A file that cannot be opened or read, with the system's message and the file name, or a
// line-set file that ends before its records do.
class StorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Opens a file for reading as a stream; a directory, a FIFO or a device is refused at once
// (never waited on). Throws StorageError with the file name and the system's message.
std::FILE* openForReading(const std::string& fileName);

// What reading a trailer did, for the caller to show.
struct TrailerReadResult {
    TrailerStatus status = TrailerStatus::Absent;
    // False only for a file of 256 bytes or less: nothing was done. The caller tells the
    // document's observers what was read.
    bool processed = false;
    // The stored calibration, fraction or factor was refused by the dialog's checks (the
    // calibration's fields keep the texts they had before; a refused fraction counts as not
    // set, a refused factor leaves the default).
    CalibrationFailure calibrationFailure = CalibrationFailure::None;
    // A message box to show (empty when none): the damaged-trailer text or the calibration
    // dialog's message, with its caption.
    std::string message;
    std::string caption;
    // For a damaged trailer: what was wrong and where (for a log or a developer).
    std::string detail;
    // Where the image data ends: the trailer's start, or the file's size when it has none;
    // 0 for a damaged trailer (the end is not known).
    std::uint64_t imageDataSize = 0;
};

// An image file whose bytes before the trailer encode the image as it is in memory: the file
// just opened (no filter applied since) or just saved. A later save of the measurement to the
// same file may keep those bytes instead of encoding the image again, as long as the file is
// still as recorded.
struct ImageFileState {
    std::string fileName;
    std::uint64_t imageDataSize = 0;   // the bytes before the trailer
    std::uint64_t size = 0;            // the file's size, modification time and first bytes
    std::int64_t modifiedNs = 0;       // then: a file written since by someone else differs
    std::vector<std::uint8_t> head;    // in at least one of them
};

// The state of `fileName` as it is on disk now, its image data ending at imageDataSize (0:
// nothing to keep); nullopt when the file cannot be read or is shorter than that.
std::optional<ImageFileState> CurrentImageFileState(const std::string& fileName, std::uint64_t imageDataSize);

// True when both states saw the same file content (size, modification time, first bytes).
bool SameFileContent(const ImageFileState& a, const ImageFileState& b);

// True when a save to `target` may keep the image data recorded in `state`: there is image
// data to keep, `target` is that file, and the file is still as recorded.
bool CanKeepImageData(const ImageFileState& state, const std::string& target);

// "Save" of a measurement whose image is unchanged: the file's bytes before its old trailer
// are kept byte for byte and the new trailer is written behind them, as one safe save. The
// caller checks CanKeepImageData first; a file that changes during the save throws
// EImageFile "<name>: the file changed while it was read", and the file stays as it was.
// Returns the file's new state.
ImageFileState SaveMeasurementKeepingImage(const ImageFileState& state, const MeasuringDocument& document);

// What the trailer writer stores for the document: the records, the calibration as
// "Kalibtiert" with the 80-bit values when the document is calibrated (else "Nicht
// Kalibtiert"), the remark (Windows-1252, first 255 characters), the second-phase fraction
// and the conversion factor.
TrailerContent TrailerContentOf(const MeasuringDocument& document);

// `WriteTrailer`: writes the document's trailer for image data of imageSize bytes to out.
// Throws TrailerError when the measurement cannot be stored (S beyond 32 bits).
void WriteTrailer(std::ostream& out, std::uint64_t imageSize, const MeasuringDocument& document);

// Writes a file of image data followed by the document's trailer, with S = the number of
// bytes writeImage produced. The file is written to a temporary file in the target's folder
// and renamed over the target only when complete; on any failure the temporary file is
// removed, an existing target is left untouched, and the error passes on (EImageFile with
// the system's message, or what writeImage threw). Symbolic links are followed.
// Image data of 2 GB or more cannot carry a trailer (S is a signed 32-bit offset): it is
// refused with TrailerError before anything is written when `minimumImageSize` already says
// so, otherwise as soon as the data passes the limit.
// Returns S.
std::uint64_t SaveWithTrailer(const std::string& fileName, const std::function<void(std::ostream&)>& writeImage,
                              const MeasuringDocument& document, std::uint64_t minimumImageSize = 0);

// "Save image": the image in the format of the file name's extension, then the trailer, as
// one safe save. The writer and colour resolution are settled (and the user asked) before
// any byte is written; a refused save writes nothing. Returns the saved file's state.
ImageFileState SaveImageWithMeasurement(const TPixelGraphic& image, const std::string& fileName,
                                        const MeasuringDocument& document, const FormatOptions& options = {});

// The last bytes of a file, as many as a trailer can take (kMaxTrailerSize, or the whole file
// when it is shorter), and the file's size. Throws StorageError when the file cannot be read.
std::vector<std::uint8_t> ReadFileTail(const std::string& fileName, std::uint64_t& fileSize);

// `ReadTrailer`: after "Open image" has loaded the image and reset the document, reads the
// trailer at the end of the file, if any, into the document. A stored calibration runs the
// dialog's close handling, which brings back the mode saved in `state`. Reads at most the
// last kMaxTrailerSize bytes. Throws StorageError when the file cannot be read; nothing has
// then entered the document.
TrailerReadResult ReadTrailer(const std::string& fileName, MeasuringDocument& document, EditState& state);

// The same over the end of a file already in memory (tail = the last bytes of a file of
// fileSize bytes, or the whole file).
TrailerReadResult ReadTrailer(std::span<const std::uint8_t> tail, std::uint64_t fileSize,
                              MeasuringDocument& document, EditState& state);

// Takes a parsed trailer into the document (the steps after the file has been read).
TrailerReadResult ApplyTrailer(const ParsedTrailer& parsed, MeasuringDocument& document, EditState& state);

}  // namespace tesra
