#pragma once
// The measuring document: the measurement, its calibration with the texts the calibration
// dialog shows, the number format, the image being measured, the undo history and the
// modified state. The main window owns exactly one; every other window reads it and edits it
// through the operations below, and observes it through one change notification that says
// what changed. No window keeps a copy of its data.
//
// Every edit is one step of the history (see edit_history.h): the measurement operations
// here, a compound edit of several operations as one step (`editMeasurement`), an accepted
// calibration, and image filters.
#include <optional>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "common/number_format.h"
#include "common/user_text.h"
#include "app/document/edit_history.h"
#include "app/measurement/measurement.h"
#include "imaging/pixel_graphic.h"
#include "results/calibration_model.h"
#include "results/measurement_statistics.h"

namespace tesra {

// What a change notification says changed; several flags may come at once.
enum DocumentChange : unsigned {
    dcLines = 1u,         // lines added, removed, or their fields (counts, lengths, mark)
    dcIntercepts = 2u,
    dcSegments = 4u,
    dcCalibration = 8u,   // calibration values or texts, conversion factor, fraction
    dcImage = 16u,        // the image's pixels
    dcNumberFormat = 32u, // every number text changes
    dcModified = 64u,     // the modified state (the "*") may have changed
    dcHistory = 128u,     // what undo and redo would do
    dcEverything = 0xFFFFu
};

// The changes of the measurement records.
constexpr unsigned dcMeasurement = dcLines | dcIntercepts | dcSegments;

// The texts of the Edit menu's steps, one per kind of edit (the window translates them).
namespace edit_text {
inline constexpr const char* kAddLine = QT_TRANSLATE_NOOP("Core", "Add line");
inline constexpr const char* kAddCircle = QT_TRANSLATE_NOOP("Core", "Add circle");
inline constexpr const char* kAddIntercept = QT_TRANSLATE_NOOP("Core", "Add intercept");
inline constexpr const char* kRetypeIntercept = QT_TRANSLATE_NOOP("Core", "Change intercept type");
inline constexpr const char* kDeleteIntercept = QT_TRANSLATE_NOOP("Core", "Delete intercept");
inline constexpr const char* kDeleteLine = QT_TRANSLATE_NOOP("Core", "Delete line");
inline constexpr const char* kMarkSecondPhase = QT_TRANSLATE_NOOP("Core", "Mark second phase");
inline constexpr const char* kUnmarkSecondPhase = QT_TRANSLATE_NOOP("Core", "Unmark second phase");
inline constexpr const char* kTickLine = QT_TRANSLATE_NOOP("Core", "Tick line");
inline constexpr const char* kUntickLine = QT_TRANSLATE_NOOP("Core", "Untick line");
inline constexpr const char* kLoadLineSet = QT_TRANSLATE_NOOP("Core", "Load line set");
inline constexpr const char* kLayPattern = QT_TRANSLATE_NOOP("Core", "Lay pattern");
inline constexpr const char* kAcceptProposals = QT_TRANSLATE_NOOP("Core", "Accept proposed crossings");
inline constexpr const char* kCalibrate = QT_TRANSLATE_NOOP("Core", "Calibrate");
inline constexpr const char* kConversionFactor = QT_TRANSLATE_NOOP("Core", "Change conversion factor");
inline constexpr const char* kSecondPhaseFraction = QT_TRANSLATE_NOOP("Core", "Change second phase fraction");
}  // namespace edit_text

class MeasuringDocument {
public:
    explicit MeasuringDocument(NumberLocale locale = NumberLocale::German());
    MeasuringDocument(const MeasuringDocument&) = delete;
    MeasuringDocument& operator=(const MeasuringDocument&) = delete;

    // ---- Reading ----
    const Measurement& measurement() const { return m_measurement; }
    const Calibration& calibration() const { return m_measurement.calibration; }
    // The calibration dialog's texts and rules; the dialog writes what the user types into
    // its fields (typing is no edit until Ok accepts it).
    CalibrationModel& calibrationTexts() { return m_calibration; }
    const CalibrationModel& calibrationTexts() const { return m_calibration; }
    // Calibrated means a pixel length stands in the calibration: what the trailer stores.
    bool calibrated() const { return !m_calibration.fields().tPixel.empty(); }
    // The figures of the measurement, computed once per change.
    const MeasurementStatistics& statistics() const;

    // The separators of every number the windows write.
    const NumberLocale& numberLocale() const { return m_locale; }
    void setNumberLocale(const NumberLocale& locale);

