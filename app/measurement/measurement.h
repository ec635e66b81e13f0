#pragma once
// The measurement: test lines and circles, the intercepts marked on them, the second-phase
// stretches between intercepts, and the calibration. The measuring document holds the
// program's one Measurement; every window reads it and edits it through the document.
//
// Indexes of lines, intercepts and segments are 1-based everywhere (in memory references,
// in these functions and in files); 0 means "none".
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "app/measurement/length_unit.h"
#include "app/measurement/shapes.h"

namespace tesra {

// What a click in the image window means; set by the main window's mode buttons.
enum EditMode : std::uint8_t {
    emLine = 0,
    emSetIntercept = 1,
    emDeleteIntercept = 2,
    emSecondPhase = 3,
    emCalibrate = 4,  // only while the calibration dialog is open
    emInfo = 5,
    emManipulate = 6
};

// The editing state the main window holds and the image window reads at every event.
struct EditState {
    EditMode mode = emLine;
    InterceptType currentType = itNormal;
};

// A stretch of a line between two of its intercepts that lies in a second phase.
struct PhaseSegment {
    std::uint16_t first = 0;   // 1-based intercept indexes
    std::uint16_t second = 0;
    std::uint16_t line = 0;    // the line of `first`
    long double length = 0.0L; // pixels
};

// The factor from mean intercept length to grain size until the user sets another.
constexpr long double kDefaultConversionFactor = 1.56L;

// Calibration values held with the measurement. The dialog that validates and fills them
// lives with the result sheet; this is only the record with its values after an image is
// opened. pixelLength and realLength of 0 mean "not set" (the dialog refuses 0).
struct Calibration {
    long double scale = 1.0L;               // real length per pixel = realLength / pixelLength
    long double pixelLength = 0.0L;
    long double realLength = 0.0L;
    long double secondPhasePercent = -1.0L; // Vol%, 0 <= v < 100; -1 = not set
    long double conversionFactor = kDefaultConversionFactor;  // mean intercept length -> grain size ("PropFaktor")
    std::string remark;                     // UTF-8; the image size ("640x480") after opening
    LengthUnit unit = kDefaultLengthUnit;   // of realLength (and so of every calibrated length)
};

// The calibration as it stands right after an image of the given size has been opened.
Calibration DefaultCalibration(int imageWidth, int imageHeight);

constexpr int kMaxLines = 300;
constexpr int kMaxIntercepts = 5000;
constexpr int kMaxSegments = 5000;

// Weight of one intercept of the type on a straight line or a circle (types outside 1..6
// weigh 0). Type IV weighs 1; type III weighs 1.5 on a line and 2 on a circle.
long double InterceptWeight(int type, bool isCircle);

// Overlay colour of a type's mark as 0x00BBGGRR; 0 (black) for types outside 1..6.
std::uint32_t InterceptTypeColor(int type);
// Caption of a type's button ("I".."VI") and its hint ("Normal intersection", ...);
// empty for types outside 1..6.
const char* InterceptTypeButton(int type);
const char* InterceptTypeName(int type);

// What an editing operation did, so that the caller can append a sheet row, recompute and
// repaint. `index` is the 1-based index of the record added, changed or removed.
enum class EditKind : std::uint8_t { Refused, Added, Changed, Removed };
struct EditResult {
    EditKind kind = EditKind::Refused;
    int index = 0;
    bool refused() const { return kind == EditKind::Refused; }
    friend bool operator==(const EditResult&, const EditResult&) = default;
};

// Records that cannot be taken into the measurement (too many, or references out of range).
class MeasurementError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One elementary change of the records, with what is needed to make it again or take it
// back. Every editing operation is a short sequence of these; the undo history keeps the
// sequence, so that undoing replays the exact inverses and restores every value, index and
// reference as it was. Inserting or erasing a record renumbers the references behind it.
struct LineStep {        // line n's fields changed
    std::uint16_t n = 0;
    TestLine before, after;
};
struct InterceptStep {   // intercept k's fields changed
    std::uint16_t k = 0;
    Intercept before, after;
};
struct LineInsertion {   // line n came in (inserted) or went (erased)
    std::uint16_t n = 0;
    bool inserted = true;
    TestLine line;
};
struct InterceptInsertion {
    std::uint16_t k = 0;
    bool inserted = true;
    Intercept intercept;
};
struct SegmentInsertion {
    std::uint16_t s = 0;
    bool inserted = true;
    PhaseSegment segment;
};
using MeasurementStep = std::variant<LineStep, InterceptStep, LineInsertion, InterceptInsertion, SegmentInsertion>;
using MeasurementSteps = std::vector<MeasurementStep>;

class Measurement {
public:
    int lineCount() const { return static_cast<int>(m_lines.size()); }
    int interceptCount() const { return static_cast<int>(m_intercepts.size()); }
    int segmentCount() const { return static_cast<int>(m_segments.size()); }

