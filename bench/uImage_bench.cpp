// The image window under load: a 6000 × 4000 true-colour micrograph with 300 lines and
// circles and 5000 intercepts, shown in a 1600 × 1000 visible area at zoom 1 and zoom 10.
// Measures one mouse move in the set-intercept mode (handler, feedback and the repaint it
// causes), a full repaint of the visible area, and the heap the window holds beyond the image
// buffer after painting at each zoom; and seeing the whole image: opening to a fitted paint
// against the bare load, repaints, pans and zoom steps below 100 %. Run on the offscreen
// platform from a Release build.

#include <QDir>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>

#include <malloc.h>

#include <memory>
#include <random>

#include "analysis/line_geometry.h"
#include "app/uMain.h"
#include "imaging/formats/image_format.h"
#include "view/image_raster.h"
#include "view/uImage.h"
#include "bench/uWindowBench.h"

namespace {

using namespace tesra;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

TPixelGraphic micrograph()
{
    TPixelGraphic g(kWidth, kHeight, TPixelFormat::pf24Bit);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = g.rowData(y);
        for (int x = 0; x < 3 * kWidth; ++x)
            row[x] = static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF);
    }
    return g;
}

void fillMeasurement(Measurement& m)
{
    m.ClearMeasurement();
    std::mt19937 rng(7u);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); };
    for (int i = 0; i < 240; ++i)
        m.AddTestLine(pick(kWidth), pick(kHeight), pick(kWidth), pick(kHeight), false);
    for (int i = 0; i < 60; ++i) {
        const int x = pick(kWidth - 1500), y = pick(kHeight - 1500), side = 100 + pick(1400);
        m.AddTestLine(x, y, x + side, y + side, true);
    }
    while (m.interceptCount() < kMaxIntercepts) {
        PixelPoint p{pick(kWidth), pick(kHeight)};
        const int line = NearestLine(m, p);
        m.AddIntercept(p, line, static_cast<InterceptType>(1 + pick(6)));
    }
}

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

struct Scene {
    std::unique_ptr<TfMain> main;
    std::unique_ptr<TfImage> window;
    QWidget* canvas = nullptr;
    std::size_t heapBeforeWindow = 0;

    Scene()
    {
        main = std::make_unique<TfMain>();
        fillMeasurement(main->document().measurementForLoading());
        TPixelGraphic image = micrograph();
        heapBeforeWindow = heapInUse();
        window = std::make_unique<TfImage>(main->document());
        window->ReplaceImage(std::move(image));
        window->resize(1600, 1000);
        window->show();
        QCoreApplication::processEvents();
        // Grow the window until the visible part of the image is 1600 × 1000.
        const QSize client = window->clientSize();
        window->resize(window->width() + 1600 - client.width(), window->height() + 1000 - client.height());
        QCoreApplication::processEvents();
        canvas = window->findChild<QWidget*>("TempImage");
    }

    // Scrolls to the middle of the image so that the visible area lies inside it.
    void centre()
    {
        auto* area = window->findChild<QScrollArea*>("ScrollBar");
        area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum() / 2);
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum() / 2);
        QCoreApplication::processEvents();
    }

    void setZoom(int z)
    {
        window->SetZoom(z);
        QCoreApplication::processEvents();
        centre();
    }

    void moveTo(QPoint p)
    {
        QMouseEvent event(QEvent::MouseMove, QPointF(p), canvas->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &event);
        QCoreApplication::processEvents();  // the repaint the move asked for
    }
};

Scene& scene()
{
    static Scene s;
    return s;
}

// The canvas position of viewport point p.
QPoint visible(const Scene& s, QPoint p)
{
    auto* area = s.window->findChild<QScrollArea*>("ScrollBar");
    return p + QPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
}

