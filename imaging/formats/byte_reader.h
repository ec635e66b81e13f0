#pragma once
// A bounds-checked reader over bytes in memory. Every reader of an image format parses the file
// through one of these, so that no count, size or offset taken from a file can lead to a read
// past the end: a short input ends the load with EImageFormat("<tag>Unexpected end of file")
// instead. Numbers are assembled byte by byte, never by casting a struct over the data.
#include "imaging/formats/format_error.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace tesra {

using ByteSpan = std::span<const std::uint8_t>;

class ByteReader {
public:
    // Reads `data`; failures carry `tag` ("BMP: ", ...) in front of their text.
    ByteReader(ByteSpan data, const char* tag) : m_data(data), m_tag(tag) {}

    std::size_t size() const { return m_data.size(); }
    std::size_t pos() const { return m_pos; }
    std::size_t remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }
    ByteSpan data() const { return m_data; }
    const char* tag() const { return m_tag; }

    // Moves to an absolute offset; an offset beyond the end is an error (the end itself is not).
    void seek(std::uint64_t offset)
    {
        if (offset > m_data.size())
            throwTruncated();
        m_pos = static_cast<std::size_t>(offset);
    }
    void skip(std::uint64_t count)
    {
        need(count);
        m_pos += static_cast<std::size_t>(count);
    }

    std::uint8_t u8()
    {
        need(1);
        return m_data[m_pos++];
    }
    std::uint16_t u16le()
    {
        need(2);
        const std::uint16_t v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    std::uint32_t u32le()
    {
        need(4);
        const std::uint32_t v = peekU32le(m_data, m_pos);
        m_pos += 4;
        return v;
    }
    std::int32_t i32le() { return static_cast<std::int32_t>(u32le()); }
    std::uint16_t u16be()
    {
        need(2);
        const std::uint16_t v = static_cast<std::uint16_t>((m_data[m_pos] << 8) | m_data[m_pos + 1]);
        m_pos += 2;
        return v;
    }
    std::uint32_t u32be()
    {
        need(4);
        const std::uint32_t v = (std::uint32_t(m_data[m_pos]) << 24) | (std::uint32_t(m_data[m_pos + 1]) << 16) |
                                (std::uint32_t(m_data[m_pos + 2]) << 8) | std::uint32_t(m_data[m_pos + 3]);
        m_pos += 4;
        return v;
    }

    // The next `count` bytes, consumed.
    ByteSpan bytes(std::uint64_t count)
    {
        need(count);
        ByteSpan s = m_data.subspan(m_pos, static_cast<std::size_t>(count));
        m_pos += static_cast<std::size_t>(count);
        return s;
    }
    // Up to `count` bytes from the current position, consumed; fewer at the end of the data.
    ByteSpan bytesUpTo(std::uint64_t count)
    {
        const std::size_t n = count < remaining() ? static_cast<std::size_t>(count) : remaining();
        ByteSpan s = m_data.subspan(m_pos, n);
        m_pos += n;
        return s;
    }

    // Fails with the end-of-file message unless `count` more bytes are there.
    void need(std::uint64_t count) const
    {
        if (count > remaining())
            throwTruncated();
    }
    [[noreturn]] void throwTruncated() const { throw EImageFormat(m_tag, "Unexpected end of file"); }

    // Peeking without a reader: a byte or number at `offset`, or `fallback` when the data is too
    // short. Used when recognising a signature, which must never consume or fail.
    static std::uint8_t peekU8(ByteSpan data, std::size_t offset, std::uint8_t fallback = 0)
    {
        return offset < data.size() ? data[offset] : fallback;
    }
    static std::uint16_t peekU16le(ByteSpan data, std::size_t offset)
    {
        if (data.size() < 2 || offset > data.size() - 2)
            return 0;
        return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
    }
    static std::uint32_t peekU32le(ByteSpan data, std::size_t offset)
    {
        if (data.size() < 4 || offset > data.size() - 4)
            return 0;
        return std::uint32_t(data[offset]) | (std::uint32_t(data[offset + 1]) << 8) |
               (std::uint32_t(data[offset + 2]) << 16) | (std::uint32_t(data[offset + 3]) << 24);
    }

private:
    ByteSpan m_data;
    std::size_t m_pos = 0;
    const char* m_tag;
};

}  // namespace tesra
