// SimulatedCard: a MIFARE Classic 1K card on a simulated card module, for the engine's
// simulated reader and for tests of everything above it.
//
// The card is a 1024-byte image in the usual dump layout (block 0 first, trailers holding the
// true keys). It behaves like a real card where the layers above can tell: block 0 (UID and
// maker data) is never writable; each sector is opened by authenticating with key A or key B
// against its trailer (a wrong key fails every transfer touching that sector); the access bits
// of each block decide what the key may do, including the rule that a readable key B cannot
// authenticate; a trailer reads back with key A hidden and key B hidden unless readable; access
// bytes whose complements do not match lock their sector for good, as on a real card. A
// transfer is checked as a whole before anything is changed, so a refused one changes nothing.
//
// The module can be told that it is absent, that no card is on it, or that a given transfer
// fails (a card taken away mid-write, a flaky field). Tests read and set the raw image.
//
// Plain value type; not thread-safe (one thread, like every engine). Only fromDump() throws.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <vector>

namespace lumo::engine {

class SimulatedCard {
public:
    static constexpr int kBlockSize = 16;
    static constexpr int kBlockCount = 64;
    static constexpr int kImageSize = kBlockSize * kBlockCount;

    using Key = std::array<std::uint8_t, 6>;
    using Block = std::array<std::uint8_t, kBlockSize>;
    using Image = std::array<std::uint8_t, kImageSize>;
    using Uid = std::array<std::uint8_t, 4>;
    using ModuleData = std::array<std::uint8_t, 8>;

    // Key types as the engine's card operations name them in their mode argument.
    enum KeyType : std::uint8_t { KeyA = 0, KeyB = 1 };

    class DumpError : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // A factory-fresh card: data blocks zero, every trailer FF x 6 | FF 07 80 69 | FF x 6.
    explicit SimulatedCard(Uid uid = {0x5A, 0x31, 0xC0, 0x07});
    // A card from a dump of at least 1024 bytes (older tools wrote 4096: the rest is ignored).
    static SimulatedCard fromDump(std::span<const std::uint8_t> dump);

    // --- module -----------------------------------------------------------------------------
    void setModulePresent(bool present) { m_modulePresent = present; }
    bool modulePresent() const { return m_modulePresent; }
    void setCardPresent(bool present) { m_cardPresent = present; }
    bool cardPresent() const { return m_cardPresent; }
    // The k-th transfer from now fails (k = 1: the next one). Transfers are read and write
    // calls, counted whether or not they succeed.
    void failTransfer(int k);
    // Every transfer that touches this block fails, until cleared.
    void failBlock(int block) { m_failedBlocks.insert(block); }
    void clearFailures();
    int transferCount() const { return m_transfers; }

    // Module data when the module answers.
    std::optional<ModuleData> queryModule() const;
    // The card's UID when a card answers the request.
    std::optional<Uid> request() const;
    // Reads count blocks from firstBlock into out (count * 16 bytes); false when refused.
    bool readBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                    std::span<std::uint8_t> out);
    // Writes count blocks from data (count * 16 bytes); false when refused.
    bool writeBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                     std::span<const std::uint8_t> data);

    // --- raw image (no keys, no access checks) ------------------------------------------------
    const Image& image() const { return m_image; }
    Block block(int block) const;
    void setBlock(int block, const Block& bytes);
    Key keyA(int sector) const;
    Key keyB(int sector) const;
    // The four bytes after key A: three access bytes and the general-purpose byte.
    std::array<std::uint8_t, 4> accessBytes(int sector) const;
    Uid uid() const;
    std::vector<std::uint8_t> dump() const { return {m_image.begin(), m_image.end()}; }

    // True when the three access bytes carry their complements correctly.
    static bool accessBytesValid(std::span<const std::uint8_t, 3> access);

private:
    // Access condition (C1 C2 C3 as a 3-bit number) of block position 0..3 of a sector.
    int condition(int sector, int position) const;
    bool authenticates(int sector, std::uint8_t keyType, const Key& key) const;
    bool keyBReadable(int sector) const;
    bool mayRead(int block, std::uint8_t keyType) const;
    bool mayWrite(int block, std::uint8_t keyType) const;
    Block readView(int block, std::uint8_t keyType) const;
    Block trailerAfterWrite(int block, std::uint8_t keyType, const Block& data) const;
    bool transferStarts(int firstBlock, int count);

    Image m_image{};
    bool m_modulePresent = true;
    bool m_cardPresent = true;
    int m_transfers = 0;
    std::set<int> m_failedTransfers;  // absolute transfer numbers, 1 = the first ever
    std::set<int> m_failedBlocks;
};

}  // namespace lumo::engine
