#include "analysis/grey_plot.h"

#include <algorithm>
#include <cstdlib>

#include "analysis/grey_texts.h"
#include "analysis/line_geometry.h"
#include "common/user_text.h"

namespace tesra {

// ---- PlotBitmap ----

PlotBitmap::PlotBitmap(int width, int height, std::uint32_t colour)
    : m_width(std::max(0, width)), m_height(std::max(0, height)),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height), colour)
{
}

std::uint32_t PlotBitmap::pixel(int x, int y) const
{
    if (!contains(x, y))
        return kNoPixel;
    return m_pixels[static_cast<std::size_t>(y) * m_width + x];
}

void PlotBitmap::setPixel(int x, int y, std::uint32_t colour)
{
    if (contains(x, y))
        m_pixels[static_cast<std::size_t>(y) * m_width + x] = colour;
}

template <typename Plot>
void PlotBitmap::rasterLine(int x0, int y0, int x1, int y1, Plot plot)
{
    // Bresenham's walk; the end point is left out, as a pen that moves on from there would
    // set it again.
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0;
    int y = y0;
    while (x != x1 || y != y1) {
        if (contains(x, y))
            plot(m_pixels[static_cast<std::size_t>(y) * m_width + x]);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void PlotBitmap::drawLine(int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    rasterLine(x0, y0, x1, y1, [colour](std::uint32_t& p) { p = colour; });
}

void PlotBitmap::invertLine(int x0, int y0, int x1, int y1)
{
    rasterLine(x0, y0, x1, y1, [](std::uint32_t& p) { p ^= 0x00FFFFFFu; });
}

void PlotBitmap::fillRect(int left, int top, int right, int bottom, std::uint32_t colour)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_width);
    bottom = std::min(bottom, m_height);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            m_pixels[static_cast<std::size_t>(y) * m_width + x] = colour;
}

namespace {

// The digits 0..9, 5 × 8 pixels, one string per row, '#' for ink.
constexpr const char* kDigitGlyphs[10][8] = {
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},
    {"..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "..#..", "..#.."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#....", "#####"},
    {".###.", "#...#", "....#", "..##.", "....#", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#.", "...#."},
    {"#####", "#....", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {".###.", "#...#", "#....", "####.", "#...#", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "...#.", "..#..", "..#..", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", "#...#", ".####", "....#", "#...#", ".###."},
};
constexpr int kDigitWidth = 5;
constexpr int kDigitAdvance = 6;
constexpr int kDigitLeading = 2;  // blank rows above the ink, as in a text cell

}  // namespace

void PlotBitmap::drawNumber(int x, int y, int number, std::uint32_t colour)
{
    const std::string digits = std::to_string(std::max(0, number));
    for (std::size_t k = 0; k < digits.size(); ++k) {
        const auto& glyph = kDigitGlyphs[digits[k] - '0'];
        const int left = x + static_cast<int>(k) * kDigitAdvance;
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < kDigitWidth; ++col)
                if (glyph[row][col] == '#')
                    setPixel(left + col, y + kDigitLeading + row, colour);
    }
}

// ---- The plots ----

namespace {

// Plot coordinates of abscissae far outside any bitmap are clipped anyway; limiting them
// keeps the arithmetic in int.
int plotCoordinate(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, -100000, 2000000));
}

}  // namespace

PlotBitmap RenderProfilePlot(const GreyProfile& profile)
{
    const int n = static_cast<int>(profile.grey.size());
    PlotBitmap plot(n, kProfilePlotHeight, kPlotBackground);

    // A stretch covers the columns of both its intercepts, whichever was entered first.
    for (const ProfileSpan& s : profile.spans) {
        const int a = plotCoordinate(std::min(s.first, s.second));
        const int b = plotCoordinate(std::max(s.first, s.second));
        plot.fillRect(a, 0, b + 1, kProfilePlotHeight, kPlotPhaseBand);
    }
    plot.drawLine(0, 128, n, 128, kPlotBaseLine);
    for (const ProfileMarker& k : profile.markers) {
        const int a = plotCoordinate(k.abscissa);
        plot.drawLine(a, 0, a, kProfilePlotHeight, kPlotBaseLine);
        plot.drawNumber(a + 3, 5, static_cast<int>(k.type), kPlotTypeNumber);
    }
    // Grey 255 at the top; the increments at half scale around the base line, halved toward
    // zero. The points go on after each stretch of curve, so they are what the read-out finds.
    for (int i = 1; i < n; ++i) {
        const int yPrev = 255 - profile.grey[static_cast<std::size_t>(i - 1)];
        const int y = 255 - profile.grey[static_cast<std::size_t>(i)];
        plot.drawLine(i - 1, yPrev, i, y, kPlotProfileLine);
        plot.setPixel(i, y, kPlotProfilePoint);
        plot.setPixel(i - 1, yPrev, kPlotProfilePoint);
        const int dPrev = 128 - profile.increment[static_cast<std::size_t>(i - 1)] / 2;
        const int d = 128 - profile.increment[static_cast<std::size_t>(i)] / 2;
        plot.drawLine(i - 1, dPrev, i, d, kPlotIncrementLine);
        plot.setPixel(i, d, kPlotIncrementPoint);
        plot.setPixel(i - 1, dPrev, kPlotIncrementPoint);
    }
    return plot;
}