    // 1-based access; throws std::out_of_range for an index outside 1..count.
    const TestLine& line(int n) const;
    const Intercept& intercept(int k) const;
    const PhaseSegment& segment(int s) const;

    // All records in index order (element 0 is index 1), for loops and the file writers.
    std::span<const TestLine> lines() const { return m_lines; }
    std::span<const Intercept> intercepts() const { return m_intercepts; }
    std::span<const PhaseSegment> segments() const { return m_segments; }

    // Sets a line's `active` flag (the sheet's row mark); nothing for an index out of range.
    void setLineActive(int n, bool active);

    // Replaces all records by those read from a measurement trailer, as they are (weights
    // and lengths are not recomputed). Throws MeasurementError, leaving the measurement
    // unchanged, when a count exceeds its capacity or a reference is out of range.
    void setRecords(std::vector<TestLine> lines, std::vector<Intercept> intercepts,
                    std::vector<PhaseSegment> segments);

    // Appends a line read from a line-set file with weightedCount and secondPhaseLength
    // set to 0 (it has no intercepts yet). Returns its index, or 0 at capacity.
    int appendLine(const TestLine& line);

    // Removes every line, intercept and segment. The calibration is left alone.
    void ClearMeasurement();

    // Appends a straight line (two type-V intercepts at its ends) or, for circle, the circle
    // in the square box that the two corners span. Refused at 300 lines.
    EditResult AddTestLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                           bool circle);

    // Appends an intercept of currentType at a point already placed on line lineIndex.
    // Refused at 5000 intercepts, for line 0 or a line that does not exist, and inside a
    // marked second-phase stretch.
    EditResult AddIntercept(PixelPoint point, int lineIndex, InterceptType currentType);

    // Gives intercept k the type currentType, moving its weight. Refused for k out of range.
    EditResult RetypeIntercept(int k, InterceptType currentType);

    // Removes intercept k, the segments that end at it, and renumbers the rest.
    EditResult DeleteIntercept(int k);

    // Removes line n with its intercepts and segments and renumbers the rest.
    EditResult DeleteTestLine(int n);

    // Removes the segment joining intercepts a and b (either order) if there is one
    // (Removed, its former index), else creates it (Added). Refused at 5000 segments, for
    // indexes out of range, and for intercepts of different lines.
    EditResult TogglePhaseSegment(int a, int b);

    // Index of the segment joining a and b in either order, or 0.
    int findSegment(int a, int b) const;

    // While set, every change of the records made by the operations above (not setRecords
    // and ClearMeasurement) is also appended to `steps`; nullptr stops the recording.
    void recordSteps(MeasurementSteps* steps) { m_steps = steps; }
    // Makes a recorded change again (forward) or takes it back (inverse). The steps of an
    // operation are taken back in reverse order.
    void replay(const MeasurementStep& step, bool forward);

    Calibration calibration;

private:
    void removeSegment(int s);
    TestLine& lineForChange(int n);
    void lineChanged(int n, const TestLine& before);
    void insertLine(int n, const TestLine& line);
    void eraseLine(int n);
    void insertIntercept(int k, const Intercept& it);
    void eraseIntercept(int k);
    void insertSegment(int s, const PhaseSegment& seg);
    void eraseSegment(int s);
    void record(MeasurementStep step);

    MeasurementSteps* m_steps = nullptr;

    std::vector<TestLine> m_lines;
    std::vector<Intercept> m_intercepts;
    std::vector<PhaseSegment> m_segments;
};

}  // namespace tesra
