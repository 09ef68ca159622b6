#include "engine/card/SimulatedCard.h"

#include <algorithm>
#include <string>

namespace lumo::engine {

namespace {

constexpr int kTrailerPosition = 3;
constexpr std::array<std::uint8_t, 4> kTransportAccess{0xFF, 0x07, 0x80, 0x69};
constexpr SimulatedCard::ModuleData kModuleData{'S', 'I', 'M', '-', 'M', 'F', '1', 'K'};

int sectorOf(int block) { return block / 4; }
int positionOf(int block) { return block % 4; }
int trailerOf(int sector) { return sector * 4 + kTrailerPosition; }

// Conditions as C1 C2 C3 read as a binary number.
constexpr int c(int c1, int c2, int c3) { return c1 << 2 | c2 << 1 | c3; }

bool isOneOf(int value, std::initializer_list<int> set) {
    return std::find(set.begin(), set.end(), value) != set.end();
}

// What each key may do, from the MIFARE Classic access condition tables.
struct TrailerRights {
    bool keyAWrite, accessRead, accessWrite, keyBRead, keyBWrite;
};

TrailerRights trailerRights(int cond, std::uint8_t keyType) {
    const bool a = keyType == SimulatedCard::KeyA;
    if (a) {
        return {isOneOf(cond, {c(0, 0, 0), c(0, 0, 1)}), true, cond == c(0, 0, 1),
                isOneOf(cond, {c(0, 0, 0), c(0, 1, 0), c(0, 0, 1)}),
                isOneOf(cond, {c(0, 0, 0), c(0, 0, 1)})};
    }
    return {isOneOf(cond, {c(1, 0, 0), c(0, 1, 1)}),
            isOneOf(cond, {c(1, 0, 0), c(1, 1, 0), c(0, 1, 1), c(1, 0, 1), c(1, 1, 1)}),
            isOneOf(cond, {c(0, 1, 1), c(1, 0, 1)}), false,
            isOneOf(cond, {c(1, 0, 0), c(0, 1, 1)})};
}

bool dataReadable(int cond, std::uint8_t keyType) {
    if (keyType == SimulatedCard::KeyA) {
        return isOneOf(cond, {c(0, 0, 0), c(0, 1, 0), c(1, 0, 0), c(1, 1, 0), c(0, 0, 1)});
    }
    return cond != c(1, 1, 1);
}

bool dataWritable(int cond, std::uint8_t keyType) {
    if (keyType == SimulatedCard::KeyA) return cond == c(0, 0, 0);
    return isOneOf(cond, {c(0, 0, 0), c(1, 0, 0), c(1, 1, 0), c(0, 1, 1)});
}

}  // namespace

SimulatedCard::SimulatedCard(Uid uid) {
    std::copy(uid.begin(), uid.end(), m_image.begin());
    m_image[4] = uid[0] ^ uid[1] ^ uid[2] ^ uid[3];  // BCC
    m_image[5] = 0x08;                               // SAK of a 1K card
    m_image[6] = 0x04;                               // ATQA
    m_image[7] = 0x00;
    const std::array<std::uint8_t, 8> maker{0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69};
    std::copy(maker.begin(), maker.end(), m_image.begin() + 8);
    for (int sector = 0; sector < 16; ++sector) {
        Block trailer{};
        std::fill(trailer.begin(), trailer.begin() + 6, 0xFF);
        std::copy(kTransportAccess.begin(), kTransportAccess.end(), trailer.begin() + 6);
        std::fill(trailer.begin() + 10, trailer.end(), 0xFF);
        setBlock(trailerOf(sector), trailer);
    }
}

SimulatedCard SimulatedCard::fromDump(std::span<const std::uint8_t> dump) {
    if (dump.size() < static_cast<std::size_t>(kImageSize)) {
        throw DumpError("A MIFARE Classic 1K dump has at least 1024 bytes; this one has " +
                        std::to_string(dump.size()) + ".");
    }
    SimulatedCard card;
    std::copy_n(dump.begin(), kImageSize, card.m_image.begin());
    return card;
}

void SimulatedCard::failTransfer(int k) {
    if (k >= 1) m_failedTransfers.insert(m_transfers + k);
}

void SimulatedCard::clearFailures() {
    m_failedTransfers.clear();
    m_failedBlocks.clear();
}

std::optional<SimulatedCard::ModuleData> SimulatedCard::queryModule() const {
    if (!m_modulePresent) return std::nullopt;
    return kModuleData;
}

std::optional<SimulatedCard::Uid> SimulatedCard::request() const {
    if (!m_modulePresent || !m_cardPresent) return std::nullopt;
    return uid();
}

SimulatedCard::Block SimulatedCard::block(int block) const {
    Block bytes{};
    std::copy_n(m_image.begin() + block * kBlockSize, kBlockSize, bytes.begin());
    return bytes;
}

void SimulatedCard::setBlock(int block, const Block& bytes) {
    std::copy(bytes.begin(), bytes.end(), m_image.begin() + block * kBlockSize);
}

SimulatedCard::Key SimulatedCard::keyA(int sector) const {
    Key key{};
    std::copy_n(m_image.begin() + trailerOf(sector) * kBlockSize, 6, key.begin());
    return key;
}

SimulatedCard::Key SimulatedCard::keyB(int sector) const {
    Key key{};
    std::copy_n(m_image.begin() + trailerOf(sector) * kBlockSize + 10, 6, key.begin());
    return key;
}

std::array<std::uint8_t, 4> SimulatedCard::accessBytes(int sector) const {
    std::array<std::uint8_t, 4> bytes{};
    std::copy_n(m_image.begin() + trailerOf(sector) * kBlockSize + 6, 4, bytes.begin());
    return bytes;
}

SimulatedCard::Uid SimulatedCard::uid() const {
    return {m_image[0], m_image[1], m_image[2], m_image[3]};
}

bool SimulatedCard::accessBytesValid(std::span<const std::uint8_t, 3> access) {
    const int c1 = access[1] >> 4;
    const int c2 = access[2] & 0x0F;
    const int c3 = access[2] >> 4;
    return (access[0] & 0x0F) == (~c1 & 0x0F) && (access[0] >> 4) == (~c2 & 0x0F) &&
           (access[1] & 0x0F) == (~c3 & 0x0F);
}

int SimulatedCard::condition(int sector, int position) const {
    const auto access = accessBytes(sector);
    const int c1 = (access[1] >> (4 + position)) & 1;
    const int c2 = (access[2] >> position) & 1;
    const int c3 = (access[2] >> (4 + position)) & 1;
    return c(c1, c2, c3);
}

bool SimulatedCard::keyBReadable(int sector) const {
    return trailerRights(condition(sector, kTrailerPosition), KeyA).keyBRead;
}

bool SimulatedCard::authenticates(int sector, std::uint8_t keyType, const Key& key) const {
    const auto access = accessBytes(sector);
    // A sector whose access bytes do not check is locked for good.
    if (!accessBytesValid(std::span<const std::uint8_t, 3>(access.data(), 3))) return false;
    if (keyType == KeyA) return key == keyA(sector);
    if (keyType == KeyB) return !keyBReadable(sector) && key == keyB(sector);
    return false;
}

bool SimulatedCard::mayRead(int block, std::uint8_t keyType) const {
    const int cond = condition(sectorOf(block), positionOf(block));
    if (positionOf(block) == kTrailerPosition) {
        const TrailerRights rights = trailerRights(cond, keyType);
        return rights.accessRead || rights.keyBRead;
    }
    return dataReadable(cond, keyType);
}

bool SimulatedCard::mayWrite(int block, std::uint8_t keyType) const {
    if (block == 0) return false;  // the maker's block is read-only on every card
    const int cond = condition(sectorOf(block), positionOf(block));
    if (positionOf(block) == kTrailerPosition) {
        const TrailerRights rights = trailerRights(cond, keyType);
        return rights.keyAWrite || rights.accessWrite || rights.keyBWrite;
    }
    return dataWritable(cond, keyType);
}

SimulatedCard::Block SimulatedCard::readView(int block, std::uint8_t keyType) const {
    Block bytes = this->block(block);
    if (positionOf(block) != kTrailerPosition) return bytes;
    const TrailerRights rights =
        trailerRights(condition(sectorOf(block), kTrailerPosition), keyType);
    std::fill(bytes.begin(), bytes.begin() + 6, 0);  // key A is never readable
    if (!rights.accessRead) std::fill(bytes.begin() + 6, bytes.begin() + 10, 0);
    if (!rights.keyBRead) std::fill(bytes.begin() + 10, bytes.end(), 0);
    return bytes;
}

SimulatedCard::Block SimulatedCard::trailerAfterWrite(int block, std::uint8_t keyType,
                                                      const Block& data) const {
    // Parts the key may not write keep their bytes.
    const TrailerRights rights =
        trailerRights(condition(sectorOf(block), kTrailerPosition), keyType);
    Block bytes = this->block(block);
    if (rights.keyAWrite) std::copy(data.begin(), data.begin() + 6, bytes.begin());
    if (rights.accessWrite) std::copy(data.begin() + 6, data.begin() + 10, bytes.begin() + 6);
    if (rights.keyBWrite) std::copy(data.begin() + 10, data.end(), bytes.begin() + 10);
    return bytes;
}

bool SimulatedCard::transferStarts(int firstBlock, int count) {
    const int number = ++m_transfers;
    if (!m_modulePresent || !m_cardPresent) return false;
    if (m_failedTransfers.erase(number) > 0) return false;
    if (firstBlock < 0 || count < 1 || firstBlock + count > kBlockCount) return false;
    for (int b = firstBlock; b < firstBlock + count; ++b) {
        if (m_failedBlocks.count(b) > 0) return false;
    }
    return true;
}

bool SimulatedCard::readBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                               std::span<std::uint8_t> out) {
    if (!transferStarts(firstBlock, count)) return false;
    if (out.size() < static_cast<std::size_t>(count) * kBlockSize) return false;
    for (int b = firstBlock; b < firstBlock + count; ++b) {
        if (!authenticates(sectorOf(b), keyType, key) || !mayRead(b, keyType)) return false;
    }
    for (int i = 0; i < count; ++i) {
        const Block bytes = readView(firstBlock + i, keyType);
        std::copy(bytes.begin(), bytes.end(), out.begin() + i * kBlockSize);
    }
    return true;
}

bool SimulatedCard::writeBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                                std::span<const std::uint8_t> data) {
    if (!transferStarts(firstBlock, count)) return false;
    if (data.size() < static_cast<std::size_t>(count) * kBlockSize) return false;
    for (int b = firstBlock; b < firstBlock + count; ++b) {
        if (!authenticates(sectorOf(b), keyType, key) || !mayWrite(b, keyType)) return false;
    }
    // Work out every new block before changing any: a key written into one trailer must not
    // change the checks of the blocks after it in the same transfer.
    std::vector<Block> written;
    for (int i = 0; i < count; ++i) {
        const int b = firstBlock + i;
        Block bytes{};
        std::copy_n(data.begin() + i * kBlockSize, kBlockSize, bytes.begin());
        written.push_back(positionOf(b) == kTrailerPosition ? trailerAfterWrite(b, keyType, bytes)
                                                            : bytes);
    }
    for (int i = 0; i < count; ++i) setBlock(firstBlock + i, written[i]);
    return true;
}

}  // namespace lumo::engine
