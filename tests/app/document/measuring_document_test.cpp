// The undo history of the measuring document: random sessions of every kind of edit are
// taken back step by step to the bytes the file would have held at each step, and done
// again to the end; the steps' texts, merging, the saved state and the image steps.
#include "app/document/measuring_document.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/storage/line_set.h"
#include "app/storage/measurement_file.h"

namespace tesra {
namespace {

// What a save would write for the document: the whole trailer.
std::vector<std::uint8_t> Saved(const MeasuringDocument& d)
{
    return EncodeTrailer(TrailerContentOf(d), 0);
}

class RandomSession {
public:
    RandomSession(MeasuringDocument& d, unsigned seed) : m_d(d), m_rng(seed) {}

    int pick(int n) { return n <= 0 ? 0 : static_cast<int>(m_rng() % static_cast<unsigned>(n)); }

    // A point on line n, as the image window places one.
    PixelPoint pointOn(int n)
    {
        const TestLine& l = m_d.measurement().line(n);
        const double t = pick(1001) / 1000.0;
        if (l.isCircle) {
            const double r = (l.x2 - l.x1) / 2.0, a = t * 6.283;
            return {static_cast<std::int32_t>(std::lround((l.x1 + l.x2) / 2.0 + r * std::cos(a))),
                    static_cast<std::int32_t>(std::lround((l.y1 + l.y2) / 2.0 + r * std::sin(a)))};
        }
        return {static_cast<std::int32_t>(std::lround(l.x1 + t * (l.x2 - l.x1))),
                static_cast<std::int32_t>(std::lround(l.y1 + t * (l.y2 - l.y1)))};
    }

    // Two intercepts of one line, or {0, 0}.
    std::pair<int, int> pairOnOneLine()
    {
        const Measurement& m = m_d.measurement();
        if (m.interceptCount() < 2)
            return {0, 0};
        const int a = 1 + pick(m.interceptCount());
        std::vector<int> same;
        for (int k = 1; k <= m.interceptCount(); ++k)
            if (k != a && m.intercept(k).line == m.intercept(a).line)
                same.push_back(k);
        if (same.empty())
            return {0, 0};
        return {a, same[static_cast<std::size_t>(pick(static_cast<int>(same.size())))]};
    }

    // One edit of a kind chosen at random; the kinds that fill the measurement come more often.
    void edit()
    {
        const Measurement& m = m_d.measurement();
        const int lines = m.lineCount(), intercepts = m.interceptCount();
        const InterceptType type = static_cast<InterceptType>(1 + pick(6));
        switch (pick(14)) {
        case 0:
        case 1:
            m_d.AddTestLine(pick(600), pick(440), pick(600), pick(440), pick(4) == 0);
            break;
        case 2:
        case 3:
        case 4:
            if (lines > 0) {
                const int n = 1 + pick(lines);
                m_d.AddIntercept(pointOn(n), n, type);
            }
            break;
        case 5:
            m_d.RetypeIntercept(1 + pick(intercepts), type);
            break;
        case 6:
            m_d.DeleteIntercept(1 + pick(intercepts));
            break;
        case 7:
            if (pick(3) == 0)
                m_d.DeleteTestLine(1 + pick(lines));
            break;
        case 8:
        case 9: {
            const auto [a, b] = pairOnOneLine();
            if (a != 0)
                m_d.TogglePhaseSegment(a, b);
            break;
        }
        case 10:
            if (lines > 0)
                m_d.SetLineActive(1 + pick(lines), pick(2) == 0);
            break;
        case 11: {
            // A line set of up to four lines, some of them outside the image.
            MeasuringDocument source;
            for (int i = pick(5); i > 0; --i)
                source.AddTestLine(pick(700), pick(500), pick(700), pick(500), pick(3) == 0);
            const std::vector<std::uint8_t> file = EncodeLineSet(source.measurement());
            m_d.editMeasurement(edit_text::kLoadLineSet,
                                [&](Measurement& target) { LoadLineSet(file, 640, 480, target); });
            break;
        }
        case 12: {
            // The dialog shown, numbers typed, Ok; a refusal is answered with Cancel.
            CalibrationModel& dialog = m_d.calibrationTexts();
            dialog.FormShow();
            CalibrationFields& f = dialog.fields();
            f.tPixel = std::to_string(1 + pick(500));
            f.tEcht = std::to_string(pick(100)) + ",5";
            f.tFremdPhase = pick(3) == 0 ? std::to_string(pick(120)) : std::string();
            f.tInfo = "probe " + std::to_string(pick(9));
            if (m_d.AcceptCalibration() != CalibrationFailure::None)
                dialog.bCancelClick();
            break;
        }
        default:
            if (pick(2) == 0)
                m_d.SetConversionFactor(0.5L + pick(40) / 10.0L);
            else
                m_d.SetSecondPhasePercent(pick(4) == 0 ? -1.0L : pick(100));
            break;
        }
    }

private:
    MeasuringDocument& m_d;
    std::mt19937 m_rng;
};

TEST(EditHistory, ThousandRandomEditsUndoToTheStartAndRedoToTheEnd)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        MeasuringDocument d;
        d.resetForImage(640, 480);
        RandomSession session(d, seed);
        // What the file would hold after each step of the history.
        std::vector<std::vector<std::uint8_t>> states{Saved(d)};
        for (int i = 0; i < 1000; ++i) {
            session.edit();
            if (d.history().index() != states.size() - 1)
                states.push_back(Saved(d));
            else
                states.back() = Saved(d);  // a refused edit, or none: no step
        }
        ASSERT_GT(d.measurement().interceptCount(), 50);
        ASSERT_EQ(d.history().index(), states.size() - 1);
        for (std::size_t step = states.size() - 1; step > 0; --step) {
            d.Undo();
            const std::vector<std::uint8_t> now = Saved(d);
            std::size_t at = 0;
            while (at < now.size() && at < states[step - 1].size() && now[at] == states[step - 1][at])
                ++at;
            ASSERT_EQ(now, states[step - 1]) << "after undoing step " << step << " (" << d.history().redoText()
                                             << "), first difference at byte " << at << " of " << now.size()
                                             << " / " << states[step - 1].size();
        }
        EXPECT_FALSE(d.history().canUndo());
        while (d.history().canRedo())
            d.Redo();
        EXPECT_EQ(Saved(d), states.back());
    }
}

