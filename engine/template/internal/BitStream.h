// Most-significant-bit-first bit packing for the compact template form. The reader is bounds
// checked and throws through its owner's failure function.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumo::engine::internal {

class BitWriter {
public:
    void put(std::uint32_t value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) putBit((value >> i) & 1u);
    }
    void putBit(unsigned bit)
    {
        if (m_used == 0) m_out.push_back(0);
        if (bit) m_out.back() |= static_cast<std::uint8_t>(0x80u >> m_used);
        m_used = (m_used + 1) % 8;
    }
    // Rice code: quotient in unary (ones ended by a zero), then k low bits.
    void rice(std::uint32_t value, int k)
    {
        for (std::uint32_t q = value >> k; q > 0; --q) putBit(1);
        putBit(0);
        put(value & ((1u << k) - 1u), k);
    }
    std::size_t bitCount() const { return m_out.size() * 8 - (m_used ? 8 - m_used : 0); }
    const std::vector<std::uint8_t>& bytes() const { return m_out; }

private:
    std::vector<std::uint8_t> m_out;
    int m_used = 0;  // bits used in the last byte; 0 means it is full (or there is none)
};

class BitReader {
public:
    using FailFn = void (*)(const std::string& detail);  // must throw

    BitReader(std::span<const std::uint8_t> data, FailFn fail) : m_data(data), m_fail(fail) {}

    unsigned bit()
    {
        if (m_pos >= m_data.size() * 8) m_fail("the data ends early");
        const unsigned b = (m_data[m_pos / 8] >> (7 - m_pos % 8)) & 1u;
        ++m_pos;
        return b;
    }
    std::uint32_t get(int bits)
    {
        std::uint32_t v = 0;
        for (int i = 0; i < bits; ++i) v = (v << 1) | bit();
        return v;
    }
    // The quotient is limited so that a run of ones cannot describe a huge value.
    std::uint32_t rice(int k, std::uint32_t maxValue)
    {
        std::uint32_t q = 0;
        while (bit()) {
            ++q;
            if ((static_cast<std::uint64_t>(q) << k) > maxValue) m_fail("a coded value is out of range");
        }
        const std::uint32_t v = (q << k) | get(k);
        if (v > maxValue) m_fail("a coded value is out of range");
        return v;
    }
    // The rest of the last byte must be zero and nothing may follow it.
    void finish()
    {
        while (m_pos % 8 != 0)
            if (bit()) m_fail("padding bits are set");
        if (m_pos != m_data.size() * 8) m_fail("unexpected bytes follow the data");
    }

private:
    std::span<const std::uint8_t> m_data;
    FailFn m_fail;
    std::size_t m_pos = 0;
};

}  // namespace lumo::engine::internal
