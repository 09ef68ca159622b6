#include "engine/template/Base64.h"

#include <array>

#include "engine/template/TemplateError.h"

namespace lumo::engine {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kInvalid = 0xFF;

constexpr std::array<std::uint8_t, 256> makeDecodeTable()
{
    std::array<std::uint8_t, 256> table{};
    for (auto& v : table) v = kInvalid;
    for (std::uint8_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = i;
    return table;
}

constexpr auto kDecode = makeDecodeTable();

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

[[noreturn]] void fail(const char* detail)
{
    throw TemplateError(std::string("Template text is not valid Base64: ") + detail + ".");
}

}  // namespace

std::string base64Encode(std::span<const std::uint8_t> data)
{
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= data.size(); i += 3) {
        const std::uint32_t v = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const std::size_t rest = data.size() - i;
    if (rest == 1) {
        const std::uint32_t v = data[i] << 16;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += "==";
    } else if (rest == 2) {
        const std::uint32_t v = (data[i] << 16) | (data[i + 1] << 8);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::vector<std::uint8_t> base64Decode(std::string_view text)
{
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (!isSpace(c)) compact += c;
    if (compact.size() % 4 != 0) fail("its length is not a multiple of four");

    std::size_t padding = 0;
    if (!compact.empty() && compact.back() == '=') ++padding;
    if (compact.size() >= 2 && compact[compact.size() - 2] == '=') ++padding;

    std::vector<std::uint8_t> out;
    out.reserve(compact.size() / 4 * 3);
    for (std::size_t i = 0; i < compact.size(); i += 4) {
        const bool last = i + 4 == compact.size();
        const std::size_t symbols = last ? 4 - padding : 4;
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const char c = compact[i + k];
            std::uint8_t d = 0;
            if (k < symbols) {
                d = kDecode[static_cast<unsigned char>(c)];
                if (d == kInvalid) fail(c == '=' ? "padding before the end" : "an unexpected character");
            }
            v = (v << 6) | d;
        }
        out.push_back(static_cast<std::uint8_t>(v >> 16));
        if (symbols >= 3) out.push_back(static_cast<std::uint8_t>(v >> 8));
        if (symbols == 4) out.push_back(static_cast<std::uint8_t>(v));
        if (symbols == 2 && (v & 0xFFFFu) != 0) fail("unused bits are set");
        if (symbols == 3 && (v & 0xFFu) != 0) fail("unused bits are set");
    }
    return out;
}

}  // namespace lumo::engine
