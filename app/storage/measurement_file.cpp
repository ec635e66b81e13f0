#include "app/storage/measurement_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <streambuf>
#include <vector>

#include "common/ansi_text.h"
#include "common/number_format.h"
#include "imaging/formats/mapped_file.h"
#include "imaging/formats/safe_save.h"
#include <sys/stat.h>
#include <unistd.h>

namespace tesra {

namespace {

// Passes everything on to another stream buffer and counts the bytes that got through, so
// that S is the exact size of what the image writer produced, whatever stream it wrote to.
// Data beyond what S can hold is not passed on: the stream fails and tooLarge() tells why.
class CountingBuffer : public std::streambuf {
public:
    explicit CountingBuffer(std::streambuf* target) : m_target(target) {}
    std::uint64_t count() const { return m_count; }
    bool tooLarge() const { return m_tooLarge; }

protected:
    int_type overflow(int_type ch) override
    {
        if (traits_type::eq_int_type(ch, traits_type::eof()))
            return traits_type::not_eof(ch);
        if (!room(1))
            return traits_type::eof();
        if (traits_type::eq_int_type(m_target->sputc(traits_type::to_char_type(ch)), traits_type::eof()))
            return traits_type::eof();
        ++m_count;
        return ch;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        if (!room(static_cast<std::uint64_t>(n)))
            return 0;
        const std::streamsize written = m_target->sputn(s, n);
        if (written > 0)
            m_count += static_cast<std::uint64_t>(written);
        return written;
    }
    int sync() override { return m_target->pubsync(); }

private:
    bool room(std::uint64_t n)
    {
        if (m_count + n > kMaxImageDataSize)
            m_tooLarge = true;
        return !m_tooLarge;
    }

