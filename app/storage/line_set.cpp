#include "app/storage/line_set.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>
#include <vector>

#include "common/ansi_text.h"
#include "app/measurement/measurement_records.h"
#include "imaging/formats/safe_save.h"

namespace tesra {

namespace {

constexpr std::size_t kHeaderSize = 256;
constexpr std::size_t kCountEnd = kHeaderSize + 2;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The header text must stand at the start: its length byte and its 23 characters.
bool startsWithHeader(std::span<const std::uint8_t> bytes)
{
    const std::size_t n = std::strlen(kLineSetHeader);
    if (bytes.size() < n + 1 || bytes[0] != n)
        return false;
    return std::memcmp(bytes.data() + 1, kLineSetHeader, n) == 0;
}

std::string lineCountText(int n)
{
    return FillIn(UserText(n == 1 ? QT_TRANSLATE_NOOP("Core", "%1 line") : QT_TRANSLATE_NOOP("Core", "%1 lines")),
                  {std::to_string(n)});
}

// Takes the checked records into the measurement (the steps after the file has been read).
LineSetLoadResult addLines(std::span<const std::uint8_t> records, int count, int imageWidth, int imageHeight,
                           Measurement& measurement)
{
    LineSetLoadResult result;
    result.headerMatched = true;
    const int oldCount = measurement.lineCount();
    for (int k = 0; k < count; ++k) {
        // Bytes 18 to 37 (weightedCount, secondPhaseLength) are discarded: the line starts
        // without intercepts and segments.
        const TestLine line = decodeTestLine(records.data() + static_cast<std::size_t>(k) * kTestLineRecordSize);
        // Only the second end point is tested, as stored files have always been loaded.
        // A length that is no number would show as NAN in every cell of the line's row.
        if (line.x2 > imageWidth || line.y2 > imageHeight || !std::isfinite(line.length)) {
            ++result.dropped;
            continue;
        }
        const int index = measurement.appendLine(line);
        if (index == 0) {  // the 300 lines are reached: the rest counts as dropped
            ++result.dropped;
            continue;
        }
        ++result.added;
    }
    if (result.dropped > 0)
        result.message = std::to_string(result.dropped) + UserText(kLinesDroppedText);

    for (int n = oldCount + 1; n <= measurement.lineCount(); ++n) {
        const TestLine& line = measurement.line(n);
        if (line.isCircle)
            continue;
        const PixelPoint first{line.x1, line.y1};
        const PixelPoint second{line.x2, line.y2};
        measurement.AddIntercept(first, n, itStartEndInGrain);
        measurement.AddIntercept(second, n, itStartEndInGrain);
        result.typeReset = true;
    }
    return result;
}

std::string shortFileMessage(const std::string& fileName, int count, std::uint64_t records)
{
    std::string text =
        FillIn(UserText(QT_TRANSLATE_NOOP("Core", "The line set ends before its %1 (it holds %2); no line was loaded.")),
               {lineCountText(count), lineCountText(static_cast<int>(records))});
    return fileName.empty() ? text : fileName + ": " + text;
}

}  // namespace

std::vector<std::uint8_t> EncodeLineSet(const Measurement& measurement)
{
    const std::size_t count = std::min<std::size_t>(measurement.lines().size(), kMaxLines);
    std::vector<std::uint8_t> out(kCountEnd + count * kTestLineRecordSize, 0);
    WriteTextBlock(kLineSetHeader, out.data());
    out[kHeaderSize] = static_cast<std::uint8_t>(count & 0xFF);
    out[kHeaderSize + 1] = static_cast<std::uint8_t>(count >> 8);
    for (std::size_t i = 0; i < count; ++i)
        encodeTestLine(measurement.lines()[i], out.data() + kCountEnd + i * kTestLineRecordSize);
    return out;
}

void SaveLineSet(const std::string& fileName, const Measurement& measurement)
{
    const std::vector<std::uint8_t> bytes = EncodeLineSet(measurement);
    safeSave(fileName, [&](std::ostream& out) {
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    });
}

LineSetLoadResult LoadLineSet(std::span<const std::uint8_t> file, int imageWidth, int imageHeight,
                              Measurement& measurement)
{
    if (!startsWithHeader(file))
        return {};
    if (file.size() < kCountEnd)
        throw StorageError(UserText(QT_TRANSLATE_NOOP("Core", "The line set ends before its line count; no line was loaded.")));
    const int count = file[kHeaderSize] | (file[kHeaderSize + 1] << 8);
    const std::uint64_t records = (file.size() - kCountEnd) / kTestLineRecordSize;
    if (records < static_cast<std::uint64_t>(count))
        throw StorageError(shortFileMessage({}, count, records));
    return addLines(file.subspan(kCountEnd), count, imageWidth, imageHeight, measurement);
}

LineSetLoadResult LoadLineSet(const std::string& fileName, int imageWidth, int imageHeight,
                              Measurement& measurement)
{
    FilePtr file(openForReading(fileName));
    // Header and count first; only as many bytes as the count names are read after them, so a
    // large file chosen by mistake costs nothing.
    std::vector<std::uint8_t> bytes(kCountEnd);
    errno = 0;
    const std::size_t head = std::fread(bytes.data(), 1, kCountEnd, file.get());
    if (head < kCountEnd && std::ferror(file.get()))
        throw StorageError(fileName + ": " + std::strerror(errno != 0 ? errno : EIO));
    bytes.resize(head);
    if (!startsWithHeader(bytes))
        return {};
    if (head < kCountEnd)
        throw StorageError(fileName + ": The line set ends before its line count; no line was loaded.");
    const int count = bytes[kHeaderSize] | (bytes[kHeaderSize + 1] << 8);
    const std::size_t want = static_cast<std::size_t>(count) * kTestLineRecordSize;
    bytes.resize(kCountEnd + want);
    errno = 0;
    const std::size_t got = std::fread(bytes.data() + kCountEnd, 1, want, file.get());
    if (got < want && std::ferror(file.get()))
        throw StorageError(fileName + ": " + std::strerror(errno != 0 ? errno : EIO));
    if (got < want)
        throw StorageError(shortFileMessage(fileName, count, got / kTestLineRecordSize));
    return addLines(std::span<const std::uint8_t>(bytes).subspan(kCountEnd), count, imageWidth, imageHeight,
                    measurement);
}

}  // namespace tesra
