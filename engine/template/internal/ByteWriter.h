// Appends little- and big-endian integers to a byte vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumo::engine::internal {

class ByteWriter {
public:
    std::vector<std::uint8_t>& bytes() { return m_out; }
    std::size_t size() const { return m_out.size(); }

    void u8(std::uint8_t v) { m_out.push_back(v); }
    void u16le(std::uint16_t v)
    {
        m_out.push_back(v & 0xFF);
        m_out.push_back(v >> 8);
    }
    void u16be(std::uint16_t v)
    {
        m_out.push_back(v >> 8);
        m_out.push_back(v & 0xFF);
    }
    void u32le(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) m_out.push_back((v >> (8 * i)) & 0xFF);
    }
    void u32be(std::uint32_t v)
    {
        for (int i = 3; i >= 0; --i) m_out.push_back((v >> (8 * i)) & 0xFF);
    }
    void i32le(std::int32_t v) { u32le(static_cast<std::uint32_t>(v)); }
    void append(std::span<const std::uint8_t> data) { m_out.insert(m_out.end(), data.begin(), data.end()); }

    void putU32le(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) m_out[at + i] = (v >> (8 * i)) & 0xFF;
    }
    void putU16le(std::size_t at, std::uint16_t v)
    {
        m_out[at] = v & 0xFF;
        m_out[at + 1] = v >> 8;
    }
    void putU32be(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i) m_out[at + i] = (v >> (8 * (3 - i))) & 0xFF;
    }
    void putU16be(std::size_t at, std::uint16_t v)
    {
        m_out[at] = v >> 8;
        m_out[at + 1] = v & 0xFF;
    }

private:
    std::vector<std::uint8_t> m_out;
};

}  // namespace lumo::engine::internal