TEST(EditHistory, TextsMergingAndTheSavedState)
{
    MeasuringDocument d;
    d.resetForImage(640, 480);
    std::vector<unsigned> told;
    d.subscribe([&](unsigned changes) { told.push_back(changes); });
    EXPECT_FALSE(d.modified());
    d.AddTestLine(10, 10, 200, 10, false);
    d.AddIntercept({50, 10}, 1, itTriplePoint);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1] & dcMeasurement, dcLines | dcIntercepts);
    EXPECT_EQ(d.history().undoText(), "Add intercept");
    EXPECT_TRUE(d.modified());
    d.markSaved();
    d.DeleteTestLine(1);
    EXPECT_EQ(d.history().undoText(), "Delete line");
    d.Undo();
    EXPECT_FALSE(d.modified());  // back at the saved state
    EXPECT_EQ(d.history().redoText(), "Delete line");
    EXPECT_EQ(d.measurement().line(1).weightedCount, 1.5L);

    // Edits of one merge id in a row are one step; a refused edit is none.
    const std::size_t steps = d.history().count();
    for (int x = 60; x < 100; x += 10)
        d.editMeasurement("Drag", [x](Measurement& m) { m.AddIntercept({x, 10}, 1, itNormal); }, 7);
    d.DeleteIntercept(99);
    EXPECT_EQ(d.history().count(), steps);  // the redo step went, the drag came
    EXPECT_EQ(d.history().undoText(), "Drag");
    d.Undo();
    EXPECT_EQ(d.measurement().interceptCount(), 3);
}

TEST(EditHistory, ImageStepsKeepFiveCopiesAndTheImageButtonTakesTheNewest)
{
    MeasuringDocument d;
    d.setImage(TPixelGraphic(4, 4, TPixelFormat::pf24Bit));
    d.AddTestLine(0, 0, 3, 3, false);
    for (std::uint32_t run = 1; run <= 6; ++run) {
        d.ApplyImageFilter("Sharpen", [run](TPixelGraphic& image) { image.SetPixel(0, 0, run); });
        d.AddIntercept({1, 1}, 1, itNormal);
    }
    EXPECT_EQ(d.history().imageSteps(), 5);
    // The oldest image step went with every step before it: the line stays.
    while (d.history().canUndo())
        d.Undo();
    EXPECT_EQ(d.image().GetPixel(0, 0), 1u);
    EXPECT_EQ(d.measurement().lineCount(), 1);
    while (d.history().canRedo())
        d.Redo();
    // The image button undoes the newest filter although intercepts were added after it.
    d.UndoImageStep();
    EXPECT_EQ(d.image().GetPixel(0, 0), 5u);
    EXPECT_EQ(d.measurement().interceptCount(), 2 + 6);
    EXPECT_EQ(d.history().imageSteps(), 4);
    // A filter that fails leaves the image as it was and no step.
    EXPECT_THROW(d.ApplyImageFilter("Contour", [](TPixelGraphic& image) {
        image.SetPixel(0, 0, 9);
        throw std::runtime_error("no memory");
    }),
                 std::runtime_error);
    EXPECT_EQ(d.image().GetPixel(0, 0), 5u);
    EXPECT_EQ(d.history().imageSteps(), 4);
}

}  // namespace
}  // namespace tesra
