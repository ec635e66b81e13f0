#pragma once
// The measurement overlay of the image window as a display list: lines, ellipses, arcs,
// filled boxes and texts in screen pixels, with colour, pen width and drawing mode. The
// window replays a list with its painter; the photo export replays the list of zoom 1 onto
// a copy of the image. Nothing here draws.
//
// Raster conventions every replayer keeps: a line covers its start point but not its end
// point; an ellipse, arc or box given by a box covers the box without its right column and
// bottom row; an arc runs counter-clockwise on the screen from its start ray to its end
// ray. Inverting mode replaces each covered pixel by its complement, outlines and fills
// alike.
#include <cstdint>
#include <string>
#include <vector>

#include "app/measurement/measurement.h"
#include "view/zoom.h"

namespace tesra {

// Colours of the overlay as 0x00BBGGRR.
inline constexpr std::uint32_t kActiveLineColour = 0x0000FF00;    // lime
inline constexpr std::uint32_t kExcludedLineColour = 0x00DDDDDD;  // light grey
inline constexpr std::uint32_t kSelectedLineColour = 0x0000FFFF;  // yellow
inline constexpr std::uint32_t kStretchColour = 0x000000FF;       // red
inline constexpr std::uint32_t kLineNumberColour = 0x00FFFFFF;    // white

enum class PrimitiveKind : std::uint8_t { Line, Ellipse, Arc, FillRect, Text };
enum class PenMode : std::uint8_t { Copy, Invert };

// A screen rectangle: left and top included, right and bottom excluded.
struct ScreenBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool intersects(const ScreenBox& o) const
    {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    friend bool operator==(const ScreenBox&, const ScreenBox&) = default;
};

struct OverlayPrimitive {
    PrimitiveKind kind = PrimitiveKind::Line;
    // Line: from (x1, y1) to (x2, y2), the end point excluded. Ellipse, Arc, FillRect: the
    // box, normalised (x1 <= x2, y1 <= y2), right and bottom excluded. Text: its top-left.
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    // Arc: the points whose rays from the box centre start and end the arc, and the same as
    // angles in 1/16 degree, counter-clockwise on the screen from 3 o'clock; the span lies
    // in 1..5760 (a full turn when both rays coincide).
    int startX = 0;
    int startY = 0;
    int endX = 0;
    int endY = 0;
    int startAngle16 = 0;
    int spanAngle16 = 0;
    std::uint32_t colour = 0;  // 0x00BBGGRR
    int penWidth = 1;
    bool filled = false;       // Ellipse: filled in its colour (the marker disc)
    PenMode mode = PenMode::Copy;
    std::string text;          // Text only

    friend bool operator==(const OverlayPrimitive&, const OverlayPrimitive&) = default;
};

using DisplayList = std::vector<OverlayPrimitive>;

// The screen pixels a primitive may cover (generous for texts, whose font the replayer
// chooses); for skipping primitives outside an exposed rectangle.
ScreenBox primitiveBounds(const OverlayPrimitive& p);
// The union of the bounds of a list (empty box for an empty list).
ScreenBox listBounds(const DisplayList& list);

// The screen boxes to repaint when the overlay changes from `before` to `after`: the bounds
// of the primitives found in one list more often than in the other (one mark added, retyped
// or taken away costs its own box, a new selection the two lines' boxes). Nothing when the
// lists are equal.
std::vector<ScreenBox> ChangedBoxes(const DisplayList& before, const DisplayList& after);

// A line from (x1, y1) to (x2, y2), and a box primitive given by any two opposite corners
// (normalised), for every overlay drawn with these conventions.
OverlayPrimitive LinePrimitive(int x1, int y1, int x2, int y2, std::uint32_t colour, int width = 1,
                               PenMode mode = PenMode::Copy);
OverlayPrimitive BoxPrimitive(PrimitiveKind kind, int ax, int ay, int bx, int by, std::uint32_t colour,
                              PenMode mode = PenMode::Copy);

// The whole overlay of the measurement at a zoom: the lines (lime, or light grey when
// excluded), the selected line again in yellow when it exists and is active, the second-phase
// stretches in red (width 2), then every intercept's cross and square in its type's colour.
// For the export the zoom is 1 and each line's number follows it in white.
DisplayList BuildOverlay(const Measurement& m, Zoom zoom, int selectedLine, bool forExport);

// One line drawn at a zoom in a colour (a circle as the ellipse of its box); the selection
// highlight and the overlay both use it. Empty for a line index out of range.
DisplayList LineShape(const Measurement& m, int lineIndex, Zoom zoom, std::uint32_t colour);

// The stretch between intercepts `from` and `to` of one line: on a circle the arc of the
// line's box counter-clockwise on the screen from `from` to `to`; on a straight line the
// line between the two points. Empty when an index is out of range or the two lie on
// different lines.
DisplayList StretchShape(const Measurement& m, int from, int to, Zoom zoom, int penWidth,
                         std::uint32_t colour, PenMode mode);

// ---- Transient feedback, drawn inverted at screen scale ----

// The rubber band from start to end: a line, or the ellipse in the box they span. Empty
// when it covers nothing yet (start and end coincide, or the box has no width or height).
DisplayList RubberBandShape(int startX, int startY, int endX, int endY, bool circle);
// The cursor marker at image point (x, y): a cross with arms of 4 pixels, or a filled disc
// of radius 5 when the cursor is near an intercept.
DisplayList MarkerShape(PixelPoint marker, Zoom zoom, bool disc);
// The preview of a second-phase stretch from intercept `upper` to `lower`, width 3.
DisplayList PreviewShape(const Measurement& m, int upper, int lower, Zoom zoom);

}  // namespace tesra
