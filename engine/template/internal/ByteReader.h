// Bounds-checked reading of little- and big-endian integers from a byte span. Every read past
// the end throws the error made by the owner's failure function, so decoders need no length
// arithmetic of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace lumo::engine::internal {

class ByteReader {
public:
    using FailFn = void (*)(const std::string& detail);  // must throw

    ByteReader(std::span<const std::uint8_t> data, FailFn fail) : m_data(data), m_fail(fail) {}

    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos == m_data.size(); }

    std::uint8_t u8()
    {
        need(1);
        return m_data[m_pos++];
    }
    std::uint16_t u16le()
    {
        need(2);
        const std::uint16_t v = m_data[m_pos] | (m_data[m_pos + 1] << 8);
        m_pos += 2;
        return v;
    }
    std::uint16_t u16be()
    {
        need(2);
        const std::uint16_t v = (m_data[m_pos] << 8) | m_data[m_pos + 1];
        m_pos += 2;
        return v;
    }
    std::uint32_t u32le()
    {
        need(4);
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | m_data[m_pos + i];
        m_pos += 4;
        return v;
    }
    std::uint32_t u32be()
    {
        need(4);
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | m_data[m_pos + i];
        m_pos += 4;
        return v;
    }
    std::int32_t i32le() { return static_cast<std::int32_t>(u32le()); }
    std::span<const std::uint8_t> bytes(std::size_t n)
    {
        need(n);
        auto out = m_data.subspan(m_pos, n);
        m_pos += n;
        return out;
    }
    void skip(std::size_t n) { bytes(n); }

private:
    void need(std::size_t n)
    {
        if (n > remaining()) m_fail("the data ends early");
    }

    std::span<const std::uint8_t> m_data;
    FailFn m_fail;
    std::size_t m_pos = 0;
};

}  // namespace lumo::engine::internal
