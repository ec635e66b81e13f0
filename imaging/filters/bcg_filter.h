#pragma once
// TBCGFilter: brightness, contrast and gamma as one tone curve, applied to red, green and blue
// alike or, with UseY, to the luminance only. A point filter: it runs in place and maps only
// the palette of a palette image.
#include <array>
#include <cstdint>

#include "imaging/filters/image_filter.h"

namespace tesra {

// The tone table for the given settings: for i = 0..255,
// clamp(rnd(((i/255)^gamma × 255 − 127.5) × contrast + 127.5 + brightness × 255 × 0.01)).
std::array<std::uint8_t, 256> BCGToneTable(int brightness, long double contrast, long double gamma);

class TBCGFilter : public TImageFilter {
public:
    // Added brightness in percent of full scale, −100..100.
    int Brightness = 1;
    // Contrast factor around mid-grey, 0.2..5.
    long double Contrast = 1.0L;
    // Gamma exponent of the normalised value, 0.2..5.
    long double Gamma = 1.0L;
    // Apply the curve to the luminance Y and keep the colour difference signals.
    bool UseY = false;

    bool IsPointFilter() const override { return true; }
    // Builds the tone table from the current settings.
    void Prepare() override;
    // The table built by the last Prepare.
    const std::array<std::uint8_t, 256>& ToneTable() const { return m_table; }

    std::uint32_t PixelFunction(const TPixelGraphic& source, int x, int y) const override;
    // The curve applied to one colour (needs Prepare).
    std::uint32_t MapColor(std::uint32_t color) const override;
    void ComputeRows(const TPixelGraphic& source, const FilterRowSink& sink, ProgressScope& progress) const override;

private:
    std::uint32_t mapLuminance(std::uint32_t color) const;

    std::array<std::uint8_t, 256> m_table = identityTable();

    static std::array<std::uint8_t, 256> identityTable();
};

}  // namespace tesra
