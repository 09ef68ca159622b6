// SimulatedCardEngine: the scripted engine double with a simulated MIFARE Classic 1K card
// behind its card operations.
//
// Everything but the card part is ScriptedEngine's (scripts, recorded calls, events). The card
// part goes to `card`, a SimulatedCard with real key checks and access bits, which a test sets
// up, breaks ("no module", "no card", "fail transfer k") and reads raw. cardCalls() lists the
// card operations in call order, one line each:
//   "QueryCardModule", "CardRequest(38)", "ReadCardBlocks(1, 2)" (first block, count),
//   "WriteCardBlocks(3, 1)", "TextToCardTemplate(<text>)", "SaveTemplateToFile(Lumo.tpl)",
//   "CardTemplateToText(<hex>)".
//
// Card templates: the double's template string is the lower-case hexadecimal text of the
// card template's bytes. TextToCardTemplate answers 1 and the bytes for such a text, 0 and no
// bytes for any other text; CardTemplateToText turns bytes back into the text. The knobs below
// make the engine misbehave the way a real one might.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/card/SimulatedCard.h"
#include "tests/support/engine/ScriptedEngine.h"

namespace lumo::test {

class SimulatedCardEngine : public ScriptedEngine {
public:
    engine::SimulatedCard card;

    // Runs after each card call is listed (the line is passed); a test may throw from it to
    // play an engine error.
    std::function<void(const std::string& line)> onCardCall;

    // SaveTemplateToFile answers without writing the file.
    bool saveWritesNothing = false;
    // SaveTemplateToFile throws EngineError after writing (or not writing) the file.
    bool saveThrows = false;
    // CardTemplateToText answers 0 and leaves the text empty.
    bool cardTextFails = false;

    const std::vector<std::string>& cardCalls() const { return m_cardCalls; }
    // Only the lines of one operation, e.g. "WriteCardBlocks".
    std::vector<std::string> cardCallsNamed(const std::string& name) const;
    void clearCardCalls() { m_cardCalls.clear(); }

    static std::string templateText(const engine::TemplateValue& bytes);

    bool QueryCardModule(int reader, int slot, std::vector<std::uint8_t>& data) override;
    bool CardRequest(int reader, int slot, std::uint8_t requestCode, std::uint8_t flags,
                     std::vector<std::uint8_t>& cardInfo,
                     std::vector<std::uint8_t>& serial) override;
    int ReadCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t firstBlock,
                       std::uint8_t count, const engine::CardKey& key,
                       std::vector<std::uint8_t>& buffer) override;
    int WriteCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t firstBlock,
                        std::uint8_t count, const engine::CardKey& key,
                        const std::vector<std::uint8_t>& data) override;
    int TextToCardTemplate(const std::string& templateText,
                           engine::TemplateValue& cardTemplateOut) override;
    int CardTemplateToText(const engine::TemplateValue& cardTemplateIn,
                           std::string& templateText) override;
    int SaveTemplateToFile(const std::string& fileName,
                           const engine::TemplateValue& templateValue) override;

private:
    void log(std::string line);

    std::vector<std::string> m_cardCalls;
};

}  // namespace lumo::test
