#pragma once
// The preview of the filter dialogs: the image scaled down to fit the preview, and a way to
// stop a preview computation that a newer setting has made useless.
#include <atomic>

#include "imaging/pixel_graphic.h"

namespace tesra {

// Largest side of a filter preview, in pixels.
inline constexpr int kFilterPreviewSide = 320;

// The size source (width × height) takes when scaled to fit into maxWidth × maxHeight with
// its proportions kept, never enlarged, at least 1 × 1 for a non-empty source.
struct PreviewSize {
    int width = 0;
    int height = 0;
};
PreviewSize FitPreviewSize(int width, int height, int maxWidth, int maxHeight);

// The source scaled to FitPreviewSize as a 24-bit buffer: every preview pixel is the mean
// colour of the source pixels it covers (rounded to nearest), so fine grain structure stays
// visible at a reduced size. progress (may be null) is told about the rows.
TPixelGraphic ScalePreview(const TPixelGraphic& source, int maxWidth, int maxHeight,
                           ProgressSink* progress = nullptr);

// Thrown out of a long operation through CancellableProgress when its result is no longer
// wanted.
struct PreviewCancelled {};

// A progress sink that forwards to another (may be null) and throws PreviewCancelled at the
// next progress step once `cancel` is set, so a running filter stops early.
class CancellableProgress : public ProgressSink {
public:
    CancellableProgress(const std::atomic<bool>& cancel, ProgressSink* next) : m_cancel(cancel), m_next(next) {}
    void begin() override;
    void step(int percent) override;
    void end() override;

private:
    const std::atomic<bool>& m_cancel;
    ProgressSink* m_next;
};

}  // namespace tesra
