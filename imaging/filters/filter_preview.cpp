#include "imaging/filters/filter_preview.h"

#include <algorithm>
#include <vector>

namespace tesra {

PreviewSize FitPreviewSize(int width, int height, int maxWidth, int maxHeight)
{
    if (width <= 0 || height <= 0 || maxWidth <= 0 || maxHeight <= 0)
        return {};
    if (width <= maxWidth && height <= maxHeight)
        return {width, height};
    // The side that overflows more sets the scale; the other is rounded to nearest.
    const std::int64_t w = width;
    const std::int64_t h = height;
    if (w * maxHeight >= h * maxWidth)
        return {maxWidth, static_cast<int>(std::max<std::int64_t>(1, (h * maxWidth + w / 2) / w))};
    return {static_cast<int>(std::max<std::int64_t>(1, (w * maxHeight + h / 2) / h)), maxHeight};
}

TPixelGraphic ScalePreview(const TPixelGraphic& source, int maxWidth, int maxHeight, ProgressSink* progress)
{
    const PreviewSize size = FitPreviewSize(source.Width(), source.Height(), maxWidth, maxHeight);
    TPixelGraphic target;
    ProgressScope scope(progress, source.Height());
    if (size.width == 0)
        return target;
    target.SetSize(size.width, size.height, TPixelFormat::pf24Bit);

    const int sw = source.Width();
    const int sh = source.Height();
    // Source columns of each target column: [x0, x1).
    std::vector<int> columnStart(static_cast<std::size_t>(size.width) + 1);
    for (int x = 0; x <= size.width; ++x)
        columnStart[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<std::int64_t>(x) * sw / size.width);

    std::vector<std::uint64_t> sums(static_cast<std::size_t>(size.width) * 3);
    std::vector<std::uint8_t> rowBytes(source.PixelFormat() == TPixelFormat::pf24Bit ? 0 : 3 * static_cast<std::size_t>(sw));
    for (int ty = 0; ty < size.height; ++ty) {
        const int y0 = static_cast<int>(static_cast<std::int64_t>(ty) * sh / size.height);
        const int y1 = static_cast<int>(static_cast<std::int64_t>(ty + 1) * sh / size.height);
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = y0; y < y1; ++y) {
            // Channel bytes in the storage order blue, green, red; palette rows are expanded
            // into that order first.
            const std::uint8_t* p = nullptr;
            if (source.PixelFormat() == TPixelFormat::pf24Bit) {
                p = source.rowData(y);
            } else {
                for (int x = 0; x < sw; ++x) {
                    const std::uint32_t c = source.GetColor(x, y);
                    rowBytes[3 * static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(blueOf(c));
                    rowBytes[3 * static_cast<std::size_t>(x) + 1] = static_cast<std::uint8_t>(greenOf(c));
                    rowBytes[3 * static_cast<std::size_t>(x) + 2] = static_cast<std::uint8_t>(redOf(c));
                }
                p = rowBytes.data();
            }
            for (int tx = 0; tx < size.width; ++tx) {
                std::uint64_t b = 0, g = 0, r = 0;
                const std::size_t end = 3 * static_cast<std::size_t>(columnStart[static_cast<std::size_t>(tx) + 1]);
                for (std::size_t k = 3 * static_cast<std::size_t>(columnStart[static_cast<std::size_t>(tx)]); k < end; k += 3) {
                    b += p[k];
                    g += p[k + 1];
                    r += p[k + 2];
                }
                sums[3 * static_cast<std::size_t>(tx)] += r;
                sums[3 * static_cast<std::size_t>(tx) + 1] += g;
                sums[3 * static_cast<std::size_t>(tx) + 2] += b;
            }
            scope.update(y + 1);
        }
        std::uint8_t* out = target.rowData(ty);
        for (int tx = 0; tx < size.width; ++tx) {
            const std::uint64_t n = static_cast<std::uint64_t>(columnStart[static_cast<std::size_t>(tx) + 1] -
                                                               columnStart[static_cast<std::size_t>(tx)]) *
                                    static_cast<std::uint64_t>(y1 - y0);
            const std::size_t k = 3 * static_cast<std::size_t>(tx);
            out[k] = static_cast<std::uint8_t>((sums[k + 2] + n / 2) / n);      // blue
            out[k + 1] = static_cast<std::uint8_t>((sums[k + 1] + n / 2) / n);  // green
            out[k + 2] = static_cast<std::uint8_t>((sums[k] + n / 2) / n);      // red
        }
    }
    return target;
}

void CancellableProgress::begin()
{
    if (m_next)
        m_next->begin();
}

void CancellableProgress::step(int percent)
{
    if (m_cancel.load(std::memory_order_relaxed))
        throw PreviewCancelled{};
    if (m_next)
        m_next->step(percent);
}

void CancellableProgress::end()
{
    if (m_next)
        m_next->end();
}

}  // namespace tesra
