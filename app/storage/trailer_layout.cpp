#include "app/storage/trailer_layout.h"

#include <cstring>
#include <string_view>

#include "common/ansi_text.h"
#include "common/extended_real.h"

namespace tesra {

namespace {

std::size_t calibrationSize(const StoredCalibration& calibration)
{
    switch (calibration.form) {
    case StoredCalibrationForm::NotCalibrated:
        return kTextBlockSize;
    case StoredCalibrationForm::Calibrated:
        return kTextBlockSize + 2 * kRealSize + kTextBlockSize;
    case StoredCalibrationForm::Texts:
        return 3 * kTextBlockSize;
    }
    return kTextBlockSize;
}

// Appends to a byte vector field by field.
class Writer {
public:
    explicit Writer(std::vector<std::uint8_t>& out) : m_out(out) {}

    std::uint8_t* grow(std::size_t n)
    {
        const std::size_t at = m_out.size();
        m_out.resize(at + n, 0);
        return m_out.data() + at;
    }
    void u16(std::uint16_t v)
    {
        std::uint8_t* p = grow(2);
        p[0] = static_cast<std::uint8_t>(v & 0xFF);
        p[1] = static_cast<std::uint8_t>(v >> 8);
    }
    void i32(std::int32_t value)
    {
        const auto v = static_cast<std::uint32_t>(value);
        std::uint8_t* p = grow(4);
        for (int i = 0; i < 4; ++i)
            p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
    }
    void real(long double v) { EncodeExtended(v, grow(kRealSize)); }
    void text(std::string_view ansi) { WriteTextBlock(ansi, grow(kTextBlockSize)); }

private:
    std::vector<std::uint8_t>& m_out;
};

// Reads the tail of a file by absolute file offsets. Every read is checked against the
// bytes at hand and against a limit (the start of S for the body of the trailer), so that
// nothing is ever read beyond the end of the file or into S and the tag.
class Reader {
public:
    Reader(std::span<const std::uint8_t> tail, std::uint64_t fileSize)
        : m_tail(tail), m_base(fileSize - tail.size()), m_size(fileSize)
    {
    }

    // The n bytes at absolute offset at, or nullptr when they are not all below limit or
    // not all at hand.
    const std::uint8_t* bytes(std::uint64_t at, std::uint64_t n, std::uint64_t limit) const
    {
        if (at < m_base || at > limit || n > limit - at || limit > m_size)
            return nullptr;
        return m_tail.data() + (at - m_base);
    }

    std::uint64_t base() const { return m_base; }

private:
    std::span<const std::uint8_t> m_tail;
    std::uint64_t m_base;
    std::uint64_t m_size;
};

std::uint16_t getU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::int32_t getI32(const std::uint8_t* p)
{
    const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8)
                            | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return static_cast<std::int32_t>(v);
}

// The unit's mark inside the "Kalibtiert" block: "unit=", the code and a zero byte.
void writeUnitMark(LengthUnit unit, std::uint8_t* block)
{
    std::string mark = std::string(kUnitMark) + LengthUnitCode(unit);
    std::memcpy(block + kUnitMarkOffset, mark.c_str(), mark.size() + 1);
}

std::optional<LengthUnit> readUnitMark(const std::uint8_t* block)
{
    const char* mark = reinterpret_cast<const char*>(block + kUnitMarkOffset);
    const std::size_t markLength = std::strlen(kUnitMark);
    if (std::memcmp(mark, kUnitMark, markLength) != 0)
        return std::nullopt;
    // Older files may hold any bytes here; only a known code closed by a zero byte counts.
    const std::size_t room = kTextBlockSize - kUnitMarkOffset - markLength;
    const std::string_view rest(mark + markLength, room);
    const std::size_t end = rest.find('\0');
    if (end == std::string_view::npos)
        return std::nullopt;
    return ParseLengthUnit(rest.substr(0, end));
}

ParsedTrailer damaged(std::string problem)
{
    ParsedTrailer result;
    result.status = TrailerStatus::Damaged;
    result.problem = std::move(problem);
    return result;
}

std::string at(std::uint64_t offset)
{
    return " (at offset " + std::to_string(offset) + ")";
}

}  // namespace

std::size_t TrailerSize(const TrailerContent& content)
{
    return 2 + kTestLineRecordSize * content.lines.size() + 2 +
           kInterceptRecordSize * content.intercepts.size() + 2 +
           kPhaseSegmentRecordSize * content.segments.size() + calibrationSize(content.calibration) +
           kRealSize + kTextBlockSize + kRealSize + 4 + kTextBlockSize;
}

