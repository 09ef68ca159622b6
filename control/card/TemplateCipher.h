// The template cipher behind the control's Encrypt and Decrypt members: AES-128 in CBC mode with
// a zero initialisation vector under a key given as hexadecimal text, blank padding, and a
// percent encoding that keeps letters, digits and * - . @ _ as they are.
//
// Other systems exchange these texts, so every step is fixed to the byte:
//   Encrypt(t, k) = PercentEncode(EncipherText(t, NormalizeCipherKey(k)))
//   Decrypt(t, k) = DecipherText(PercentDecode(t), NormalizeCipherKey(k))
// Texts are 8-bit strings (UTF-8 on this platform), handled byte by byte.
//
// Stateless; any thread. Errors raise CardError with one of the messages "Key error.",
// "EnCrypt error.", "Wrong message length." and "DeCrypt error.". A wrong key is not detected
// and no key text is invalid: normalisation turns any text into a key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::card {

// 32 upper-case hexadecimal digits: the first 16 hexadecimal pairs of the text (an odd text gets
// a trailing "0"), stopping at the first pair that is not one, zeros after.
std::string NormalizeCipherKey(std::string_view keyText);

// Pads with blanks (0x20) to a multiple of 16 (nothing for a multiple, the empty text included)
// and enciphers. The key text is normalised again, which leaves a normalised key unchanged.
std::vector<std::uint8_t> EncipherText(std::string_view plain, std::string_view keyText);

// Deciphers and trims every leading and trailing byte of 0x20 or less. Raises "Wrong message
// length." for an empty input or one whose length is not a multiple of 16.
std::string DecipherText(const std::vector<std::uint8_t>& cipher, std::string_view keyText);

// Letters, digits and * - . @ _ as they are; every other byte as %XX (upper-case digits).
std::string PercentEncode(const std::vector<std::uint8_t>& bytes);

// %XX (either case) becomes the byte; a "%" not followed by two hexadecimal digits, and every
// other character ("+" included), is kept as it is.
std::vector<std::uint8_t> PercentDecode(std::string_view text);

std::string Encrypt(std::string_view plain, std::string_view keyText);
std::string Decrypt(std::string_view enciphered, std::string_view keyText);

}  // namespace lumo::card
