#include "app/document/measuring_document.h"

#include <utility>

namespace tesra {

namespace {

unsigned ChangesOf(const MeasurementSteps& steps)
{
    unsigned changes = 0;
    for (const MeasurementStep& step : steps) {
        if (std::holds_alternative<LineStep>(step) || std::holds_alternative<LineInsertion>(step))
            changes |= dcLines;
        else if (std::holds_alternative<SegmentInsertion>(step))
            changes |= dcSegments;
        else
            changes |= dcIntercepts;
    }
    return changes;
}

// An edit of the measurement records, kept as the elementary steps it made.
class MeasurementCommand : public EditCommand {
public:
    MeasurementCommand(std::string text, MeasurementSteps steps, int id)
        : m_text(std::move(text)), m_steps(std::move(steps)), m_id(id), m_changes(ChangesOf(m_steps))
    {
    }

    void redo(MeasuringDocument& document) override
    {
        Measurement& m = document.measurementForSteps();
        for (const MeasurementStep& step : m_steps)
            m.replay(step, true);
    }
    void undo(MeasuringDocument& document) override
    {
        Measurement& m = document.measurementForSteps();
        for (auto step = m_steps.rbegin(); step != m_steps.rend(); ++step)
            m.replay(*step, false);
    }
    std::string text() const override { return m_text; }
    int id() const override { return m_id; }
    bool mergeWith(const EditCommand& next) override
    {
        const auto* other = dynamic_cast<const MeasurementCommand*>(&next);
        if (!other)
            return false;
        m_steps.insert(m_steps.end(), other->m_steps.begin(), other->m_steps.end());
        m_changes |= other->m_changes;
        return true;
    }
    std::size_t memoryUse() const override
    {
        return sizeof(*this) + m_steps.capacity() * sizeof(MeasurementStep) + m_text.capacity();
    }
    unsigned changes() const override { return m_changes; }

private:
    std::string m_text;
    MeasurementSteps m_steps;
    int m_id;
    unsigned m_changes;
};

// An accepted calibration, factor or fraction: the values and the dialog's texts before and
// after.
class CalibrationCommand : public EditCommand {
public:
    CalibrationCommand(std::string text, Calibration before, CalibrationModel beforeTexts, Calibration after,
                       CalibrationModel afterTexts)
        : m_text(std::move(text)), m_before(std::move(before)), m_after(std::move(after)),
          m_beforeTexts(std::move(beforeTexts)), m_afterTexts(std::move(afterTexts))
    {
    }
    void redo(MeasuringDocument& document) override { document.restoreCalibration(m_after, m_afterTexts); }
    void undo(MeasuringDocument& document) override { document.restoreCalibration(m_before, m_beforeTexts); }
    std::string text() const override { return m_text; }
    std::size_t memoryUse() const override { return sizeof(*this); }
    unsigned changes() const override { return dcCalibration | dcLines; }

private:
    std::string m_text;
    Calibration m_before, m_after;
    CalibrationModel m_beforeTexts, m_afterTexts;
};

// An image filter: the step keeps the other image, swapping it with the document's.
class ImageCommand : public EditCommand {
public:
    ImageCommand(std::string text, TPixelGraphic other) : m_text(std::move(text)), m_other(std::move(other)) {}
    void redo(MeasuringDocument& document) override { std::swap(document.image(), m_other); }
    void undo(MeasuringDocument& document) override { std::swap(document.image(), m_other); }
    std::string text() const override { return m_text; }
    int imageCopies() const override { return 1; }
    std::size_t memoryUse() const override { return sizeof(*this); }
    unsigned changes() const override { return dcImage; }

private:
    std::string m_text;
    TPixelGraphic m_other;
};

}  // namespace

MeasuringDocument::MeasuringDocument(NumberLocale locale)
    : m_locale(std::move(locale)), m_calibration(m_locale), m_committedTexts(m_calibration)
{
}

const MeasurementStatistics& MeasuringDocument::statistics() const
{
    if (!m_statisticsValid) {
        m_statistics = ComputeStatistics(m_measurement);
        m_statisticsValid = true;
    }
    return m_statistics;
}

void MeasuringDocument::setNumberLocale(const NumberLocale& locale)
{
    m_locale = locale;
    m_calibration.setLocale(locale);
    m_committedTexts.setLocale(locale);
    notify(dcNumberFormat | dcCalibration);
}

void MeasuringDocument::setImage(TPixelGraphic image)
{
    m_image = std::move(image);
    m_history.clear();
}

int MeasuringDocument::subscribe(Observer observer)
{
    const int key = m_nextKey++;
    m_observers.emplace(key, std::move(observer));
    return key;
}

void MeasuringDocument::unsubscribe(int key)
{
    m_observers.erase(key);
}

void MeasuringDocument::notify(unsigned changes)
{
    if (changes & (dcMeasurement | dcCalibration))
        m_statisticsValid = false;
    // Everything anew (an image opened and its measurement read): the texts stand as read.
    if (changes == dcEverything)
        m_committedTexts = m_calibration;
    // An observer may unsubscribe (a window closing): walk a copy of the keys.
    std::vector<int> keys;
    keys.reserve(m_observers.size());
    for (const auto& entry : m_observers)
        keys.push_back(entry.first);
    for (int key : keys) {
        const auto it = m_observers.find(key);
        if (it != m_observers.end())
            it->second(changes);
    }
}

void MeasuringDocument::changed(unsigned changes)
{
    notify(changes | dcModified | dcHistory);
}

void MeasuringDocument::setModified()
{
    if (m_forcedModified)
        return;
    m_forcedModified = true;
    notify(dcModified);
}

void MeasuringDocument::markSaved()
{
    m_forcedModified = false;
    m_history.setClean();
    notify(dcModified);
}

void MeasuringDocument::resetForImage(int width, int height)
{
    m_measurement.ClearMeasurement();
    m_calibration.resetForImage(m_measurement, width, height);
    m_committedTexts = m_calibration;
    m_history.clear();
    m_forcedModified = false;
    m_statisticsValid = false;
}

void MeasuringDocument::editMeasurement(const std::string& text, const std::function<void(Measurement&)>& edit,
                                        int mergeId)
{
    MeasurementSteps steps;
    m_measurement.recordSteps(&steps);
    try {
        edit(m_measurement);
    } catch (...) {
        m_measurement.recordSteps(nullptr);
        for (auto step = steps.rbegin(); step != steps.rend(); ++step)
            m_measurement.replay(*step, false);
        throw;
    }
    m_measurement.recordSteps(nullptr);
    if (steps.empty())
        return;
    auto command = std::make_unique<MeasurementCommand>(text, std::move(steps), mergeId);
    const unsigned changes = command->changes();
    m_history.push(std::move(command));
    changed(changes);
}

EditResult MeasuringDocument::AddTestLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                          bool circle)
{
    EditResult result;
    editMeasurement(circle ? edit_text::kAddCircle : edit_text::kAddLine,
                    [&](Measurement& m) { result = m.AddTestLine(x1, y1, x2, y2, circle); });
    return result;
}

