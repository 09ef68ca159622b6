#include "tests/support/card/SimulatedCardEngine.h"

#include <algorithm>
#include <fstream>

#include "engine/EngineError.h"

namespace lumo::test {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void SimulatedCardEngine::log(std::string line) {
    m_cardCalls.push_back(line);
    if (onCardCall) onCardCall(line);
}

std::vector<std::string> SimulatedCardEngine::cardCallsNamed(const std::string& name) const {
    std::vector<std::string> lines;
    for (const std::string& line : m_cardCalls) {
        if (line.substr(0, line.find('(')) == name) lines.push_back(line);
    }
    return lines;
}

std::string SimulatedCardEngine::templateText(const engine::TemplateValue& bytes) {
    return hex(bytes);
}

bool SimulatedCardEngine::QueryCardModule(int, int, std::vector<std::uint8_t>& data) {
    log("QueryCardModule");
    const auto module = card.queryModule();
    if (!module) return false;
    for (std::size_t i = 0; i < module->size() && i + 1 < data.size(); ++i)
        data[i + 1] = (*module)[i];
    return true;
}

bool SimulatedCardEngine::CardRequest(int, int, std::uint8_t requestCode, std::uint8_t,
                                      std::vector<std::uint8_t>&,
                                      std::vector<std::uint8_t>& serial) {
    log("CardRequest(" + std::to_string(requestCode) + ")");
    const auto uid = card.request();
    if (!uid) return false;
    std::copy_n(uid->begin(), std::min(uid->size(), serial.size()), serial.begin());
    return true;
}

int SimulatedCardEngine::ReadCardBlocks(int, int, std::uint8_t mode, std::uint8_t firstBlock,
                                        std::uint8_t count, const engine::CardKey& key,
                                        std::vector<std::uint8_t>& buffer) {
    log("ReadCardBlocks(" + std::to_string(firstBlock) + ", " + std::to_string(count) + ")");
    return card.readBlocks(mode, firstBlock, count, key, buffer) ? 1 : 0;
}

int SimulatedCardEngine::WriteCardBlocks(int, int, std::uint8_t mode, std::uint8_t firstBlock,
                                         std::uint8_t count, const engine::CardKey& key,
                                         const std::vector<std::uint8_t>& data) {
    log("WriteCardBlocks(" + std::to_string(firstBlock) + ", " + std::to_string(count) + ")");
    return card.writeBlocks(mode, firstBlock, count, key, data) ? 1 : 0;
}

int SimulatedCardEngine::TextToCardTemplate(const std::string& text, engine::TemplateValue& out) {
    log("TextToCardTemplate(" + text + ")");
    out.clear();
    if (text.empty() || text.size() % 2 != 0) return 0;
    engine::TemplateValue bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return 0;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    out = std::move(bytes);
    return 1;
}

int SimulatedCardEngine::CardTemplateToText(const engine::TemplateValue& in, std::string& text) {
    log("CardTemplateToText(" + hex(in) + ")");
    if (cardTextFails || in.empty()) {
        text.clear();
        return 0;
    }
    text = hex(in);
    return 1;
}

int SimulatedCardEngine::SaveTemplateToFile(const std::string& fileName,
                                            const engine::TemplateValue& value) {
    log("SaveTemplateToFile(" + fileName + ")");
    if (!saveWritesNothing) {
        std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(value.data()),
                  static_cast<std::streamsize>(value.size()));
    }
    if (saveThrows) throw engine::EngineError("The template file could not be written.");
    return saveWritesNothing ? 0 : 1;
}

}  // namespace lumo::test