    // The editing state (mode, current type) the main window sets and the image window
    // reads at every event; no part of the measurement, no step of the history.
    EditState& editState() { return m_editState; }
    const EditState& editState() const { return m_editState; }

    // The image being measured.
    const TPixelGraphic& image() const { return m_image; }
    TPixelGraphic& image() { return m_image; }
    // A new image (opening, or a test's picture): it replaces the old one without a step and
    // the history starts afresh. The caller tells the observers once everything is in place.
    void setImage(TPixelGraphic image);

    // ---- Change notification ----
    using Observer = std::function<void(unsigned changes)>;
    // Calls observer after every change with the DocumentChange flags; returns a key for
    // unsubscribe.
    int subscribe(Observer observer);
    void unsubscribe(int key);
    // Tells every observer (for changes made outside the operations, e.g. by a loader).
    void notify(unsigned changes);

    // ---- Modified state ----
    bool modified() const { return m_forcedModified || !m_history.isClean(); }
    // Marks the document changed without a step (the program's commands that count as a
    // change although nothing is stored yet).
    void setModified();
    // The document was saved (or opened): this state is the saved one.
    void markSaved();

    // ---- Opening and loading (no steps; the history starts afresh) ----
    // Opening an image of w × h pixels: an empty measurement, the default calibration and
    // its texts, an empty history, nothing modified. The caller notifies once the stored
    // measurement, if any, has been read.
    void resetForImage(int width, int height);
    // The records and calibration for the file readers while an image opens; they notify
    // and the history is empty afterwards.
    Measurement& measurementForLoading() { return m_measurement; }

    // ---- Edits: each one step of the history ----
    EditResult AddTestLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, bool circle);
    EditResult AddIntercept(PixelPoint point, int lineIndex, InterceptType type);
    EditResult RetypeIntercept(int k, InterceptType type);
    EditResult DeleteIntercept(int k);
    EditResult DeleteTestLine(int n);
    EditResult TogglePhaseSegment(int a, int b);
    // The sheet's tick of line n.
    void SetLineActive(int n, bool active);

    // A compound edit: whatever `edit` does to the measurement through its operations is one
    // step named `text`. With a mergeId other than -1, directly following edits of the same
    // id become one step. Nothing is recorded when nothing changed. When `edit` throws, its
    // changes are taken back and the error passes on.
    void editMeasurement(const std::string& text, const std::function<void(Measurement&)>& edit, int mergeId = -1);

    // The calibration dialog's Ok: checks and stores the typed numbers (see CalibrationModel)
    // as one step. Returns the refusal, if any.
    // `unit`, when given, becomes the calibration's unit with the numbers (and only with them).
    CalibrationFailure AcceptCalibration(std::optional<LengthUnit> unit = std::nullopt);
    // The conversion factor and the second-phase fraction (-1: not set) as one step each;
    // false, changing nothing, for a value the dialog would refuse.
    bool SetConversionFactor(long double factor);
    bool SetSecondPhasePercent(long double percent);

    // An image filter as one step: `filter` changes the image; the step keeps one copy of the
    // image as it was (at most five such copies are kept). When `filter` throws, the image is
    // put back and the error passes on.
    void ApplyImageFilter(const std::string& text, const std::function<void(TPixelGraphic&)>& filter);

    // ---- History ----
    const EditHistory& history() const { return m_history; }
    void Undo();
    void Redo();
    // The image undo button: the newest image step is undone and forgotten.
    void UndoImageStep();

    // For the commands: put calibration values and texts as a step had them.
    void restoreCalibration(const Calibration& values, const CalibrationModel& texts);
    Measurement& measurementForSteps() { return m_measurement; }

private:
    // A step from `before` to the calibration values now, with the texts now (or, for a step
    // that changes values only, with the texts as they were).
    void pushCalibrationStep(const std::string& text, const Calibration& before, bool withTexts = true);
    void changed(unsigned changes);

    NumberLocale m_locale;
    Measurement m_measurement;
    CalibrationModel m_calibration;
    // The calibration's texts as the last step, opening or reading left them: what an undo
    // of the next calibration step brings back (typing in the dialog is no step).
    CalibrationModel m_committedTexts;
    EditState m_editState;
    TPixelGraphic m_image;
    EditHistory m_history;
    bool m_forcedModified = false;
    std::map<int, Observer> m_observers;
    int m_nextKey = 1;
    mutable bool m_statisticsValid = false;
    mutable MeasurementStatistics m_statistics;
};

}  // namespace tesra