EditResult MeasuringDocument::AddIntercept(PixelPoint point, int lineIndex, InterceptType type)
{
    EditResult result;
    editMeasurement(edit_text::kAddIntercept, [&](Measurement& m) { result = m.AddIntercept(point, lineIndex, type); });
    return result;
}

EditResult MeasuringDocument::RetypeIntercept(int k, InterceptType type)
{
    EditResult result;
    editMeasurement(edit_text::kRetypeIntercept, [&](Measurement& m) { result = m.RetypeIntercept(k, type); });
    return result;
}

EditResult MeasuringDocument::DeleteIntercept(int k)
{
    EditResult result;
    editMeasurement(edit_text::kDeleteIntercept, [&](Measurement& m) { result = m.DeleteIntercept(k); });
    return result;
}

EditResult MeasuringDocument::DeleteTestLine(int n)
{
    EditResult result;
    editMeasurement(edit_text::kDeleteLine, [&](Measurement& m) { result = m.DeleteTestLine(n); });
    return result;
}

EditResult MeasuringDocument::TogglePhaseSegment(int a, int b)
{
    const bool marked = m_measurement.findSegment(a, b) != 0;
    EditResult result;
    editMeasurement(marked ? edit_text::kUnmarkSecondPhase : edit_text::kMarkSecondPhase,
                    [&](Measurement& m) { result = m.TogglePhaseSegment(a, b); });
    return result;
}

