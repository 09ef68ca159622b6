// The card record: one fingerprint template and a user id laid over the data blocks of a
// MIFARE Classic 1K card, in one of two user-id layouts chosen by the caller (a card does not
// say which one it holds).
//
//   extended: 6A 01 | user id, 4 bytes LE | N, 2 bytes LE | 0F FF | N template bytes
//   short:    6A 01 | user id, 2 bytes LE | N, 2 bytes LE | 0F FF | N template bytes
//
// The record runs over the 47 data blocks (never block 0, never a sector trailer) in the order
// of DataBlockOrder(), 752 bytes at most: a longer record is cut there while its length field
// keeps the full N. Other systems read these bytes, so the layout is fixed to the byte.
//
// Pure functions on values, any thread. BuildCardRecord raises CardError for a template that
// does not fit the control's 2000-byte template buffer; ParseCardRecord never raises.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lumo::card {

inline constexpr int kBlockSize = 16;
inline constexpr int kCardBlockCount = 64;
inline constexpr int kCardSize = kCardBlockCount * kBlockSize;
inline constexpr int kDataBlockCount = 47;
inline constexpr int kRecordCapacity = kDataBlockCount * kBlockSize;  // 752
// The control holds template bytes in a buffer of this size; a record whose length field says
// more is damaged, and a template of more bytes is never put on a card.
inline constexpr int kTemplateBufferSize = 2000;

inline constexpr std::uint8_t kRecordHeaderByte = 106;  // 0x6A
inline constexpr std::uint8_t kRecordFormatByte = 1;
inline constexpr std::uint8_t kRecordFirstMarker = 0x0F;
inline constexpr std::uint8_t kRecordSecondMarker = 0xFF;
// Length field of the record that empties a card.
inline constexpr std::uint16_t kEmptyRecordLength = 752;

// Block 4s + 3 of sector s.
constexpr bool isSectorTrailer(int block) { return block % 4 == 3; }

// The 47 data blocks in record order: 1, 2, 4, 5, 6, 8, ..., 60, 61, 62.
const std::array<std::uint8_t, kDataBlockCount>& DataBlockOrder();

// Bytes before the template: 10 (extended) or 8 (short).
constexpr int recordHeaderSize(bool extended) { return extended ? 10 : 8; }

// L for a template of n bytes: n + header, capped at the card's 752 data bytes.
int recordLength(std::uint32_t templateLength, bool extended);

// Data blocks holding a record of `length` bytes: ceil(length / 16).
constexpr int recordBlockCount(int length) { return (length + kBlockSize - 1) / kBlockSize; }

struct CardRecord {
    // The whole data area in record order; every byte after the record is zero.
    std::array<std::uint8_t, kRecordCapacity> bytes{};
    int length = 0;  // L
    int blocks = 0;  // data blocks that hold the record
};

// Raises CardError when the template is longer than kTemplateBufferSize.
CardRecord BuildCardRecord(std::span<const std::uint8_t> templateBytes, std::int32_t userId,
                           bool extended);

// User id 0, length field 752, zeros after the markers; covers all 47 data blocks.
CardRecord BuildEmptyCardRecord(bool extended);

struct ParsedCardRecord {
    std::int32_t userId = 0;   // short layout: the 16-bit field widened with zeros
    std::uint16_t length = 0;  // N as the length field says
    // The template bytes the record carries: N of them, or fewer when the record was cut at the
    // end of the card (a template longer than the card holds) or `bytes` ends before them.
    std::vector<std::uint8_t> templateBytes;

    bool isCut() const { return templateBytes.size() < length; }
};

// No record (nullopt) when `bytes` is too short for the header, byte 0 is not 106, byte 1 is not
// 1, or the length field is larger than kTemplateBufferSize (a damaged card). The markers are not
// checked: cards written by other systems may carry other values there.
std::optional<ParsedCardRecord> ParseCardRecord(std::span<const std::uint8_t> bytes, bool extended);

// Reads only the length field; nullopt when the header bytes do not mark a record or `bytes`
// is too short. Lets a reader learn how many blocks to fetch after the first transfer.
std::optional<std::uint16_t> recordLengthField(std::span<const std::uint8_t> bytes, bool extended);

// One engine call over consecutive data blocks of one sector.
struct SectorTransfer {
    int firstBlock = 0;    // card block number
    int blockCount = 0;    // 2 for sector 0 (block 0 is the maker's), 3 for the others
    int recordOffset = 0;  // position of its first byte in the record
};

// The sector transfers that cover the first `blocks` data blocks: blocks 1-2, 4-6, 8-10, ...
// The last one may reach up to two blocks past them; there are at most 16. At least one
// transfer is made; `blocks` above 47 means 47.
std::vector<SectorTransfer> recordTransfers(int blocks);

}  // namespace lumo::card
