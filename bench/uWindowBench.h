#pragma once
// What the window benchmarks share: their start on Qt's offscreen platform, and the large
// true-colour image the window measurements run on.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>

#include "imaging/pixel_graphic.h"

namespace tesra::bench {

// A 6000 × 4000 true-colour image of noise, made once: every byte another, so no filter,
// count or conversion finds a shortcut.
inline const TPixelGraphic& NoiseImage()
{
    static const TPixelGraphic image = [] {
        TPixelGraphic g(6000, 4000, TPixelFormat::pf24Bit);
        std::uint32_t state = 12345;
        for (int y = 0; y < g.Height(); ++y) {
            std::uint8_t* row = g.rowData(y);
            for (std::size_t k = 0; k < static_cast<std::size_t>(g.Width()) * 3; ++k) {
                state = state * 1664525u + 1013904223u;
                row[k] = static_cast<std::uint8_t>(state >> 24);
            }
        }
        return g;
    }();
    return image;
}

// The whole of a window benchmark's main(): the application (offscreen unless the caller's
// environment names a platform), the benchmarks, then `cleanUp` while the application still
// runs, for windows and files the benchmarks kept.
inline int RunWindowBenchmarks(int argc, char** argv, const std::function<void()>& cleanUp = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (cleanUp)
        cleanUp();
    return 0;
}

}  // namespace tesra::bench
