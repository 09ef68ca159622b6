#include "TemplateCipher.h"

#include <openssl/evp.h>

#include <array>
#include <memory>
#include <optional>

#include "CardError.h"

namespace lumo::card {

namespace {

constexpr int kAesBlock = 16;
constexpr char kUpperHex[] = "0123456789ABCDEF";

std::optional<int> hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return std::nullopt;
}

std::optional<std::uint8_t> hexPair(char high, char low) {
    const auto h = hexDigit(high);
    const auto l = hexDigit(low);
    if (!h || !l) return std::nullopt;
    return static_cast<std::uint8_t>(*h << 4 | *l);
}

using Key = std::array<std::uint8_t, 16>;

// The normalised text is the key material; turning it back into bytes is the key schedule's
// first step, and the only way it can refuse a key.
Key keyBytes(std::string_view keyText) {
    const std::string material = NormalizeCipherKey(keyText);
    Key key{};
    if (material.size() != 2 * key.size()) throw CardError("Key error.");
    for (std::size_t i = 0; i < key.size(); ++i) {
        const auto byte = hexPair(material[2 * i], material[2 * i + 1]);
        if (!byte) throw CardError("Key error.");
        key[i] = *byte;
    }
    return key;
}

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter>;

// AES-128-CBC, zero IV, no padding of OpenSSL's own (the blank padding is done before).
CipherContext makeContext(const Key& key, bool encipher) {
    CipherContext ctx(EVP_CIPHER_CTX_new());
    const std::array<std::uint8_t, kAesBlock> iv{};
    if (!ctx ||
        EVP_CipherInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, key.data(), iv.data(),
                          encipher ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1) {
        throw CardError("Key error.");
    }
    return ctx;
}

// Runs all blocks through the context; false when it did not process exactly all of them.
bool runBlocks(EVP_CIPHER_CTX* ctx, const std::uint8_t* in, int length, std::uint8_t* out) {
    int produced = 0;
    if (length > 0 && EVP_CipherUpdate(ctx, out, &produced, in, length) != 1) return false;
    int tail = 0;
    if (EVP_CipherFinal_ex(ctx, out + produced, &tail) != 1) return false;
    return produced + tail == length;
}

bool isTrimmed(unsigned char c) { return c <= 0x20; }

}  // namespace

std::string NormalizeCipherKey(std::string_view keyText) {
    std::string text(keyText);
    if (text.size() % 2 != 0) text += '0';
    Key key{};
    for (std::size_t i = 0; i < key.size() && i < text.size() / 2; ++i) {
        const auto byte = hexPair(text[2 * i], text[2 * i + 1]);
        if (!byte) break;
        key[i] = *byte;
    }
    std::string hex;
    hex.reserve(2 * key.size());
    for (const std::uint8_t byte : key) {
        hex += kUpperHex[byte >> 4];
        hex += kUpperHex[byte & 0x0F];
    }
    return hex;
}

std::vector<std::uint8_t> EncipherText(std::string_view plain, std::string_view keyText) {
    const CipherContext ctx = makeContext(keyBytes(keyText), true);
    std::vector<std::uint8_t> padded(plain.begin(), plain.end());
    padded.resize((padded.size() + kAesBlock - 1) / kAesBlock * kAesBlock, 0x20);
    std::vector<std::uint8_t> cipher(padded.size());
    if (!runBlocks(ctx.get(), padded.data(), static_cast<int>(padded.size()), cipher.data())) {
        throw CardError("EnCrypt error.");
    }
    return cipher;
}

std::string DecipherText(const std::vector<std::uint8_t>& cipher, std::string_view keyText) {
    const CipherContext ctx = makeContext(keyBytes(keyText), false);
    if (cipher.empty() || cipher.size() % kAesBlock != 0) {
        throw CardError("Wrong message length.");
    }
    std::vector<std::uint8_t> plain(cipher.size());
    if (!runBlocks(ctx.get(), cipher.data(), static_cast<int>(cipher.size()), plain.data())) {
        throw CardError("DeCrypt error.");
    }
    std::size_t begin = 0;
    std::size_t end = plain.size();
    while (begin < end && isTrimmed(plain[begin])) ++begin;
    while (end > begin && isTrimmed(plain[end - 1])) --end;
    return std::string(plain.begin() + begin, plain.begin() + end);
}

std::string PercentEncode(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        const bool kept = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                          (byte >= '0' && byte <= '9') || byte == '*' || byte == '-' ||
                          byte == '.' || byte == '@' || byte == '_';
        if (kept) {
            text += static_cast<char>(byte);
        } else {
            text += '%';
            text += kUpperHex[byte >> 4];
            text += kUpperHex[byte & 0x0F];
        }
    }
    return text;
}

std::vector<std::uint8_t> PercentDecode(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        // A "%" needs two more characters to start an escape.
        if (text[i] == '%' && text.size() - i > 2) {
            if (const auto byte = hexPair(text[i + 1], text[i + 2])) {
                bytes.push_back(*byte);
                i += 3;
                continue;
            }
        }
        bytes.push_back(static_cast<std::uint8_t>(text[i]));
        ++i;
    }
    return bytes;
}

std::string Encrypt(std::string_view plain, std::string_view keyText) {
    return PercentEncode(EncipherText(plain, NormalizeCipherKey(keyText)));
}

std::string Decrypt(std::string_view enciphered, std::string_view keyText) {
    const std::string key = NormalizeCipherKey(keyText);
    return DecipherText(PercentDecode(enciphered), key);
}

}  // namespace lumo::card
