#pragma once
// TConvFilter: a convolution with an integer kernel, normalised by the sum of the weights that
// fall inside the image, then scaled by a gain and lifted by a bias. The sharpen, detail and
// contour filters are such kernels, derived from a bell-shaped base kernel.
//
// Integer weights times 8-bit channels sum exactly in integers; the one division and the gain
// and bias are done in long double exactly as the formula reads, so the fast row loop and the
// plain pixel function give the same bytes.
#include <cstdint>
#include <vector>

#include "imaging/filters/image_filter.h"

namespace tesra {

// The profile of a base kernel. All three have variance σ².
enum TDistributionShape : std::uint8_t { dsGaussian = 0, dsTent = 1, dsRect = 2 };

// The profile value g(x) for standard deviation sigma:
// Gaussian exp(−x²/2σ²)/(σ√2π); tent 1/a − |x|/a² within a = √6σ; rect 1/2a within a = √3σ.
long double DistributionValue(TDistributionShape shape, long double sigma, long double x);

// Largest kernel half-size (cells beside the centre) a base kernel may have; a standard
// deviation needing more is refused rather than allocated.
inline constexpr int kMaxKernelRadius = 64;

class TConvFilter : public TImageFilter {
public:
    // Kernel size, odd; weights row by row (width × height).
    int width = 1;
    int height = 1;
    std::vector<std::int32_t> kernel{1};
    // Position of kernel cell (0,0) relative to the output pixel: −l, −l for centre index l.
    int xOffset = 0;
    int yOffset = 0;
    // Added to every channel as bias × 255 × 0.01.
    long double bias = 0.0L;
    // Multiplies the normalised sum.
    long double gain = 1.0L;

    bool IsPointFilter() const override { return false; }
    // Checks that the kernel matches its size (EPGFilterParameter otherwise).
    void Prepare() override;
    // Weight of cell (i, j), i = column, j = row.
    std::int32_t weight(int i, int j) const { return kernel[static_cast<std::size_t>(j) * width + i]; }
    // Sum of all weights.
    std::int64_t weightSum() const;
    // The weight of the cell that lies on the output pixel.
    std::int32_t centreWeight() const { return weight(-xOffset, -yOffset); }

    std::uint32_t PixelFunction(const TPixelGraphic& source, int x, int y) const override;
    void ComputeRows(const TPixelGraphic& source, const FilterRowSink& sink, ProgressScope& progress) const override;

    // One output channel from the weighted channel sum a and the weight sum s of the cells
    // inside the image: clamp(rnd(gain × (s ≠ 0 ? a / s : a) + bias × 255 × 0.01)).
    std::uint8_t channel(std::int64_t a, std::int64_t s) const;

private:
    void validate() const;
};

// The base kernel of a shape: the smallest k ≥ 0 whose weight rnd(16 × g(k)/g(0)) (rect:
// g(k)) vanishes gives the half-size l = k − 1; cells weigh rnd(16 × g(d)/g(0)) at distance d
// (useDistance) or rnd(16 × g(dx) g(dy)/g(0)²), the rect 1 or 0. Bias 0, gain 1.
// EPGFilterParameter for a sigma that is not positive or needs more than kMaxKernelRadius.
TConvFilter BaseKernel(TDistributionShape shape, bool useDistance, long double sigma);

// Negated base kernel with the centre rnd(100/percent × ΣK).
TConvFilter SharpenKernel(const TConvFilter& base, int percent);
// Negated base kernel with the centre rnd(100/percent × (ΣK − Kc + 1)).
TConvFilter DetailKernel(const TConvFilter& base, int percent);
// Negated base kernel with the centre ΣK − Kc + 1 (weights sum to 1); bias 100 and gain
// percent on a white background, bias 0 and gain −percent on a black one.
TConvFilter ContourKernel(const TConvFilter& base, int percent, bool blackBackground);

}  // namespace tesra