// Mouse moves over random places of the visible area: each snaps to the nearest line, often
// another one (the highlight moves), and draws the cross or the disc.
void BM_MouseMoveSetIntercept(benchmark::State& state)
{
    Scene& s = scene();
    s.main->state().mode = emSetIntercept;
    s.setZoom(static_cast<int>(state.range(0)));
    std::mt19937 rng(3u);
    for (auto _ : state) {
        const QPoint p(static_cast<int>(rng() % 1600), static_cast<int>(rng() % 1000));
        s.moveTo(visible(s, p));
    }
}
BENCHMARK(BM_MouseMoveSetIntercept)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// Mouse moves along a short path, as a hand moves: the marker follows and the selected line
// rarely changes.
void BM_MouseMoveSetInterceptSmooth(benchmark::State& state)
{
    Scene& s = scene();
    s.main->state().mode = emSetIntercept;
    s.setZoom(static_cast<int>(state.range(0)));
    int i = 0;
    for (auto _ : state) {
        const int step = i++ % 400;
        s.moveTo(visible(s, QPoint(600 + step, 500 + step / 2)));
    }
}
BENCHMARK(BM_MouseMoveSetInterceptSmooth)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// A full repaint of the visible 1600 × 1000 area: image part, overlay and feedback.
void BM_FullRepaint(benchmark::State& state)
{
    Scene& s = scene();
    s.main->state().mode = emInfo;
    s.setZoom(static_cast<int>(state.range(0)));
    for (auto _ : state)
        s.canvas->repaint();
}
BENCHMARK(BM_FullRepaint)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// Heap the window holds beyond the image buffer after a full repaint at the zoom (the
// image's own pixels live in pages of their own and are not counted).
void BM_WindowMemory(benchmark::State& state)
{
    Scene& s = scene();
    s.setZoom(static_cast<int>(state.range(0)));
    s.canvas->repaint();
    for (auto _ : state)
        benchmark::DoNotOptimize(heapInUse());
    const double held = static_cast<double>(heapInUse()) - static_cast<double>(s.heapBeforeWindow);
    state.counters["window_MB"] = held / (1024.0 * 1024.0);
    state.counters["image_MB"] = static_cast<double>(s.window->image().bitsSize()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_WindowMemory)->Arg(1)->Arg(10)->Iterations(1);

// The alternative to converting the exposed part: one 32-bit copy of the whole image, made
// at every change of the image.
void BM_ConvertWholeImage(benchmark::State& state)
{
    Scene& s = scene();
    std::vector<std::uint32_t> copy(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state)
        CopyScreenPixels(s.window->image(), 0, 0, kWidth, kHeight, copy.data(), kWidth);
}
BENCHMARK(BM_ConvertWholeImage)->Unit(benchmark::kMillisecond);

// Converting one visible area's worth at zoom 1.
void BM_ConvertVisiblePart(benchmark::State& state)
{
    Scene& s = scene();
    std::vector<std::uint32_t> part(1600u * 1000u);
    for (auto _ : state)
        CopyScreenPixels(s.window->image(), 2000, 1500, 1600, 1000, part.data(), 1600);
}
BENCHMARK(BM_ConvertVisiblePart)->Unit(benchmark::kMillisecond);

// Building the overlay's display list of the full measurement.
void BM_BuildOverlay(benchmark::State& state)
{
    Scene& s = scene();
    for (auto _ : state)
        benchmark::DoNotOptimize(s.window->editor().overlay(false));
}
BENCHMARK(BM_BuildOverlay)->Unit(benchmark::kMicrosecond);

// ---- Seeing the whole image ----

// The micrograph as a PNG file, written once.
const std::string& micrographFile()
{
    static const std::string path = [] {
        const std::string name = QDir::temp().filePath("tesra-bench-6000x4000.png").toStdString();
        saveImage(micrograph(), name);
        return name;
    }();
    return path;
}

// The reference: decoding the file into an image buffer, nothing shown.
void BM_OpenBareLoad(benchmark::State& state)
{
    const std::string& path = micrographFile();
    for (auto _ : state) {
        TPixelGraphic g;
        loadImage(path, g);
        benchmark::DoNotOptimize(g.Width());
    }
}
BENCHMARK(BM_OpenBareLoad)->Unit(benchmark::kMillisecond);

// Opening the file in the window up to its first complete paint, fitted into the visible area.
void BM_OpenToFittedPaint(benchmark::State& state)
{
    const std::string& path = micrographFile();
    Scene& s = scene();
    TfImage window(s.main->document());
    window.resize(s.window->size());
    window.show();
    QCoreApplication::processEvents();
    QWidget* canvas = window.findChild<QWidget*>("TempImage");
    for (auto _ : state) {
        window.ShowImageFile(QString::fromStdString(path));
        window.FitWhenLarger();
        canvas->repaint();
    }
    state.counters["percent"] = window.zoom().percent();
}
BENCHMARK(BM_OpenToFittedPaint)->Unit(benchmark::kMillisecond);

// A full repaint of the visible area at the fit zoom.
void BM_RepaintAtFit(benchmark::State& state)
{
    Scene& s = scene();
    s.main->state().mode = emInfo;
    s.window->SetZoom(s.window->fitZoom());
    QCoreApplication::processEvents();
    for (auto _ : state)
        s.canvas->repaint();
    state.counters["percent"] = s.window->zoom().percent();
}
BENCHMARK(BM_RepaintAtFit)->Unit(benchmark::kMillisecond);

// One step of panning at 50 %: scroll by 40 pixels and paint what shows.
void BM_PanStepAtHalf(benchmark::State& state)
{
    Scene& s = scene();
    s.main->state().mode = emInfo;
    s.window->SetZoom(Zoom::Percent(50));
    QCoreApplication::processEvents();
    auto* bar = s.window->findChild<QScrollArea*>("ScrollBar")->horizontalScrollBar();
    int direction = 40;
    for (auto _ : state) {
        if (bar->value() + direction > bar->maximum() || bar->value() + direction < 0)
            direction = -direction;
        bar->setValue(bar->value() + direction);
        s.canvas->repaint();
    }
}
BENCHMARK(BM_PanStepAtHalf)->Unit(benchmark::kMillisecond);

// One zoom step below 100 % (25 % and 33 % in turn), with the repaint it causes.
void BM_ZoomStepReduced(benchmark::State& state)
{
    Scene& s = scene();
    s.main->state().mode = emInfo;
    bool in = true;
    for (auto _ : state) {
        s.window->SetZoom(Zoom::Percent(in ? 33 : 25));
        s.canvas->repaint();
        in = !in;
    }
}
BENCHMARK(BM_ZoomStepReduced)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return tesra::bench::RunWindowBenchmarks(argc, argv, [] {
        scene().window.reset();
        scene().main.reset();
    });
}