std::vector<std::uint8_t> EncodeTrailer(const TrailerContent& content, std::uint64_t imageSize)
{
    if (content.lines.size() > static_cast<std::size_t>(kMaxLines)
        || content.intercepts.size() > static_cast<std::size_t>(kMaxIntercepts)
        || content.segments.size() > static_cast<std::size_t>(kMaxSegments))
        throw TrailerError("The measurement has more records than a file can hold.");
    if (imageSize > kMaxImageDataSize)
        throw TrailerError(kImageDataTooLargeMessage);

    std::vector<std::uint8_t> out;
    out.reserve(TrailerSize(content));
    Writer w(out);
    w.u16(static_cast<std::uint16_t>(content.lines.size()));
    for (const TestLine& line : content.lines)
        encodeTestLine(line, w.grow(kTestLineRecordSize));
    w.u16(static_cast<std::uint16_t>(content.intercepts.size()));
    for (const Intercept& intercept : content.intercepts)
        encodeIntercept(intercept, w.grow(kInterceptRecordSize));
    w.u16(static_cast<std::uint16_t>(content.segments.size()));
    for (const PhaseSegment& segment : content.segments)
        encodePhaseSegment(segment, w.grow(kPhaseSegmentRecordSize));

    const StoredCalibration& cal = content.calibration;
    switch (cal.form) {
    case StoredCalibrationForm::NotCalibrated:
        w.text(kNotCalibratedKey);
        break;
    case StoredCalibrationForm::Calibrated:
        w.text(kCalibratedKey);
        if (cal.unit)
            writeUnitMark(*cal.unit, out.data() + out.size() - kTextBlockSize);
        w.real(cal.pixelLength);
        w.real(cal.realLength);
        w.text(cal.remark);
        break;
    case StoredCalibrationForm::Texts:
        w.text(cal.pixelText);
        w.text(cal.realText);
        w.text(cal.remark);
        break;
    }
    w.real(content.secondPhasePercent);
    w.text(kConversionFactorKey);
    w.real(content.conversionFactor);
    w.i32(static_cast<std::int32_t>(imageSize));
    w.text(kTrailerTag);
    return out;
}

