#include "control/card/CardOperations.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "control/card/CardError.h"
#include "engine/IFPEngine.h"

namespace lumo::card {

namespace {

// Reader and slot of every card call, and the key type (key A) of every transfer.
constexpr int kReader = 0;
constexpr int kSlot = 0;
constexpr std::uint8_t kKeyA = 0;
constexpr std::uint8_t kRequestIdle = 0x26;  // ISO/IEC 14443 type A request for idle cards
constexpr int kSectorCount = 16;
// The key-change pass decides on sectors 0 to 9 only: the upper sectors may belong to other
// applications on the same card, with keys of their own.
constexpr int kKeyChangeSectorsThatCount = 10;

std::string trimmed(const std::string& text) {
    const auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    const auto begin = std::find_if_not(text.begin(), text.end(), isTrimmed);
    const auto end = std::find_if_not(text.rbegin(), std::make_reverse_iterator(begin), isTrimmed);
    return std::string(begin, end.base());
}

// Deletes the temporary template file however the write ends.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {
        // A file left by an earlier run must never pass for the engine's output.
        std::error_code error;
        std::filesystem::remove(m_path, error);
        if (std::filesystem::exists(m_path, error)) {
            throw CardError("The old temporary file " + m_path.string() +
                            " could not be removed; nothing was written to the card.");
        }
    }
    ~TemporaryFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

private:
    std::filesystem::path m_path;
};

// The largest template the chosen layout carries whole.
std::size_t layoutCapacity(bool extended) {
    return static_cast<std::size_t>(kRecordCapacity - recordHeaderSize(extended));
}

}  // namespace

CardOperations::CardOperations(engine::IFPEngine& engine, CardKey& cardKey, CardKey& newCardKey,
                               EnsureEngine ensureEngine, ShowError showError)
    : m_engine(engine),
      m_cardKey(cardKey),
      m_newCardKey(newCardKey),
      m_ensureEngine(std::move(ensureEngine)),
      m_showError(std::move(showError)) {}

bool CardOperations::Set6FPCardKey(std::int32_t key1, std::int32_t key2, std::int32_t key3,
                                   std::int32_t key4, std::int32_t key5, std::int32_t key6) {
    m_cardKey = CardKeyFromDigits(key1, key2, key3, key4, key5, key6);
    return true;
}

bool CardOperations::SetNew6FPCardKey(std::int32_t key1, std::int32_t key2, std::int32_t key3,
                                      std::int32_t key4, std::int32_t key5, std::int32_t key6) {
    m_newCardKey = CardKeyFromDigits(key1, key2, key3, key4, key5, key6);
    return true;
}