void MeasuringDocument::SetLineActive(int n, bool active)
{
    editMeasurement(active ? edit_text::kTickLine : edit_text::kUntickLine,
                    [&](Measurement& m) { m.setLineActive(n, active); });
}

void MeasuringDocument::restoreCalibration(const Calibration& values, const CalibrationModel& texts)
{
    m_measurement.calibration = values;
    m_calibration = texts;
    // The texts follow the number format in force now, whatever it was when they were kept.
    m_calibration.setLocale(m_locale);
    m_committedTexts = m_calibration;
}

void MeasuringDocument::pushCalibrationStep(const std::string& text, const Calibration& before, bool withTexts)
{
    if (withTexts) {
        m_history.push(std::make_unique<CalibrationCommand>(text, before, m_committedTexts,
                                                            m_measurement.calibration, m_calibration));
        m_committedTexts = m_calibration;
    } else {
        m_history.push(std::make_unique<CalibrationCommand>(text, before, m_committedTexts,
                                                            m_measurement.calibration, m_committedTexts));
    }
    changed(dcCalibration | dcLines);
}

CalibrationFailure MeasuringDocument::AcceptCalibration(std::optional<LengthUnit> unit)
{
    const Calibration before = m_measurement.calibration;
    if (unit)
        m_measurement.calibration.unit = *unit;
    const CalibrationFailure failure = m_calibration.bOkClick(m_measurement);
    if (failure != CalibrationFailure::None) {
        m_measurement.calibration.unit = before.unit;
        // A refused fraction is taken back at once (not set): a step when that changed it. The
        // texts are still being typed; they are no part of it.
        if (m_measurement.calibration.secondPhasePercent != before.secondPhasePercent)
            pushCalibrationStep(edit_text::kSecondPhaseFraction, before, false);
        else
            notify(dcCalibration);
        return failure;
    }
    // The step holds the notice the closing dialog will show.
    m_calibration.showNoticeOf(m_measurement.calibration);
    pushCalibrationStep(edit_text::kCalibrate, before);
    return failure;
}

bool MeasuringDocument::SetConversionFactor(long double factor)
{
    if (!IsValidConversionFactor(factor))
        return false;
    const Calibration before = m_measurement.calibration;
    m_measurement.calibration.conversionFactor = factor;
    m_calibration.fields().tFaktor = FormatF(factor, 10, 3, m_locale);
    pushCalibrationStep(edit_text::kConversionFactor, before);
    return true;
}

bool MeasuringDocument::SetSecondPhasePercent(long double percent)
{
    if (percent != -1.0L && !IsValidSecondPhasePercent(percent))
        return false;
    const Calibration before = m_measurement.calibration;
    m_measurement.calibration.secondPhasePercent = percent;
    m_calibration.fields().tFremdPhase = percent != -1.0L ? FormatF(percent, 10, 3, m_locale) : std::string();
    m_calibration.showNoticeOf(m_measurement.calibration);
    pushCalibrationStep(edit_text::kSecondPhaseFraction, before);
    return true;
}

void MeasuringDocument::ApplyImageFilter(const std::string& text, const std::function<void(TPixelGraphic&)>& filter)
{
    TPixelGraphic before = m_image;
    try {
        filter(m_image);
    } catch (...) {
        m_image = std::move(before);
        throw;
    }
    m_history.push(std::make_unique<ImageCommand>(text, std::move(before)));
    changed(dcImage);
}

void MeasuringDocument::Undo()
{
    const bool forced = m_forcedModified;
    const unsigned changes = m_history.undo(*this);
    if (changes == 0)
        return;
    // Back at the saved state nothing is unsaved, whatever marked it changed meanwhile.
    if (forced && m_history.isClean())
        m_forcedModified = false;
    changed(changes);
}

void MeasuringDocument::Redo()
{
    const unsigned changes = m_history.redo(*this);
    if (changes == 0)
        return;
    if (m_history.isClean())
        m_forcedModified = false;
    changed(changes);
}

void MeasuringDocument::UndoImageStep()
{
    if (!m_history.undoNewestImageStep(*this))
        return;
    changed(dcImage);
}

}  // namespace tesra