    std::streambuf* m_target;
    std::uint64_t m_count = 0;
    bool m_tooLarge = false;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void throwSystemError(int error, const std::string& fileName)
{
    throw StorageError(fileName + ": " + std::strerror(error));
}

// The stored calibration goes into the dialog's fields and through its "Ok", so that it is
// rounded to the three decimals the fields show and checked like a typed one. A refused one
// leaves the fields as they were: the dialog never shows "NAN" or a text it refused.
CalibrationFailure applyCalibration(const StoredCalibration& stored, MeasuringDocument& doc, EditState& state)
{
    CalibrationModel& calibration = doc.calibrationTexts();
    CalibrationFields& fields = calibration.fields();
    const CalibrationFields before = fields;
    const NumberLocale& locale = calibration.locale();
    switch (stored.form) {
    case StoredCalibrationForm::NotCalibrated:
        return CalibrationFailure::None;
    case StoredCalibrationForm::Calibrated:
        fields.tPixel = FormatF(stored.pixelLength, 10, 3, locale);
        fields.tEcht = FormatF(stored.realLength, 10, 3, locale);
        break;
    case StoredCalibrationForm::Texts:
        fields.tPixel = AnsiToUtf8(stored.pixelText);
        fields.tEcht = AnsiToUtf8(stored.realText);
        break;
    }
    fields.tInfo = AnsiToUtf8(stored.remark);
    Measurement& measurement = doc.measurementForLoading();
    const CalibrationFailure failure = calibration.bOkClick(measurement);
    if (failure != CalibrationFailure::None) {
        fields = before;
        return failure;
    }
    calibration.FormClose(measurement.calibration, state);
    return failure;
}

// Bytes of a file's start kept in its state: enough to tell another image (or another
// encoding of it) written at the same size within the same clock tick.
constexpr std::uint64_t kStateHeadSize = 4096;

// Reads exactly n bytes; false at an error or an early end.
bool readFully(int fd, void* buffer, std::size_t n)
{
    auto* p = static_cast<char*>(buffer);
    while (n > 0) {
        const ssize_t got = ::read(fd, p, n);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

ImageFileState stateAfterSave(const std::string& fileName, std::uint64_t imageSize);

}  // namespace

std::FILE* openForReading(const std::string& fileName)
{
    int fd = -1;
    try {
        fd = openRegularFile(fileName);
    } catch (const EImageFile& e) {
        throw StorageError(e.what());
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        throwSystemError(error, fileName);
    }
    return file;
}

TrailerContent TrailerContentOf(const MeasuringDocument& document)
{
    const Measurement& measurement = document.measurement();
    TrailerContent content;
    content.lines.assign(measurement.lines().begin(), measurement.lines().end());
    content.intercepts.assign(measurement.intercepts().begin(), measurement.intercepts().end());
    content.segments.assign(measurement.segments().begin(), measurement.segments().end());
    const Calibration& cal = measurement.calibration;
    if (!document.calibrated()) {
        content.calibration.form = StoredCalibrationForm::NotCalibrated;
    } else {
        content.calibration.form = StoredCalibrationForm::Calibrated;
        content.calibration.pixelLength = cal.pixelLength;
        content.calibration.realLength = cal.realLength;
        std::string remark = Utf8ToAnsi(document.calibrationTexts().fields().tInfo);
        if (remark.size() > 255)
            remark.resize(255);
        content.calibration.remark = std::move(remark);
        content.calibration.unit = cal.unit;
    }
    content.secondPhasePercent = cal.secondPhasePercent;
    content.hasConversionFactor = true;
    content.conversionFactor = cal.conversionFactor;
    return content;
}

void WriteTrailer(std::ostream& out, std::uint64_t imageSize, const MeasuringDocument& document)
{
    const std::vector<std::uint8_t> bytes = EncodeTrailer(TrailerContentOf(document), imageSize);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint64_t SaveWithTrailer(const std::string& fileName, const std::function<void(std::ostream&)>& writeImage,
                              const MeasuringDocument& document, std::uint64_t minimumImageSize)
{
    if (minimumImageSize > kMaxImageDataSize)
        throw TrailerError(kImageDataTooLargeMessage);
    // Checked before the temporary file exists; only S has to wait for the image data.
    const TrailerContent content = TrailerContentOf(document);
    if (content.lines.size() > static_cast<std::size_t>(kMaxLines)
        || content.intercepts.size() > static_cast<std::size_t>(kMaxIntercepts)
        || content.segments.size() > static_cast<std::size_t>(kMaxSegments))
        throw TrailerError("The measurement has more records than a file can hold.");

    std::uint64_t imageSize = 0;
    safeSave(fileName, [&](std::ostream& out) {
        CountingBuffer counter(out.rdbuf());
        std::ostream image(&counter);
        try {
            writeImage(image);
            image.flush();
        } catch (...) {
            if (counter.tooLarge())
                throw TrailerError(kImageDataTooLargeMessage);
            throw;
        }
        if (counter.tooLarge())
            throw TrailerError(kImageDataTooLargeMessage);
        if (!image) {
            // The file's own buffer holds the system's reason; safeSave reports it.
            out.setstate(std::ios::badbit);
            return;
        }
        imageSize = counter.count();
        const std::vector<std::uint8_t> trailer = EncodeTrailer(content, imageSize);
        out.write(reinterpret_cast<const char*>(trailer.data()), static_cast<std::streamsize>(trailer.size()));
    });
    return imageSize;
}

ImageFileState SaveImageWithMeasurement(const TPixelGraphic& image, const std::string& fileName,
                                        const MeasuringDocument& document, const FormatOptions& options)
{
    const PreparedSave prepared(image, fileExtension(fileName), options);
    const std::uint64_t imageSize = SaveWithTrailer(
        fileName, [&](std::ostream& out) { prepared.write(out); }, document, prepared.minimumDataSize());
    return stateAfterSave(fileName, imageSize);
}

std::optional<ImageFileState> CurrentImageFileState(const std::string& fileName, std::uint64_t imageDataSize)
{
    int fd = -1;
    try {
        fd = openRegularFile(fileName);
    } catch (const EImageFile&) {
        return std::nullopt;
    }
    ImageFileState state;
    state.fileName = fileName;
    state.imageDataSize = imageDataSize;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok) {
        state.size = static_cast<std::uint64_t>(info.st_size);
        state.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        state.head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(state.size, kStateHeadSize)));
        ok = readFully(fd, state.head.data(), state.head.size());
    }
    ::close(fd);
    if (!ok || imageDataSize > state.size)
        return std::nullopt;
    return state;
}

bool SameFileContent(const ImageFileState& a, const ImageFileState& b)
{
    return a.size == b.size && a.modifiedNs == b.modifiedNs && a.head == b.head;
}

bool CanKeepImageData(const ImageFileState& state, const std::string& target)
{
    std::error_code error;
    if (state.imageDataSize == 0 || !std::filesystem::equivalent(target, state.fileName, error) || error)
        return false;
    const std::optional<ImageFileState> now = CurrentImageFileState(state.fileName, state.imageDataSize);
    return now && SameFileContent(*now, state);
}

ImageFileState SaveMeasurementKeepingImage(const ImageFileState& state, const MeasuringDocument& document)
{
    const std::string& fileName = state.fileName;
    const std::uint64_t imageSize = SaveWithTrailer(
        fileName,
        [&](std::ostream& out) {
            // The image data is copied as it stands in the file, piece by piece; a file that
            // is cut or written to meanwhile fails the save, which then leaves it as it is.
            const int fd = openRegularFile(fileName);
            std::vector<char> piece(1u << 20);
            std::uint64_t left = state.imageDataSize;
            bool ok = true;
            while (ok && left > 0 && out) {
                const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, piece.size()));
                ok = readFully(fd, piece.data(), n);
                out.write(piece.data(), static_cast<std::streamsize>(n));
                left -= n;
            }
            ::close(fd);
            if (!ok || !CanKeepImageData(state, fileName))
                throw EImageFile(fileChangedMessage(fileName));
        },
        document, state.imageDataSize);
    return stateAfterSave(fileName, imageSize);
}

