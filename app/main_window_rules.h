#pragma once
// The rules behind the main window's controls that are not texts: which context buttons a
// mode shows, the zoom caption, the magnifier's window and red mark, the overview's size and
// frame, the entries of the image file dialogs and the default name of a photo. The window
// only binds its controls to these.
#include <string>
#include <vector>

#include "common/user_text.h"
#include "common/number_format.h"
#include "app/measurement/measurement.h"
#include "imaging/pixel_graphic.h"
#include "view/zoom.h"

namespace tesra {

// ---- Modes ----

// The groups of context buttons on the toolbar "Toolbar"; a mode shows at most one group.
enum class ContextGroup { None, Types, LineTools, Analysis, Filters };

// The group a mode shows: types in mode 1, the line tools (add line / circle, line sets) in
// mode 0, the analyses in mode 5, the filters with undo in mode 6, none in the other modes.
ContextGroup ContextGroupOfMode(int mode);

// ---- Zoom ----

// The caption of `bZoom` and of the `mZoom` items is ZoomCaption of the image view; the
// steps of the buttons and the wheel are ZoomStep.

// The scroll position that keeps the image point under the mouse in place when the zoom
// changes: the mouse is at `mouse` pixels from the viewport's left (or top) edge and the
// view was scrolled by `scroll` at zoom `oldZoom`. Never negative.
int ScrollKeepingPoint(int scroll, int mouse, Zoom oldZoom, Zoom newZoom);

// ---- Magnifier ----

// The magnifier pane: 168 × 120 pixels.
inline constexpr int kMagnifierWidth = 168;
inline constexpr int kMagnifierHeight = 120;

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;   // inclusive
    int bottom = 0;  // inclusive
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// What the magnifier shows around image point (x, y) at zoom m (1..4) of a W × H image.
struct MagnifierView {
    // The image is smaller than the window: the pane shows a cross and nothing else.
    bool cross = false;
    // The part of the image stretched onto the whole pane, in image pixels.
    PixelRect source;
    // How far the window had to move to stay inside the image (negative: left or up).
    int dx = 0;
    int dy = 0;
    // The red mark of the cursor in pane pixels (a single pixel at zoom 1).
    PixelRect mark;
};

// The magnifier window: half sizes 84 × 60 at zoom 1, 42 × 30, 28 × 20 and 21 × 15 at 2..4;
// a window sticking out of the image is moved inside and the mark moves off the centre by
// the same amount times the zoom. A zoom outside 1..4 counts as 1.
MagnifierView MagnifierViewAt(int x, int y, int zoom, int imageWidth, int imageHeight);

// The two lines of the cross shown for small images, in pane pixels.
inline constexpr PixelRect kMagnifierCrossDown{1, 1, 166, 118};
inline constexpr PixelRect kMagnifierCrossUp{1, 118, 166, 1};

// ---- Overview ----

// The overview viewer is 168 pixels wide; its height follows the image's aspect ratio.
inline constexpr int kOverviewWidth = 168;
// The viewer's height for an image: R(width × imageHeight / imageWidth); 0 for an empty image.
int OverviewHeight(int viewerWidth, int imageWidth, int imageHeight);

// The part of the image the image window shows, in image pixels: the scroll positions and
// the client size divided by the zoom, each rounded with R.
PixelRect OverviewFrame(int scrollX, int scrollY, int clientWidth, int clientHeight, Zoom zoom);

// ---- Layout ----

// Where the image and the panes sit in a region of width × height: the sheet across the full
// width at the bottom, `sheetHeight` high (at most 2/5 of the area); the image above it, filling
// the rest; the grey-value window, `greyWidth` wide, at the right beside the image, which then
// leaves it the room (when `greyShown`). Rectangles are frames, in client pixels.
struct WindowPlaces {
    PixelRect image;
    PixelRect sheet;
    PixelRect grey;
};
WindowPlaces DefaultWindowPlaces(int width, int height, int sheetHeight, int greyWidth, bool greyShown);

// ---- Status bar ----

// The read-out under the cursor: the image position, the calibrated position (when
// calibrated, `scale` real units per pixel, 3 decimals) and the colour there, as the grey
// value for grey images and R, G, B otherwise ("x 120  y 80  |  60,000  40,000  |  Grey 128").
// Empty outside the image.
std::string PositionReadout(const TPixelGraphic& image, int x, int y, long double scale, bool calibrated,
                            const NumberLocale& locale);

// ---- Files ----

// The open dialog's filter entries: "Image files (*.bmp ... *.tiff)", one entry per format
// of the image library with its extensions, then "All files (*)".
std::vector<std::string> OpenImageFilters();
// The save dialog's entries for BMP, JPG, PBM, PGM, PNG, PPM, TGA, TIF, in that order.
std::vector<std::string> SaveImageFilters();
// The extension (without dot) of save entry i; "bmp" for an index out of range.
std::string SaveImageFilterExtension(int index);
// The save entry whose extension matches the file name's ("bmp" entry when none does).
int SaveImageFilterIndexOf(const std::string& fileName);
inline constexpr const char* kLineSetFilter = QT_TRANSLATE_NOOP("Core", "Liniendefinitionen (*.lin)");

// The file name with extension `suffix` added when it has none (a dot at its end counts as
// an extension given).
std::string WithDefaultSuffix(const std::string& fileName, const std::string& suffix);

// The photo's default name: the image's name with " Photo" and the extension of the first
// photo format instead of its own ("probe.bmp" gives "probe Photo.png").
std::string PhotoFileName(const std::string& fileName);
// The photo dialog's entries: PNG, JPEG, BMP, TIFF, in that order.
std::vector<std::string> PhotoFilters();
// Where a photo goes and in which format: a name whose extension is a photo format keeps it
// and is written in that format; any other name gets the chosen entry's extension added.
struct PhotoTarget {
    std::string fileName;
    std::string extension;
};
PhotoTarget PhotoTargetOf(const std::string& chosen, int filterIndex);

// The file name without its folder.
std::string FileNameOnly(const std::string& path);

// The message shown when a file command fails: the library's message and the file name on
// its own line (the name is not repeated when the message already holds it).
std::string FileErrorMessage(const std::string& libraryMessage, const std::string& fileName);

}  // namespace tesra