PlotBitmap RenderHistogramPlot(const GreyHistogram& histogram)
{
    PlotBitmap plot(kHistogramPlotWidth, kHistogramPlotHeight, kPlotBackground);
    for (int j = 0; j < 256; ++j)
        plot.drawLine(j, 200, j, 200 - histogram.barHeight(j), kPlotBaseLine);
    return plot;
}

// ---- Layouts ----

GreyViewLayout ProfileViewLayout(std::int64_t sampleCount)
{
    GreyViewLayout l;
    const int n = static_cast<int>(std::clamp<std::int64_t>(sampleCount, 0, kMaxLineSamples));
    l.clientHeight = 296;
    l.imageTop = 40;
    l.imageHeight = kProfilePlotHeight;
    l.imageWidth = n;
    l.panelLeft = 8;
    if (n >= 300) {
        l.clientWidth = n;
        l.imageLeft = 0;
    } else {
        l.clientWidth = 300;
        l.imageLeft = (300 - n) / 2;
    }
    return l;
}

GreyViewLayout HistogramViewLayout()
{
    GreyViewLayout l;
    l.clientWidth = kCountingClientWidth;
    l.clientHeight = 241;
    l.imageLeft = 72;
    l.imageTop = 40;
    l.imageWidth = kHistogramPlotWidth;
    l.imageHeight = kHistogramPlotHeight;
    l.panelLeft = 112;
    return l;
}

// ---- Captions ----

std::string GreyWindowCaption() { return UserText(QT_TRANSLATE_NOOP("Core", "Grays")); }
std::string ProfileRequestCaption(int lineNumber)
{
    return UserText(QT_TRANSLATE_NOOP("Core", "Linie analysis of line # ")) + std::to_string(lineNumber);
}
std::string ProfileCaption(int lineNumber) { return UserText(QT_TRANSLATE_NOOP("Core", "Grays for line # ")) + std::to_string(lineNumber); }
std::string HistogramCaption() { return UserText(QT_TRANSLATE_NOOP("Core", "Histogram")); }
std::string SegmentCaption(int lineNumber)
{
    return UserText(QT_TRANSLATE_NOOP("Core", "Interception lengths of line ")) + std::to_string(lineNumber);
}

// ---- Read-out ----

void GreyReadout::showProfile(const GreyProfile& profile)
{
    m_plot = RenderProfilePlot(profile);
    // The read-out turns columns into positions along the line that was plotted, even if
    // that line has since been deleted or renumbered.
    m_lineLength = profile.length;
    m_lineIsCircle = profile.isCircle;
    m_cursorX = -10;
    m_viewMode = 1;
}

void GreyReadout::showHistogram(const GreyHistogram& histogram)
{
    m_plot = RenderHistogramPlot(histogram);
    m_histogram = histogram;
    m_cursorX = -10;
    m_viewMode = 2;
}

void GreyReadout::reset()
{
    m_cursorX = -10;
    m_viewMode = 0;
}

int GreyReadout::cursorRows() const
{
    return m_viewMode == 2 ? kHistogramPlotHeight : kProfilePlotHeight;
}

std::optional<std::string> GreyReadout::mouseMove(int x, const NumberLocale& locale, int* oldCursorX)
{
    if (oldCursorX)
        *oldCursorX = m_cursorX;
    if (m_viewMode != 1 && m_viewMode != 2)
        return std::nullopt;
    m_plot.invertLine(m_cursorX, 0, m_cursorX, cursorRows());
    if (m_viewMode == 2) {
        m_cursorX = x;
        m_plot.invertLine(x, 0, x, cursorRows());
        return HistogramReadoutText(x, m_histogram);
    }
    // The column is read down to row 256, one below the plot, as the cursor line reaches.
    std::uint32_t column[kProfilePlotHeight + 1];
    for (int y = 0; y <= kProfilePlotHeight; ++y)
        column[y] = m_plot.pixel(x, y);
    const ProfileColumnReading reading = ReadProfileColumn(column, kProfilePlotHeight + 1);
    m_cursorX = x;
    m_plot.invertLine(x, 0, x, cursorRows());
    return ProfileReadoutText(x, reading, m_lineLength, m_lineIsCircle, locale);
}

}  // namespace tesra
