// A click of a real session under full load: the whole program's windows, a 6000 × 4000
// micrograph, 300 lines and circles and (nearly) 5000 intercepts. One iteration is a left click
// in the set-intercept mode that adds an intercept, from the mouse event until the sheet has
// recomputed and both the sheet and the image window have repainted. Run on the offscreen
// platform from a Release build.

#include <QMouseEvent>

#include <filesystem>
#include <random>

#include "analysis/line_geometry.h"
#include "app/uMain.h"
#include "app/uStartup.h"
#include "imaging/formats/image_format.h"
#include "results/uTabelle.h"
#include "view/uImage.h"
#include "bench/uWindowBench.h"

namespace {

using namespace tesra;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
// Intercepts placed before the clicks; each measured click adds one more, up to the capacity.
constexpr int kClicks = 200;

struct Session {
    TfMain* main = nullptr;
    QWidget* canvas = nullptr;
    std::mt19937 rng{11u};

    Session()
    {
        const std::string file = (std::filesystem::temp_directory_path() / "tesra-session-bench.bmp").string();
        {
            TPixelGraphic g(kWidth, kHeight, TPixelFormat::pf24Bit);
            for (int y = 0; y < kHeight; ++y) {
                std::uint8_t* row = g.rowData(y);
                for (int x = 0; x < 3 * kWidth; ++x)
                    row[x] = static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF);
            }
            saveImage(g, file);
        }
        main = CreateProgramWindows();
        main->resize(1920, 1080);
        main->show();
        main->openImageFile(QString::fromStdString(file));
        // Measuring at 100 %, the view at the image's top-left.
        fImage()->SetZoom(Zoom(1));
        fImage()->CentreOn(0, 0);
        std::filesystem::remove(file);

        // The measurement as the user would have made it, every edit a step of the history.
        MeasuringDocument& document = main->document();
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); };
        for (int i = 0; i < 240; ++i)
            document.AddTestLine(pick(kWidth), pick(kHeight), pick(kWidth), pick(kHeight), false);
        for (int i = 0; i < 60; ++i) {
            const int x = pick(kWidth - 1500), y = pick(kHeight - 1500), side = 100 + pick(1400);
            document.AddTestLine(x, y, x + side, y + side, true);
        }
        // The intercepts in one step: the session bench measures clicks, not the set-up.
        document.editMeasurement("Add intercepts", [&](Measurement& edit) {
            while (edit.interceptCount() < kMaxIntercepts - kClicks) {
                PixelPoint p{pick(kWidth), pick(kHeight)};
                edit.AddIntercept(p, NearestLine(edit, p), static_cast<InterceptType>(1 + pick(6)));
            }
        });
        main->state().mode = emSetIntercept;
        canvas = fImage()->findChild<QWidget*>("TempImage");
        QCoreApplication::processEvents();
    }

    ~Session() { delete main; }

    void send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(p), canvas->mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &event);
    }

    // A click on a line in the visible part of the image (the window shows its top-left at
    // 100 %), where the user adds an intercept; a click beside every line would do nothing.
    void click()
    {
        QPoint p;
        for (;;) {
            PixelPoint q{static_cast<int>(rng() % 1200), static_cast<int>(rng() % 700)};
            NearestLine(main->document().measurement(), q);
            p = QPoint(static_cast<int>(q.x), static_cast<int>(q.y));
            if (p.x() >= 0 && p.x() < 1200 && p.y() >= 0 && p.y() < 700)
                break;
        }
        send(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
        send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        QCoreApplication::processEvents();  // the repaints of the sheet and the image
    }
};

Session& session()
{
    static Session s;
    return s;
}

void BM_ClickAddsIntercept(benchmark::State& state)
{
    Session& s = session();
    const Measurement& m = s.main->document().measurement();
    const int before = m.interceptCount();
    for (auto _ : state)
        s.click();
    state.counters["added"] = m.interceptCount() - before;
}
BENCHMARK(BM_ClickAddsIntercept)->Iterations(kClicks)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return tesra::bench::RunWindowBenchmarks(argc, argv, [] {
        delete session().main;
        session().main = nullptr;
    });
}
