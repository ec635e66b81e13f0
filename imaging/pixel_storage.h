#pragma once
// The pixel memory of an image buffer: zero-filled, and for large images taken straight from
// the system as fresh pages (which arrive zeroed, so nothing is written twice) and marked
// for huge pages, which cuts the cost of first touching a micrograph's tens of megabytes.
#include <cstddef>
#include <cstdint>

namespace tesra {

class PixelStorage {
public:
    PixelStorage() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit PixelStorage(std::size_t size);
    PixelStorage(const PixelStorage& other);
    PixelStorage(PixelStorage&& other) noexcept { swap(other); }
    PixelStorage& operator=(const PixelStorage& other);
    PixelStorage& operator=(PixelStorage&& other) noexcept
    {
        swap(other);
        return *this;
    }
    ~PixelStorage() { release(); }

    std::uint8_t* data() { return m_data; }
    const std::uint8_t* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    void clear() { release(); }
    void swap(PixelStorage& other) noexcept;

private:
    void release() noexcept;

    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_mapping = nullptr;  // set when the memory is a page mapping of its own
    std::size_t m_mappingSize = 0;
};

}  // namespace tesra