ParsedTrailer ParseTrailer(std::span<const std::uint8_t> tail, std::uint64_t fileSize)
{
    ParsedTrailer result;
    if (fileSize < kMinTrailerFileSize) {
        result.status = TrailerStatus::TooSmall;
        return result;
    }
    if (tail.size() > fileSize)
        tail = tail.last(static_cast<std::size_t>(fileSize));
    const Reader r(tail, fileSize);

    const std::uint8_t* tag = r.bytes(fileSize - kTextBlockSize, kTextBlockSize, fileSize);
    if (!tag)
        return result;  // the caller handed too little; nothing recognisable
    const bool newTag = TextBlockIs(tag, kTrailerTag);
    const bool oldTag = !newTag && TextBlockIs(tag, kTrailerOldTag);
    if (!newTag && !oldTag)
        return result;  // a plain image

    if (fileSize < kTextBlockSize + 4)
        return damaged("The file is too short to hold the trailer's start offset.");
    const std::uint64_t end = fileSize - kTextBlockSize - 4;  // where S stands
    const std::uint8_t* startField = r.bytes(end, 4, fileSize);
    if (!startField)
        return damaged("The trailer's start offset is not at hand" + at(end));
    const std::int32_t storedStart = getI32(startField);
    if (storedStart < 0 || static_cast<std::uint64_t>(storedStart) > end)
        return damaged("The trailer's start offset " + std::to_string(storedStart) + " lies outside the image data" + at(end));
    const auto start = static_cast<std::uint64_t>(storedStart);
    if (start < r.base())
        return damaged("The trailer's start offset " + std::to_string(start)
                       + " makes it longer than any measurement can be" + at(end));

    std::uint64_t pos = start;
    // The next n bytes of the body, which must end before S.
    auto take = [&](std::uint64_t n) -> const std::uint8_t* {
        const std::uint8_t* p = r.bytes(pos, n, end);
        if (p)
            pos += n;
        return p;
    };
    // A count followed by its records, checked against the capacity and the room left.
    auto takeCount = [&](const char* what, int capacity, std::size_t recordSize, int& count) -> std::string {
        const std::uint64_t countAt = pos;
        const std::uint8_t* p = take(2);
        if (!p)
            return std::string("No room for the ") + what + " count" + at(countAt);
        count = getU16(p);
        if (count > capacity)
            return std::string("The ") + what + " count " + std::to_string(count) + " exceeds the capacity of "
                   + std::to_string(capacity) + at(countAt);
        if (!r.bytes(pos, static_cast<std::uint64_t>(count) * recordSize, end))
            return std::string("The ") + what + " count " + std::to_string(count)
                   + " does not fit between the trailer's start and its end" + at(countAt);
        return {};
    };

    TrailerContent content;
    content.oldTag = oldTag;

    int lineCount = 0;
    if (std::string problem = takeCount("line", kMaxLines, kTestLineRecordSize, lineCount); !problem.empty())
        return damaged(problem);
    content.lines.reserve(static_cast<std::size_t>(lineCount));
    for (int i = 0; i < lineCount; ++i)
        content.lines.push_back(decodeTestLine(take(kTestLineRecordSize)));

    int interceptCount = 0;
    if (std::string problem = takeCount("intercept", kMaxIntercepts, kInterceptRecordSize, interceptCount);
        !problem.empty())
        return damaged(problem);
    content.intercepts.reserve(static_cast<std::size_t>(interceptCount));
    for (int k = 1; k <= interceptCount; ++k) {
        const std::uint64_t recordAt = pos;
        const Intercept intercept = decodeIntercept(take(kInterceptRecordSize));
        if (intercept.line < 1 || intercept.line > lineCount)
            return damaged("Intercept " + std::to_string(k) + " names line " + std::to_string(intercept.line)
                           + ", which does not exist" + at(recordAt));
        if (intercept.type < 1 || intercept.type > 6)
            return damaged("Intercept " + std::to_string(k) + " has the unknown type "
                           + std::to_string(static_cast<int>(intercept.type)) + at(recordAt));
        content.intercepts.push_back(intercept);
    }

    int segmentCount = 0;
    if (std::string problem = takeCount("segment", kMaxSegments, kPhaseSegmentRecordSize, segmentCount);
        !problem.empty())
        return damaged(problem);
    content.segments.reserve(static_cast<std::size_t>(segmentCount));
    for (int s = 1; s <= segmentCount; ++s) {
        const std::uint64_t recordAt = pos;
        const PhaseSegment segment = decodePhaseSegment(take(kPhaseSegmentRecordSize));
        if (segment.first < 1 || segment.first > interceptCount || segment.second < 1
            || segment.second > interceptCount)
            return damaged("Segment " + std::to_string(s) + " joins intercepts " + std::to_string(segment.first)
                           + " and " + std::to_string(segment.second) + ", which do not both exist" + at(recordAt));
        const int firstLine = content.intercepts[segment.first - 1].line;
        if (content.intercepts[segment.second - 1].line != firstLine || segment.line != firstLine)
            return damaged("Segment " + std::to_string(s) + " joins intercepts of different lines" + at(recordAt));
        content.segments.push_back(segment);
    }

    StoredCalibration& cal = content.calibration;
    const std::uint64_t calibrationAt = pos;
    const std::uint8_t* block = take(kTextBlockSize);
    if (!block)
        return damaged("No room for the calibration block" + at(calibrationAt));
    if (TextBlockIs(block, kNotCalibratedKey)) {
        cal.form = StoredCalibrationForm::NotCalibrated;
    } else if (TextBlockIs(block, kCalibratedKey)) {
        const std::uint8_t* pixel = take(kRealSize);
        const std::uint8_t* real = pixel ? take(kRealSize) : nullptr;
        const std::uint8_t* remark = real ? take(kTextBlockSize) : nullptr;
        if (!remark)
            return damaged("No room for the calibration values" + at(calibrationAt));
        cal.form = StoredCalibrationForm::Calibrated;
        cal.unit = readUnitMark(block);
        cal.pixelLength = DecodeExtended(pixel);
        cal.realLength = DecodeExtended(real);
        cal.remark = TextBlockText(remark);
    } else {
        const std::uint8_t* real = take(kTextBlockSize);
        const std::uint8_t* remark = real ? take(kTextBlockSize) : nullptr;
        if (!remark)
            return damaged("No room for the calibration texts" + at(calibrationAt));
        cal.form = StoredCalibrationForm::Texts;
        cal.pixelText = TextBlockText(block);
        cal.realText = TextBlockText(real);
        cal.remark = TextBlockText(remark);
    }

    const std::uint64_t percentAt = pos;
    const std::uint8_t* percent = take(kRealSize);
    if (!percent)
        return damaged("No room for the second-phase fraction" + at(percentAt));
    content.secondPhasePercent = DecodeExtended(percent);

    // The key block may reach into S and the tag: a trailer written without the key has S
    // right here, and its bytes are simply not the key.
    const std::uint64_t keyAt = pos;
    const std::uint8_t* key = r.bytes(keyAt, kTextBlockSize, fileSize);
    if (key && TextBlockIs(key, kConversionFactorKey)) {
        pos += kTextBlockSize;
        const std::uint8_t* factor = take(kRealSize);
        if (!factor)
            return damaged("No room for the conversion factor" + at(keyAt));
        content.hasConversionFactor = true;
        content.conversionFactor = DecodeExtended(factor);
    } else {
        content.hasConversionFactor = false;
        content.conversionFactor = kDefaultConversionFactor;
        // Another block in the key's place is read over, as long as it is the last one.
        if (key && keyAt + kTextBlockSize == end)
            pos = end;
    }
    // The blocks must end exactly where S stands. Anything left over means a block was
    // damaged (a changed byte in the key before its value) or bytes were cut out of or added
    // inside the trailer.
    if (pos != end)
        return damaged("The trailer's blocks end at " + std::to_string(pos) + ", not at its end " + std::to_string(end)
                       + at(keyAt));

    result.status = TrailerStatus::Found;
    result.start = start;
    result.content = std::move(content);
    return result;
}

}  // namespace tesra
