// CardOperations: the control's five card members without their COM wrapping.
//
// Set6FPCardKey and SetNew6FPCardKey load the two keys; WriteTemplateToCard stores a card
// record (optionally followed by the key-change pass), ReadTemplateFromCard reads it back and
// EmptyMFCard blanks a card and returns its keys to the factory key. Every card transfer goes
// through the engine; the result codes are those of the members:
//
//   code  write / empty                        read
//   -1    the engine did not start              the engine did not start, or an error (after
//                                               the "Read fingerprint from card error. " box)
//    0    done                                  done
//    1    a transfer with record bytes failed   a transfer with record bytes failed
//    2    no card module                        no record (or a damaged length field)
//    3    no card                               "fingerprint2.tpl" could not be written
//    4    the key-change pass failed            -
//
// Ownership: the engine and both keys belong to the control object and outlive this object;
// the keys are read and written through the references given. ensureEngine runs the control's
// engine start (with its own messages); showError shows a modal error box.
//
// Errors: WriteTemplateToCard and EmptyMFCard raise (engine errors, CardError for a template
// the engine cannot turn into card bytes, file errors): the member then fails and nothing more
// is written. ReadTemplateFromCard never raises after the engine start: it shows the box.
//
// Temporary files lie in the current folder: "Lumo.tpl" (the engine's card template, always
// deleted) and "fingerprint2.tpl" (the template bytes read from a card, left in place).
//
// GUI thread only; a call blocks until every engine call has returned.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control/card/CardKey.h"
#include "control/card/CardRecord.h"

namespace lumo::engine {
class IFPEngine;
}

namespace lumo::card {

enum CardResult : std::int32_t {
    CardNoEngine = -1,
    CardDone = 0,
    CardTransferFailed = 1,
    CardNoModule = 2,
    CardNoRecord = 2,
    CardNoCard = 3,
    CardTemplateFileFailed = 3,
    CardKeyChangeFailed = 4,
};

inline constexpr const char* kWriteTemplateFile = "Lumo.tpl";
inline constexpr const char* kReadTemplateFile = "fingerprint2.tpl";
inline constexpr const char* kReadErrorPrefix = "Read fingerprint from card error. ";

class CardOperations {
public:
    using EnsureEngine = std::function<bool()>;
    using ShowError = std::function<void(const std::string& text)>;

    CardOperations(engine::IFPEngine& engine, CardKey& cardKey, CardKey& newCardKey,
                   EnsureEngine ensureEngine, ShowError showError);

    // Always true; the engine and the card are not touched.
    bool Set6FPCardKey(std::int32_t key1, std::int32_t key2, std::int32_t key3, std::int32_t key4,
                       std::int32_t key5, std::int32_t key6);
    bool SetNew6FPCardKey(std::int32_t key1, std::int32_t key2, std::int32_t key3,
                          std::int32_t key4, std::int32_t key5, std::int32_t key6);

    std::int32_t WriteTemplateToCard(const std::string& regTemplate, std::int32_t userId,
                                     bool changePwd, bool extUserIdFmt);
    // Sets regTemplate and userId (empty and 0 unless the result is 0).
    std::int32_t ReadTemplateFromCard(std::string& regTemplate, std::int32_t& userId,
                                      bool extUserIdFmt);
    std::int32_t EmptyMFCard(bool extUserIdFmt);

private:
    // CardNoModule or CardNoCard when the module or the card does not answer.
    std::optional<std::int32_t> checkModuleAndCard();
    // The bytes of the engine's card template for a template string, through "Lumo.tpl".
    std::vector<std::uint8_t> cardTemplateBytes(const std::string& regTemplate);
    // True when every sector transfer carrying record bytes was written.
    bool writeRecord(const CardRecord& record);
    bool readTransfer(const SectorTransfer& transfer, std::vector<std::uint8_t>& record);
    std::int32_t readRecord(std::string& regTemplate, std::int32_t& userId, bool extUserIdFmt);
    // Rewrites the 16 trailers with the new card key; false when one of sectors 0..9 failed.
    bool changeKeys();

    engine::IFPEngine& m_engine;
    CardKey& m_cardKey;
    CardKey& m_newCardKey;
    EnsureEngine m_ensureEngine;
    ShowError m_showError;
};

}  // namespace lumo::card
