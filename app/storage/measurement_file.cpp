#include "app/storage/measurement_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <streambuf>
#include <vector>

#include "app/common/ansi_text.h"
#include "app/common/number_format.h"
#include "imaging/formats/mapped_file.h"
#include "imaging/formats/safe_save.h"
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
// rounded to the three decimals the fields show and checked like a typed one.
CalibrationFailure applyCalibration(const StoredCalibration& stored, MeasurementDocument& doc)
{
    CalibrationFields& fields = doc.calibration.fields();
    const NumberLocale& locale = doc.calibration.locale();
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
    return doc.calibration.bOkClick(doc.measurement, doc.sheet, doc.state);
}

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

TrailerContent TrailerContentOf(const Measurement& measurement, const CalibrationModel& calibration)
{
    TrailerContent content;
    content.lines.assign(measurement.lines().begin(), measurement.lines().end());
    content.intercepts.assign(measurement.intercepts().begin(), measurement.intercepts().end());
    content.segments.assign(measurement.segments().begin(), measurement.segments().end());
    const Calibration& cal = measurement.calibration;
    if (calibration.fields().tPixel.empty()) {
        content.calibration.form = StoredCalibrationForm::NotCalibrated;
    } else {
        content.calibration.form = StoredCalibrationForm::Calibrated;
        content.calibration.pixelLength = cal.pixelLength;
        content.calibration.realLength = cal.realLength;
        std::string remark = Utf8ToAnsi(calibration.fields().tInfo);
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

void WriteTrailer(std::ostream& out, std::uint64_t imageSize, const Measurement& measurement,
                  const CalibrationModel& calibration)
{
    const std::vector<std::uint8_t> bytes = EncodeTrailer(TrailerContentOf(measurement, calibration), imageSize);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void SaveWithTrailer(const std::string& fileName, const std::function<void(std::ostream&)>& writeImage,
                     const Measurement& measurement, const CalibrationModel& calibration,
                     std::uint64_t minimumImageSize)
{
    if (minimumImageSize > kMaxImageDataSize)
        throw TrailerError(kImageDataTooLargeMessage);
    // Checked before the temporary file exists; only S has to wait for the image data.
    const TrailerContent content = TrailerContentOf(measurement, calibration);
    if (content.lines.size() > static_cast<std::size_t>(kMaxLines)
        || content.intercepts.size() > static_cast<std::size_t>(kMaxIntercepts)
        || content.segments.size() > static_cast<std::size_t>(kMaxSegments))
        throw TrailerError("The measurement has more records than a file can hold.");

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
        const std::vector<std::uint8_t> trailer = EncodeTrailer(content, counter.count());
        out.write(reinterpret_cast<const char*>(trailer.data()), static_cast<std::streamsize>(trailer.size()));
    });
}

void SaveImageWithMeasurement(const TPixelGraphic& image, const std::string& fileName,
                              const Measurement& measurement, const CalibrationModel& calibration,
                              const FormatOptions& options)
{
    const PreparedSave prepared(image, fileExtension(fileName), options);
    SaveWithTrailer(fileName, [&](std::ostream& out) { prepared.write(out); }, measurement, calibration,
                    prepared.minimumDataSize());
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

TrailerReadResult ReadTrailer(const std::string& fileName, MeasurementDocument document)
{
    std::uint64_t fileSize = 0;
    const std::vector<std::uint8_t> tail = ReadFileTail(fileName, fileSize);
    return ReadTrailer(tail, fileSize, document);
}

TrailerReadResult ReadTrailer(std::span<const std::uint8_t> tail, std::uint64_t fileSize,
                              MeasurementDocument document)
{
    return ApplyTrailer(ParseTrailer(tail, fileSize), document);
}

TrailerReadResult ApplyTrailer(const ParsedTrailer& parsed, MeasurementDocument document)
{
    TrailerReadResult result;
    result.status = parsed.status;
    if (parsed.status == TrailerStatus::TooSmall)
        return result;
    result.processed = true;

    Measurement& measurement = document.measurement;
    Calibration& cal = measurement.calibration;
    if (parsed.status == TrailerStatus::Found) {
        const TrailerContent& content = parsed.content;
        try {
            measurement.setRecords(content.lines, content.intercepts, content.segments);
        } catch (const MeasurementError& e) {
            result.status = TrailerStatus::Damaged;
            result.detail = e.what();
        }
        if (result.status == TrailerStatus::Found) {
            result.calibrationFailure = applyCalibration(content.calibration, document);
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
            long double factor = content.hasConversionFactor ? content.conversionFactor : 1.56L;
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
            document.calibration.fields().tFremdPhase =
                fraction != -1.0L ? FormatN(fraction, 10, 3, document.calibration.locale()) : std::string();
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
        document.sheet.showSecondPhaseNotice(kSecondPhaseNoticePrefix
                                             + FormatF(cal.secondPhasePercent, 6, 3, document.sheet.locale()) + " Vol%");
    else
        document.sheet.hideSecondPhaseNotice();
    document.calibration.fields().tFaktor = FormatN(cal.conversionFactor, 10, 3, document.calibration.locale());
    document.sheet.Recompute(measurement);
    return result;
}

}  // namespace tesra
