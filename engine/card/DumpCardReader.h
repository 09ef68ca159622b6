// DumpCardReader: the simulated card module. The card lying on it is a MIFARE Classic 1K dump
// file (.mfd: blocks 0 to 63 in order, 1024 bytes; longer files of older tools are accepted and
// their first 1024 bytes used); no file name, or no file at that name, means no card.
//
// Every operation reads the file afresh, so a card may be swapped or taken away between calls.
// A write goes through SimulatedCard (keys, access bits, block 0 never writable) and, when the
// card accepted it, replaces the file atomically (a temporary file in the same folder, flushed
// to disk, renamed over the old one), keeping any bytes after the first 1024 and the file's
// permissions: a crash leaves the old card or the new one, never a mixture.
//
// GUI thread only. A file that is not a dump (too short, a folder, unreadable) or that cannot
// be replaced throws CardReaderError naming the file.
#pragma once

#include <filesystem>

#include "engine/card/ICardReader.h"
#include "engine/card/SimulatedCard.h"

namespace lumo::engine {

class DumpCardReader : public ICardReader {
public:
    // The module data the simulated module reports.
    static constexpr ModuleData kModuleData = {'L', 'U', 'M', 'O', 'S', 'I', 'M', '1'};

    explicit DumpCardReader(std::filesystem::path dumpFile);

    std::optional<ModuleData> queryModule() override { return kModuleData; }
    std::optional<CardIdentity> request(std::uint8_t requestCode) override;
    bool readBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                    std::span<std::uint8_t> out) override;
    bool writeBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                     std::span<const std::uint8_t> data) override;

    const std::filesystem::path& dumpFile() const { return m_dumpFile; }

private:
    struct Loaded {
        SimulatedCard card;
        std::vector<std::uint8_t> bytes;  // the whole file
    };
    // nullopt when no card lies on the module.
    std::optional<Loaded> load() const;
    void save(const Loaded& loaded, const SimulatedCard& card) const;

    std::filesystem::path m_dumpFile;
};

}  // namespace lumo::engine
