#pragma once
// Checked size arithmetic for image storage. Every width × height × bytes that comes from a
// file header or a caller goes through checkedImageBytes (or checkedProduct for side data)
// before anything is allocated: the arithmetic never overflows, and sizes beyond one
// process-wide limit are refused instead of allocated.
//
// The default limit takes a 30000 × 30000 micrograph at 24 bits per pixel (2.7 GB of rows)
// and refuses the absurd values a broken or hostile header can carry. Fuzz targets and
// tests set a much tighter limit through setImageSizeLimits.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace tesra {

struct ImageSizeLimits {
    std::uint64_t maxPixels = 1'000'000'000ULL;  // 30000 × 30000 = 9 × 10^8 fits
    std::uint64_t maxBytes = 1ULL << 32;         // 4 GiB; 30000 × 30000 × 3 = 2.7 × 10^9 fits
};

namespace detail {
inline ImageSizeLimits& imageSizeLimitsStorage()
{
    static ImageSizeLimits limits;
    return limits;
}
}  // namespace detail

// The limits in force for every image buffer and every reader's own allocations.
inline ImageSizeLimits imageSizeLimits() { return detail::imageSizeLimitsStorage(); }

// Changes the limits for the whole process (fuzzers, tests). Not thread-safe: set it at start.
inline void setImageSizeLimits(const ImageSizeLimits& limits) { detail::imageSizeLimitsStorage() = limits; }

// a × b without overflow, and within the byte limit; nullopt otherwise.
inline std::optional<std::uint64_t> checkedProduct(std::uint64_t a, std::uint64_t b)
{
    if (a != 0 && b > UINT64_MAX / a)
        return std::nullopt;
    const std::uint64_t p = a * b;
    if (p > imageSizeLimits().maxBytes)
        return std::nullopt;
    return p;
}

// Bytes of one row in the device-independent bitmap layout: ((bits × width + 31) div 32) × 4.
// nullopt for a negative width or bits per pixel, or a row beyond the byte limit.
inline std::optional<std::uint64_t> checkedRowStride(std::int64_t width, int bitsPerPixel)
{
    if (width < 0 || bitsPerPixel <= 0 || bitsPerPixel > 64)
        return std::nullopt;
    const std::uint64_t w = static_cast<std::uint64_t>(width);
    if (w > (UINT64_MAX - 31) / 64)
        return std::nullopt;
    const std::uint64_t stride = (w * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
    if (stride > imageSizeLimits().maxBytes)
        return std::nullopt;
    return stride;
}

// Storage of a whole image of width × height pixels with rows laid out as checkedRowStride.
// nullopt for negative sizes, for more pixels than maxPixels, or more bytes than maxBytes.
// A width or height of 0 gives 0 bytes.
inline std::optional<std::uint64_t> checkedImageBytes(std::int64_t width, std::int64_t height, int bitsPerPixel)
{
    if (width < 0 || height < 0)
        return std::nullopt;
    const std::uint64_t w = static_cast<std::uint64_t>(width);
    const std::uint64_t h = static_cast<std::uint64_t>(height);
    if (w != 0 && h > UINT64_MAX / w)
        return std::nullopt;
    if (w * h > imageSizeLimits().maxPixels)
        return std::nullopt;
    const auto stride = checkedRowStride(width, bitsPerPixel);
    if (!stride)
        return std::nullopt;
    const auto total = checkedProduct(*stride, h);
    if (!total || *total > SIZE_MAX)
        return std::nullopt;
    return total;
}

}  // namespace tesra
