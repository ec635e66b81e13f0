#pragma once
// The plots of the grey-value window and where its controls sit. The profile and histogram
// plots are drawn here into a true-colour bitmap, pixel by pixel, because the mouse read-out
// finds the profile's points again by their exact colours; the window only shows the bitmap
// 1:1. The read-out itself (erase the cursor line, read the column, draw the cursor line
// again) is the GreyReadout state below, so the window holds no rule of its own.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/grey_analysis.h"
#include "common/number_format.h"
#include "imaging/pixel_graphic.h"

namespace tesra {

// ---- Colours of the plots (0x00BBGGRR) ----
inline constexpr std::uint32_t kPlotBackground = rgb(255, 255, 255);
inline constexpr std::uint32_t kPlotPhaseBand = rgb(221, 221, 221);
inline constexpr std::uint32_t kPlotBaseLine = rgb(0, 0, 255);  // also intercept lines, bars
inline constexpr std::uint32_t kPlotTypeNumber = rgb(0, 128, 0);
inline constexpr std::uint32_t kPlotProfileLine = rgb(255, 0, 0);
inline constexpr std::uint32_t kPlotProfilePoint = rgb(255, 0, 255);
inline constexpr std::uint32_t kPlotIncrementLine = rgb(0, 0, 0);
inline constexpr std::uint32_t kPlotIncrementPoint = rgb(128, 128, 128);

// A true-colour bitmap, colours 0x00BBGGRR, rows from the top. Drawing outside it is
// clipped; reading outside it gives kNoPixel, which matches no colour of a plot.
class PlotBitmap {
public:
    static constexpr std::uint32_t kNoPixel = 0xFFFFFFFFu;

    PlotBitmap() = default;
    // A width × height bitmap filled with colour (sizes below 0 count as 0).
    PlotBitmap(int width, int height, std::uint32_t colour);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    std::uint32_t pixel(int x, int y) const;
    void setPixel(int x, int y, std::uint32_t colour);
    // Row y, width() colours.
    const std::uint32_t* row(int y) const { return m_pixels.data() + static_cast<std::size_t>(y) * m_width; }

    // A line from (x0, y0) towards (x1, y1); the end point itself is not drawn, so a line
    // that continues where the last one ended sets every pixel once.
    void drawLine(int x0, int y0, int x1, int y1, std::uint32_t colour);
    // The same pixels inverted (each colour bit flipped): drawing it twice restores them.
    void invertLine(int x0, int y0, int x1, int y1);
    // Fills the columns left..right − 1 of rows top..bottom − 1.
    void fillRect(int left, int top, int right, int bottom, std::uint32_t colour);
    // Writes the digits of number (0 or more) with the cell of the first at (x, y); the
    // background stays as it is. Each digit is 5 × 8 pixels two rows below its cell's
    // top, with one blank column between digits.
    void drawNumber(int x, int y, int number, std::uint32_t colour);

private:
    template <typename Plot>
    void rasterLine(int x0, int y0, int x1, int y1, Plot plot);

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};

// ---- The plots ----

inline constexpr int kProfilePlotHeight = 256;
inline constexpr int kHistogramPlotWidth = 256;
inline constexpr int kHistogramPlotHeight = 201;

// The profile plot, one column per sample, 256 rows: white, the second-phase bands, the base
// line at row 128, a vertical line and the type number at every intercept, then the profile
// (grey 255 at the top) and the increments at half scale around the base line.
PlotBitmap RenderProfilePlot(const GreyProfile& profile);
// The histogram plot, 256 × 201: one blue bar per grey value standing on row 200.
PlotBitmap RenderHistogramPlot(const GreyHistogram& histogram);

// ---- Where the controls sit ----

// The window's client area and the plot's place in it for one view.
struct GreyViewLayout {
    int clientWidth = 0;
    int clientHeight = 0;
    int imageLeft = 0;
    int imageTop = 0;
    int imageWidth = 0;
    int imageHeight = 0;
    int panelLeft = 0;  // of the read-out panel, within the toolbar
};
// The profile view for a line of sampleCount samples: client height 296, the plot 256 high
// at top 40; at least 300 wide, a shorter plot centred.
GreyViewLayout ProfileViewLayout(std::int64_t sampleCount);
// The histogram view: client 400 × 241, the 256 × 201 plot at left 72, top 40.
GreyViewLayout HistogramViewLayout();

inline constexpr int kInitialClientWidth = 136;   // created, nothing shown
inline constexpr int kInitialClientHeight = 1;
inline constexpr int kCollapsedClientWidth = 104; // after an image was opened
inline constexpr int kCollapsedClientHeight = 0;
inline constexpr int kCountingClientWidth = 400;  // while the histogram counts
inline constexpr int kCountingClientHeight = 20;
inline constexpr int kSegmentWindowWidth = 207;   // outer size of the segment view
inline constexpr int kSegmentWindowHeight = 450;
inline constexpr int kGridRowHeight = 18;

// ---- Captions and help contexts ----

enum GreyHelpContext : int {
    hcGreyWindow = 3130,
    hcGreyProfile = 3131,
    hcGreyHistogram = 3132,
    hcGreySegments = 3133,
};

// "Grays" (nothing shown), "Linie analysis of line # L" (asked for), "Grays for line # L"
// (drawn), "Histogram", "Interception lengths of line L".
std::string GreyWindowCaption();
std::string ProfileRequestCaption(int lineNumber);
std::string ProfileCaption(int lineNumber);
std::string HistogramCaption();
std::string SegmentCaption(int lineNumber);

// ---- The mouse read-out ----

// What is on the plot and where the inverted cursor line stands. viewMode 0 shows nothing,
// 1 a profile, 2 the histogram.
class GreyReadout {
public:
    int viewMode() const { return m_viewMode; }
    int cursorX() const { return m_cursorX; }
    const PlotBitmap& plot() const { return m_plot; }

    // A new profile plot; the cursor is off the plot.
    void showProfile(const GreyProfile& profile);
    // A new histogram plot.
    void showHistogram(const GreyHistogram& histogram);
    // No view: read-outs stop answering until the next plot.
    void reset();

    // The mouse moved to plot column x: the cursor line moves there (erased at the old
    // place first, so the column is read clean) and the panel text comes back; nothing in
    // view mode 0. oldCursorX receives the column the line left (it may be off the plot).
    std::optional<std::string> mouseMove(int x, const NumberLocale& locale, int* oldCursorX = nullptr);

private:
    int cursorRows() const;

    int m_viewMode = 0;
    int m_cursorX = -10;
    PlotBitmap m_plot;
    long double m_lineLength = 0;
    bool m_lineIsCircle = false;
    GreyHistogram m_histogram;
};

}  // namespace tesra
