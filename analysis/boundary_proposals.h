#pragma once
// Proposed boundary crossings along test lines: where the image under a line shows a grain
// boundary, as suggestions the user accepts, corrects or rejects. Nothing here changes the
// measurement; an accepted proposal becomes an intercept only through the document.
//
// A boundary is found from a band of pixels on both sides of the line, not from the one
// row of pixels under it: a crossing boundary darkens the band on both sides at the same
// place (shifted by the slant of the boundary), while a boundary that runs beside the line
// or ends next to it darkens one side only, and a boundary that runs along the line darkens
// a long stretch rather than a valley. Both are the usual false proposals of a plain search
// for minima along a profile and are refused here.
#include <cstdint>
#include <vector>

#include "app/measurement/measurement.h"
#include "imaging/pixel_graphic.h"
#include "imaging/progress.h"

namespace tesra {

// The user's settings of the "Propose" command.
struct ProposalSettings {
    // Boundaries darker than the grains (etched micrographs); false: brighter.
    bool darkBoundaries = true;
    // 0..100: higher proposes fainter boundaries (and more false ones).
    int sensitivity = 50;
    // Two boundaries closer than this (pixels, along the line) are taken as one.
    double minimumSpacing = 3.0;
};

inline constexpr int kMinSensitivity = 0;
inline constexpr int kMaxSensitivity = 100;
inline constexpr double kMinSpacingLimit = 1.0;
inline constexpr double kMaxSpacingLimit = 50.0;

// Two crossings closer than this (pixels along the line) are where the line passes a triple
// junction; they become one proposal of type III.
inline constexpr double kJunctionDistance = 6.0;
// No proposals within this distance of a straight line's ends: the end marks (V/VI) go there.
inline constexpr double kEndMargin = 4.0;

struct Proposal {
    int line = 0;                 // 1-based line index
    double x = 0;                 // image coordinates of the boundary's centre on the line
    double y = 0;
    double along = 0;             // pixels from the start (from the rightmost point on a circle)
    InterceptType type = itNormal;  // itNormal, or itTriplePoint where two crossings meet
    float strength = 0;           // depth of the boundary against the grains beside it
    friend bool operator==(const Proposal&, const Proposal&) = default;
};

// The boundaries crossed by one line (its index is written into the proposals), in order
// along the line. A line of length 0 has none.
std::vector<Proposal> ProposeAlongLine(const TPixelGraphic& image, const TestLine& line, int lineIndex,
                                       const ProposalSettings& settings);

// The proposals for the given lines of the measurement (1-based indexes; those out of range
// are skipped), line by line, leaving out places within kJunctionDistance / 2 of an
// intercept the line already has other than its end marks. Progress (may be null) is the
// share of lines done.
std::vector<Proposal> ProposeForLines(const TPixelGraphic& image, const Measurement& measurement,
                                      const std::vector<int>& lineIndexes, const ProposalSettings& settings,
                                      ProgressSink* progress = nullptr);

// The settings clamped into their ranges (a spacing that is no number becomes the default).
ProposalSettings ClampedSettings(ProposalSettings settings);

}  // namespace tesra