std::vector<std::uint8_t> ReadFileTail(const std::string& fileName, std::uint64_t& fileSize)
{
    // Read-only: a write-protected image still gives its measurement.
    FilePtr file(openForReading(fileName));
    if (::fseeko(file.get(), 0, SEEK_END) != 0)
        throwSystemError(errno, fileName);
    const off_t size = ::ftello(file.get());
    if (size < 0)
        throwSystemError(errno, fileName);
    fileSize = static_cast<std::uint64_t>(size);
    const std::size_t want = fileSize < kMaxTrailerSize ? static_cast<std::size_t>(fileSize) : kMaxTrailerSize;
    std::vector<std::uint8_t> tail(want);
    if (::fseeko(file.get(), static_cast<off_t>(fileSize - want), SEEK_SET) != 0)
        throwSystemError(errno, fileName);
    errno = 0;
    if (want > 0 && std::fread(tail.data(), 1, want, file.get()) != want)
        throwSystemError(errno != 0 ? errno : EIO, fileName);
    return tail;
}

TrailerReadResult ReadTrailer(const std::string& fileName, MeasuringDocument& document, EditState& state)
{
    std::uint64_t fileSize = 0;
    const std::vector<std::uint8_t> tail = ReadFileTail(fileName, fileSize);
    return ReadTrailer(tail, fileSize, document, state);
}

TrailerReadResult ReadTrailer(std::span<const std::uint8_t> tail, std::uint64_t fileSize,
                              MeasuringDocument& document, EditState& state)
{
    const ParsedTrailer parsed = ParseTrailer(tail, fileSize);
    TrailerReadResult result = ApplyTrailer(parsed, document, state);
    result.imageDataSize = parsed.status == TrailerStatus::Found     ? parsed.start
                           : parsed.status == TrailerStatus::Damaged ? 0
                                                                      : fileSize;
    return result;
}

namespace {

// The state of a file just written by us; a file that cannot be read back has nothing worth
// keeping, and the next save encodes the image again.
ImageFileState stateAfterSave(const std::string& fileName, std::uint64_t imageSize)
{
    std::optional<ImageFileState> state = CurrentImageFileState(fileName, imageSize);
    if (state)
        return *state;
    ImageFileState none;
    none.fileName = fileName;
    return none;
}

}  // namespace

TrailerReadResult ApplyTrailer(const ParsedTrailer& parsed, MeasuringDocument& document, EditState& state)
{
    TrailerReadResult result;
    result.status = parsed.status;
    if (parsed.status == TrailerStatus::TooSmall)
        return result;
    result.processed = true;

    Measurement& measurement = document.measurementForLoading();
    Calibration& cal = measurement.calibration;
    CalibrationModel& texts = document.calibrationTexts();
    if (parsed.status == TrailerStatus::Found) {
        const TrailerContent& content = parsed.content;
        try {
            measurement.setRecords(content.lines, content.intercepts, content.segments);
        } catch (const MeasurementError& e) {
            result.status = TrailerStatus::Damaged;
            result.detail = e.what();
        }
        if (result.status == TrailerStatus::Found) {
            result.calibrationFailure = applyCalibration(content.calibration, document, state);
            // A file without the unit's mark was calibrated in µm, as everything was before.
            cal.unit = content.calibration.unit.value_or(kDefaultLengthUnit);
            // The stored fraction and factor pass the dialog's checks too: a value the dialog
            // would refuse (NaN, 150 %, a factor of 0) never reaches the sheet. A refused
            // fraction counts as not set, a refused factor leaves the default; the first
            // refusal is the one reported.
            long double fraction = content.secondPhasePercent;
            if (fraction != -1.0L && !IsValidSecondPhasePercent(fraction)) {
                fraction = -1.0L;
                if (result.calibrationFailure == CalibrationFailure::None)
                    result.calibrationFailure = CalibrationFailure::SecondPhase;
            }
            long double factor = content.hasConversionFactor ? content.conversionFactor : kDefaultConversionFactor;
            if (!IsValidConversionFactor(factor)) {
                factor = cal.conversionFactor;
                if (result.calibrationFailure == CalibrationFailure::None)
                    result.calibrationFailure = CalibrationFailure::ConversionFactor;
            }
            if (result.calibrationFailure != CalibrationFailure::None) {
                result.message = CalibrationFailureMessage(result.calibrationFailure);
                result.caption = kCalibrationMessageCaption;
            }
            cal.secondPhasePercent = fraction;
            texts.fields().tFremdPhase = fraction != -1.0L ? FormatN(fraction, 10, 3, texts.locale()) : std::string();
            cal.conversionFactor = factor;
        }
    }
    if (result.status == TrailerStatus::Damaged) {
        result.message = kDamagedTrailerMessage;
        result.caption = kDamagedTrailerCaption;
        if (result.detail.empty())
            result.detail = parsed.problem;
    }

    if (cal.secondPhasePercent != -1.0L)
        texts.showSecondPhaseNotice(kSecondPhaseNoticePrefix + FormatF(cal.secondPhasePercent, 6, 3, texts.locale())
                                    + " Vol%");
    else
        texts.showNoticeOf(cal);
    texts.fields().tFaktor = FormatN(cal.conversionFactor, 10, 3, texts.locale());
    return result;
}

}  // namespace tesra
