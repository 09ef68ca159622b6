// ICardReader: a MIFARE Classic 1K card module as the engine sees it.
//
// queryModule() answers when a module is attached; request() when a card lies on it. Block
// transfers authenticate every sector they touch with the given key (keyType 0 = key A,
// 1 = key B) and honour the card's access bits; a refused transfer changes nothing and answers
// false. A transfer that succeeded is stored before the call returns.
//
// Owned by the engine; GUI thread only. Faults the caller cannot read from a false answer (a
// damaged card image, a file that cannot be written) throw CardReaderError with a message for
// a person.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "engine/EngineError.h"

namespace lumo::engine {

class CardReaderError : public EngineError {
public:
    using EngineError::EngineError;
};

struct CardIdentity {
    std::array<std::uint8_t, 4> uid{};
    std::array<std::uint8_t, 2> atqa{};
    std::uint8_t sak = 0;
};

class ICardReader {
public:
    using Key = std::array<std::uint8_t, 6>;
    using ModuleData = std::array<std::uint8_t, 8>;

    virtual ~ICardReader() = default;

    virtual std::optional<ModuleData> queryModule() = 0;
    // requestCode 0x26 (idle cards) or 0x52 (all cards).
    virtual std::optional<CardIdentity> request(std::uint8_t requestCode) = 0;
    // out and data hold count * 16 bytes.
    virtual bool readBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                            std::span<std::uint8_t> out) = 0;
    virtual bool writeBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                             std::span<const std::uint8_t> data) = 0;
};

}  // namespace lumo::engine
