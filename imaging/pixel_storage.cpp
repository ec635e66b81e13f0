#include "imaging/pixel_storage.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tesra {

namespace {

// Below this size the ordinary allocator is as fast and wastes less.
constexpr std::size_t kMappingThreshold = 4u << 20;
constexpr std::size_t kHugePage = 2u << 20;

}  // namespace

PixelStorage::PixelStorage(std::size_t size)
{
    if (size == 0)
        return;
#if defined(__linux__)
    if (size >= kMappingThreshold && size <= SIZE_MAX - kHugePage) {
        // Map a little more than needed and start at a huge-page boundary, so the kernel can
        // back the whole image with huge pages.
        const std::size_t mapped = size + kHugePage;
        void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        const auto base = reinterpret_cast<std::uintptr_t>(p);
        const std::uintptr_t aligned = (base + kHugePage - 1) & ~(static_cast<std::uintptr_t>(kHugePage) - 1);
#if defined(MADV_HUGEPAGE)
        madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
#endif
        m_mapping = p;
        m_mappingSize = mapped;
        m_data = reinterpret_cast<std::uint8_t*>(aligned);
        m_size = size;
        return;
    }
#endif
    m_data = static_cast<std::uint8_t*>(std::calloc(size, 1));
    if (!m_data)
        throw std::bad_alloc();
    m_size = size;
}

PixelStorage::PixelStorage(const PixelStorage& other) : PixelStorage(other.m_size)
{
    if (m_size)
        std::memcpy(m_data, other.m_data, m_size);
}

PixelStorage& PixelStorage::operator=(const PixelStorage& other)
{
    if (this != &other) {
        PixelStorage copy(other);
        swap(copy);
    }
    return *this;
}

void PixelStorage::swap(PixelStorage& other) noexcept
{
    std::swap(m_data, other.m_data);
    std::swap(m_size, other.m_size);
    std::swap(m_mapping, other.m_mapping);
    std::swap(m_mappingSize, other.m_mappingSize);
}

void PixelStorage::release() noexcept
{
#if defined(__linux__)
    if (m_mapping)
        munmap(m_mapping, m_mappingSize);
    else
#endif
        std::free(m_data);
    m_data = nullptr;
    m_size = 0;
    m_mapping = nullptr;
    m_mappingSize = 0;
}

}  // namespace tesra