std::optional<std::int32_t> CardOperations::checkModuleAndCard() {
    std::vector<std::uint8_t> moduleData(128, 0);
    if (!m_engine.QueryCardModule(kReader, kSlot, moduleData)) return CardNoModule;
    std::vector<std::uint8_t> cardInfo(16, 0);
    std::vector<std::uint8_t> serial(128, 0);
    if (!m_engine.CardRequest(kReader, kSlot, kRequestIdle, 0, cardInfo, serial)) {
        return CardNoCard;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> CardOperations::cardTemplateBytes(const std::string& regTemplate) {
    engine::TemplateValue value;
    m_engine.TextToCardTemplate(trimmed(regTemplate), value);
    if (value.empty()) {
        throw CardError(
            "The template could not be converted for the card; nothing was "
            "written to the card.");
    }

    const std::filesystem::path path(kWriteTemplateFile);
    const TemporaryFile file(path);
    m_engine.SaveTemplateToFile(kWriteTemplateFile, value);

    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size == 0) {
        throw CardError(std::string("The engine did not write the template file ") +
                        kWriteTemplateFile + "; nothing was written to the card.");
    }
    if (size > kTemplateBufferSize) {
        throw CardError("The card template has " + std::to_string(size) +
                        " bytes, more than a card record takes; nothing was written to the card.");
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in || in.gcount() != static_cast<std::streamsize>(bytes.size())) {
        throw CardError(std::string("The template file ") + kWriteTemplateFile +
                        " could not be read; nothing was written to the card.");
    }
    return bytes;
}

bool CardOperations::writeRecord(const CardRecord& record) {
    // Every transfer carries record bytes (each starts inside the record), so one failure
    // loses part of the record: the write as a whole has failed.
    bool allWritten = true;
    for (const SectorTransfer& transfer : recordTransfers(record.blocks)) {
        const auto begin = record.bytes.begin() + transfer.recordOffset;
        const std::vector<std::uint8_t> data(begin, begin + transfer.blockCount * kBlockSize);
        if (m_engine.WriteCardBlocks(
                kReader, kSlot, kKeyA, static_cast<std::uint8_t>(transfer.firstBlock),
                static_cast<std::uint8_t>(transfer.blockCount), m_cardKey, data) == 0) {
            allWritten = false;
        }
    }
    return allWritten;
}

bool CardOperations::changeKeys() {
    const SectorTrailer trailer = BuildSectorTrailer(m_newCardKey);
    const std::vector<std::uint8_t> data(trailer.begin(), trailer.end());
    bool passed = true;
    for (int sector = 0; sector < kSectorCount; ++sector) {
        const bool written = m_engine.WriteCardBlocks(kReader, kSlot, kKeyA,
                                                      static_cast<std::uint8_t>(sector * 4 + 3), 1,
                                                      m_cardKey, data) != 0;
        if (!written && sector < kKeyChangeSectorsThatCount) passed = false;
    }
    return passed;
}

std::int32_t CardOperations::WriteTemplateToCard(const std::string& regTemplate,
                                                 std::int32_t userId, bool changePwd,
                                                 bool extUserIdFmt) {
    if (!m_ensureEngine()) return CardNoEngine;
    if (const auto refused = checkModuleAndCard()) return *refused;

    const std::vector<std::uint8_t> bytes = cardTemplateBytes(regTemplate);
    // A longer template would be cut at the end of the card and could never be read back.
    if (bytes.size() > layoutCapacity(extUserIdFmt)) {
        throw CardError("The card template has " + std::to_string(bytes.size()) +
                        " bytes; a card holds at most " +
                        std::to_string(layoutCapacity(extUserIdFmt)) +
                        " in this user-id format. Nothing was written to the card.");
    }
    const CardRecord record = BuildCardRecord(bytes, userId, extUserIdFmt);
    std::int32_t result = writeRecord(record) ? CardDone : CardTransferFailed;
    if (changePwd && !changeKeys()) result = CardKeyChangeFailed;
    return result;
}

std::int32_t CardOperations::EmptyMFCard(bool extUserIdFmt) {
    if (!m_ensureEngine()) return CardNoEngine;
    if (const auto refused = checkModuleAndCard()) return *refused;

    std::int32_t result =
        writeRecord(BuildEmptyCardRecord(extUserIdFmt)) ? CardDone : CardTransferFailed;
    SetNew6FPCardKey(0, 0, 0, 0, 0, 0);
    if (!changeKeys()) result = CardKeyChangeFailed;
    return result;
}

bool CardOperations::readTransfer(const SectorTransfer& transfer,
                                  std::vector<std::uint8_t>& record) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(transfer.blockCount) * kBlockSize, 0);
    if (m_engine.ReadCardBlocks(
            kReader, kSlot, kKeyA, static_cast<std::uint8_t>(transfer.firstBlock),
            static_cast<std::uint8_t>(transfer.blockCount), m_cardKey, buffer) == 0) {
        return false;
    }
    // An engine may have resized the buffer: take no more than was asked for.
    const std::size_t n =
        std::min(buffer.size(), static_cast<std::size_t>(transfer.blockCount) * kBlockSize);
    std::copy_n(buffer.begin(), n, record.begin() + transfer.recordOffset);
    return true;
}

std::int32_t CardOperations::readRecord(std::string& regTemplate, std::int32_t& userId,
                                        bool extUserIdFmt) {
    std::vector<std::uint8_t> record(kRecordCapacity, 0);
    // The first transfer holds the header; its length field says how many more are needed.
    const auto transfers = recordTransfers(kDataBlockCount);
    if (!readTransfer(transfers.front(), record)) return CardTransferFailed;
    const auto length = recordLengthField(record, extUserIdFmt);
    if (!length || *length > kTemplateBufferSize) return CardNoRecord;
    const int blocks = recordBlockCount(recordLength(*length, extUserIdFmt));
    const auto needed = recordTransfers(blocks);
    for (std::size_t i = 1; i < needed.size(); ++i) {
        if (!readTransfer(needed[i], record)) return CardTransferFailed;
    }

    const auto parsed = ParseCardRecord(record, extUserIdFmt);
    if (!parsed) return CardNoRecord;
    if (parsed->isCut()) {
        throw CardError("The card says its template has " + std::to_string(parsed->length) +
                        " bytes, but a card holds only " +
                        std::to_string(parsed->templateBytes.size()) + " of them.");
    }

    {
        std::ofstream out(kReadTemplateFile, std::ios::binary | std::ios::trunc);
        if (!out) return CardTemplateFileFailed;
        out.write(reinterpret_cast<const char*>(parsed->templateBytes.data()),
                  static_cast<std::streamsize>(parsed->templateBytes.size()));
        out.close();
        if (!out) return CardTemplateFileFailed;
    }
    std::ifstream in(kReadTemplateFile, std::ios::binary);
    const engine::TemplateValue value{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
    if (in.bad() || value != parsed->templateBytes) {
        throw CardError(std::string("The template file ") + kReadTemplateFile +
                        " could not be read back.");
    }

    std::string text;
    m_engine.CardTemplateToText(value, text);
    if (text.empty()) throw CardError("The template on the card could not be converted.");
    userId = parsed->userId;
    regTemplate = text;
    return CardDone;
}

std::int32_t CardOperations::ReadTemplateFromCard(std::string& regTemplate, std::int32_t& userId,
                                                  bool extUserIdFmt) {
    regTemplate.clear();
    userId = 0;
    if (!m_ensureEngine()) return CardNoEngine;
    try {
        return readRecord(regTemplate, userId, extUserIdFmt);
    } catch (const std::exception& e) {
        regTemplate.clear();
        userId = 0;
        m_showError(kReadErrorPrefix + std::string(e.what()));
        return CardNoEngine;
    }
}

}  // namespace lumo::card
