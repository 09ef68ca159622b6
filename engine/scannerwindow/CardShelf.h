// CardShelf: the MIFARE Classic 1K cards the virtual scanner window can lay on the simulated
// card reader, and the reader's one card slot.
//
// The shelf is a folder of card dumps (*.mfd, any letter case, 1024 bytes or more, block 0
// first), listed in name order. A new blank card is a factory-fresh MIFARE Classic 1K: a random
// 4-byte UID with its BCC, SAK 08, ATQA 04 00 and maker bytes in block 0, every data block
// zero, every trailer FF FF FF FF FF FF | FF 07 80 69 | FF FF FF FF FF FF (factory key A and B,
// transport access bits), the image engine/card/SimulatedCard makes. It is written atomically
// as "blank-<UID>.mfd" (a number added when the name is taken), the folder made when missing.
//
// The card lying on the simulated reader is the engine setting CardDump in the registry layer
// (HKEY_LOCAL_MACHINE\SOFTWARE\FPEngine), which the engine reads at every card operation:
// putting a card on writes the dump's absolute path, taking it away writes an empty value.
//
// Free functions; GUI thread (they read and write files and the registry). Listing never
// throws; creating a card throws std::runtime_error naming the file; the reader functions throw
// registry::RegistryError when the registry cannot be written.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace lumo::scanner {

using CardUid = std::array<std::uint8_t, 4>;

struct ShelfCard {
    std::filesystem::path file;
    std::string name;            // the file name without ".mfd"
    std::optional<CardUid> uid;  // from block 0; empty when the file is not a dump
    bool operator==(const ShelfCard&) const = default;
};

std::vector<ShelfCard> listCardShelf(const std::filesystem::path& folder);
// The card's UID when the file is a dump (at least 1024 bytes), else nullopt.
std::optional<CardUid> dumpUid(const std::filesystem::path& file);

// "1A 2B 3C 4D".
std::string uidText(const CardUid& uid);
// A random UID as a card maker would give: not all zero, and not starting with 88 (the
// cascade tag of longer UIDs).
CardUid randomCardUid();
// The 1024 bytes of a factory-fresh card with that UID.
std::vector<std::uint8_t> blankCardDump(const CardUid& uid);
// Writes a blank card into the folder; answers its path.
std::filesystem::path createBlankCard(const std::filesystem::path& folder, const CardUid& uid);

// The dump lying on the simulated reader: the CardDump setting (empty: no card). Whether the
// file exists is the caller's to check.
std::filesystem::path cardOnReader();
void putCardOnReader(const std::filesystem::path& dumpFile);
void takeCardOffReader();

}  // namespace lumo::scanner
