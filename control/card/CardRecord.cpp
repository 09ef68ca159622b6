#include "CardRecord.h"

#include <algorithm>
#include <string>

#include "CardError.h"

namespace lumo::card {

namespace {

constexpr std::array<std::uint8_t, kDataBlockCount> makeDataBlockOrder() {
    std::array<std::uint8_t, kDataBlockCount> order{};
    int n = 0;
    for (int block = 1; block < kCardBlockCount; ++block) {
        if (!isSectorTrailer(block)) order[n++] = static_cast<std::uint8_t>(block);
    }
    return order;
}

constexpr auto kDataBlockOrder = makeDataBlockOrder();
static_assert(kDataBlockOrder.front() == 1 && kDataBlockOrder.back() == 62);

// Header fields at the offsets of the chosen layout.
void writeHeader(std::span<std::uint8_t> out, std::int32_t userId, std::uint16_t length,
                 bool extended) {
    const auto id = static_cast<std::uint32_t>(userId);
    out[0] = kRecordHeaderByte;
    out[1] = kRecordFormatByte;
    int pos = 2;
    const int idBytes = extended ? 4 : 2;
    for (int i = 0; i < idBytes; ++i) out[pos++] = static_cast<std::uint8_t>(id >> (8 * i));
    out[pos++] = static_cast<std::uint8_t>(length & 0xFF);
    out[pos++] = static_cast<std::uint8_t>((length >> 8) & 0xFF);
    out[pos++] = kRecordFirstMarker;
    out[pos++] = kRecordSecondMarker;
}

bool hasRecordHeader(std::span<const std::uint8_t> bytes, bool extended) {
    return bytes.size() >= static_cast<std::size_t>(recordHeaderSize(extended)) &&
           bytes[0] == kRecordHeaderByte && bytes[1] == kRecordFormatByte;
}

}  // namespace

const std::array<std::uint8_t, kDataBlockCount>& DataBlockOrder() { return kDataBlockOrder; }

int recordLength(std::uint32_t templateLength, bool extended) {
    const std::uint64_t length = std::uint64_t{templateLength} + recordHeaderSize(extended);
    return static_cast<int>(std::min<std::uint64_t>(length, kRecordCapacity));
}

CardRecord BuildCardRecord(std::span<const std::uint8_t> templateBytes, std::int32_t userId,
                           bool extended) {
    if (templateBytes.size() > static_cast<std::size_t>(kTemplateBufferSize)) {
        throw CardError("The template has " + std::to_string(templateBytes.size()) +
                        " bytes; a card record takes at most " +
                        std::to_string(kTemplateBufferSize) + ".");
    }
    CardRecord record;
    const auto n = static_cast<std::uint16_t>(templateBytes.size());
    writeHeader(record.bytes, userId, n, extended);
    const std::size_t header = recordHeaderSize(extended);
    const std::size_t stored = std::min(templateBytes.size(), record.bytes.size() - header);
    std::copy_n(templateBytes.begin(), stored, record.bytes.begin() + header);
    record.length = recordLength(n, extended);
    record.blocks = recordBlockCount(record.length);
    return record;
}

CardRecord BuildEmptyCardRecord(bool extended) {
    CardRecord record;
    writeHeader(record.bytes, 0, kEmptyRecordLength, extended);
    record.length = kRecordCapacity;
    record.blocks = kDataBlockCount;
    return record;
}

std::optional<std::uint16_t> recordLengthField(std::span<const std::uint8_t> bytes, bool extended) {
    if (!hasRecordHeader(bytes, extended)) return std::nullopt;
    const int pos = extended ? 6 : 4;
    return static_cast<std::uint16_t>(bytes[pos] | (bytes[pos + 1] << 8));
}

std::optional<ParsedCardRecord> ParseCardRecord(std::span<const std::uint8_t> bytes,
                                                bool extended) {
    const auto length = recordLengthField(bytes, extended);
    if (!length || *length > kTemplateBufferSize) return std::nullopt;

    ParsedCardRecord record;
    record.length = *length;
    if (extended) {
        record.userId = static_cast<std::int32_t>(
            std::uint32_t{bytes[2]} | std::uint32_t{bytes[3]} << 8 | std::uint32_t{bytes[4]} << 16 |
            std::uint32_t{bytes[5]} << 24);
    } else {
        record.userId = static_cast<std::int32_t>(bytes[2] | (bytes[3] << 8));
    }
    // Never past the bytes given nor past the card's data area: a cut record yields what the
    // card holds, not bytes from beyond it.
    const std::size_t header = recordHeaderSize(extended);
    const std::size_t available =
        std::min(bytes.size(), static_cast<std::size_t>(kRecordCapacity)) - header;
    const std::size_t taken = std::min<std::size_t>(record.length, available);
    record.templateBytes.assign(bytes.begin() + header, bytes.begin() + header + taken);
    return record;
}

std::vector<SectorTransfer> recordTransfers(int blocks) {
    blocks = std::clamp(blocks, 1, kDataBlockCount);
    std::vector<SectorTransfer> transfers;
    int block = 0;
    int covered = 0;
    do {
        SectorTransfer transfer;
        if (block == 0) {
            transfer.firstBlock = 1;
            transfer.blockCount = 2;
        } else {
            transfer.firstBlock = block + (isSectorTrailer(block) ? 1 : 0);
            transfer.blockCount = 3;
        }
        transfer.recordOffset = covered * kBlockSize;
        transfers.push_back(transfer);
        block = transfer.firstBlock + transfer.blockCount;
        covered += transfer.blockCount;
    } while (covered < blocks);
    return transfers;
}

}  // namespace lumo::card
