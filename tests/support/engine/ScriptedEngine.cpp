#include "ScriptedEngine.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/EngineError.h"

namespace lumo::test {

using engine::EngineError;
using engine::TemplateValue;

namespace {

template <class... Args>
std::string line(const std::string& op, const Args&... args) {
    std::ostringstream out;
    out << op << '(';
    bool first = true;
    ((out << (first ? "" : ", ") << args, first = false), ...);
    out << ')';
    return out.str();
}

std::string boolText(bool b) { return b ? "true" : "false"; }

}  // namespace

std::string ScriptedEngine::hex(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

void ScriptedEngine::willReturn(const std::string& op, Answer a) {
    m_queued[op].push_back(std::move(a));
}
void ScriptedEngine::setAnswer(const std::string& op, Answer a) { m_sticky[op] = std::move(a); }
void ScriptedEngine::willThrow(const std::string& op, const std::string& message) {
    m_errors[op].push_back(message);
}
void ScriptedEngine::alwaysThrow(const std::string& op, const std::string& message) {
    m_alwaysErrors[op] = message;
}
void ScriptedEngine::clearThrow(const std::string& op) {
    m_alwaysErrors.erase(op);
    m_errors.erase(op);
}

std::vector<std::string> ScriptedEngine::callsNamed(const std::set<std::string>& names) const {
    std::vector<std::string> out;
    for (const std::string& c : m_calls) {
        if (names.count(c.substr(0, c.find('(')))) out.push_back(c);
    }
    return out;
}

void ScriptedEngine::record(const std::string& callLine) const {
    m_calls.push_back(callLine);
    if (onCall) onCall(callLine);
    const std::string op = callLine.substr(0, callLine.find('('));
    if (auto it = m_errors.find(op); it != m_errors.end() && !it->second.empty()) {
        std::string message = it->second.front();
        it->second.pop_front();
        throw EngineError(message);
    }
    if (auto it = m_alwaysErrors.find(op); it != m_alwaysErrors.end())
        throw EngineError(it->second);
}

ScriptedEngine::Answer ScriptedEngine::answer(const std::string& op, Answer fallback) {
    if (auto it = m_queued.find(op); it != m_queued.end() && !it->second.empty()) {
        Answer a = it->second.front();
        it->second.pop_front();
        return a;
    }
    if (auto it = m_sticky.find(op); it != m_sticky.end()) return it->second;
    return fallback;
}

bool ScriptedEngine::boolAnswer(const std::string& op, bool fallback) {
    Answer a = answer(op, fallback);
    if (auto* b = std::get_if<bool>(&a)) return *b;
    if (auto* i = std::get_if<int>(&a)) return *i != 0;
    throw std::logic_error("ScriptedEngine: answer of " + op + " is not a boolean");
}

int ScriptedEngine::intAnswer(const std::string& op, int fallback) {
    Answer a = answer(op, fallback);
    if (auto* i = std::get_if<int>(&a)) return *i;
    if (auto* b = std::get_if<bool>(&a)) return *b ? 1 : 0;
    throw std::logic_error("ScriptedEngine: answer of " + op + " is not an integer");
}

std::string ScriptedEngine::textAnswer(const std::string& op) {
    Answer a = answer(op, std::string());
    if (auto* s = std::get_if<std::string>(&a)) return *s;
    throw std::logic_error("ScriptedEngine: answer of " + op + " is not a string");
}

TemplateValue ScriptedEngine::valueAnswer(const std::string& op) {
    Answer a = answer(op, TemplateValue());
    if (auto* v = std::get_if<TemplateValue>(&a)) return *v;
    throw std::logic_error("ScriptedEngine: answer of " + op + " is not a template value");
}

// --- properties ---
int ScriptedEngine::EnrollCount() const {
    record("EnrollCount");
    return enrollCount;
}
void ScriptedEngine::setEnrollCount(int v) {
    record(line("setEnrollCount", v));
    enrollCount = v;
}
bool ScriptedEngine::Active() const {
    record("Active");
    return active;
}
bool ScriptedEngine::IsRegister() const {
    record("IsRegister");
    return isRegister;
}
void ScriptedEngine::setIsRegister(bool v) {
    record(line("setIsRegister", boolText(v)));
    isRegister = v;
}
int ScriptedEngine::EnrollIndex() const {
    record("EnrollIndex");
    return enrollIndex;
}
int ScriptedEngine::OneToOneThreshold() const {
    record("OneToOneThreshold");
    return oneToOneThreshold;
}
void ScriptedEngine::setOneToOneThreshold(int v) {
    record(line("setOneToOneThreshold", v));
    oneToOneThreshold = v;
}
std::string ScriptedEngine::SensorSN() const {
    record("SensorSN");
    return sensorSN;
}
std::string ScriptedEngine::FPEngineVersion() const {
    record("FPEngineVersion");
    return version;
}
void ScriptedEngine::setFPEngineVersion(const std::string& v) {
    record(line("setFPEngineVersion", v));
    version = v;
}
int ScriptedEngine::SensorIndex() const {
    record("SensorIndex");
    return sensorIndex;
}
void ScriptedEngine::setSensorIndex(int v) {
    record(line("setSensorIndex", v));
    sensorIndex = v;
}
int ScriptedEngine::Threshold() const {
    record("Threshold");
    return threshold;
}
void ScriptedEngine::setThreshold(int v) {
    record(line("setThreshold", v));
    threshold = v;
}
bool ScriptedEngine::ForceSecondMatch() const {
    record("ForceSecondMatch");
    return forceSecondMatch;
}
void ScriptedEngine::setForceSecondMatch(bool v) {
    record(line("setForceSecondMatch", boolText(v)));
    forceSecondMatch = v;
}
bool ScriptedEngine::AutoIdentify() const {
    record("AutoIdentify");
    return autoIdentify;
}
void ScriptedEngine::setAutoIdentify(bool v) {
    record(line("setAutoIdentify", boolText(v)));
    autoIdentify = v;
}
bool ScriptedEngine::IsImageChange() const {
    record("IsImageChange");
    return isImageChange;
}
void ScriptedEngine::setIsImageChange(bool v) {
    record(line("setIsImageChange", boolText(v)));
    isImageChange = v;
}

// --- sensor ---
int ScriptedEngine::StartEngine() {
    record("StartEngine()");
    const int code = intAnswer("StartEngine", 0);
    if (code == 0 && startActivates) active = true;
    return code;
}

void ScriptedEngine::StopEngine() {
    record("StopEngine()");
    active = false;
    isRegister = false;
}

void ScriptedEngine::StartEnrollment() {
    record("StartEnrollment()");
    isRegister = true;
    enrollIndex = enrollCount;
}

void ScriptedEngine::CancelEnrollment() {
    record("CancelEnrollment()");
    isRegister = false;
}

int ScriptedEngine::SignalSensor(int code, int onOff) {
    record(line("SignalSensor", code, onOff));
    return intAnswer("SignalSensor", 0);
}

// --- templates ---
std::string ScriptedEngine::LastTemplateAsText() {
    record("LastTemplateAsText()");
    return textAnswer("LastTemplateAsText");
}

TemplateValue ScriptedEngine::LastTemplateValue() {
    record("LastTemplateValue()");
    return valueAnswer("LastTemplateValue");
}

TemplateValue ScriptedEngine::TextToTemplate(const std::string& t) {
    record(line("TextToTemplate", t));
    return valueAnswer("TextToTemplate");
}

TemplateValue ScriptedEngine::CompressTemplateText(const std::string& t) {
    record(line("CompressTemplateText", t));
    return valueAnswer("CompressTemplateText");
}

std::string ScriptedEngine::TemplateToText(const TemplateValue& v) {
    record(line("TemplateToText", hex(v)));
    return textAnswer("TemplateToText");
}

bool ScriptedEngine::MatchTemplateStrings(std::string& reg, const std::string& ver, bool learning,
                                          bool& changed) {
    record(line("MatchTemplateStrings", reg, ver, boolText(learning)));
    const bool matched = boolAnswer("MatchTemplateStrings", false);
    if (!learnedTemplate.empty()) reg = learnedTemplate;
    changed = matchChanged;
    return matched;
}

// --- images ---
void ScriptedEngine::DrawImage(QPainter*, int x, int y, int width, int height) {
    record(line("DrawImage", x, y, width, height));
}

void ScriptedEngine::SaveImageAsBitmap(const std::string& f) {
    record(line("SaveImageAsBitmap", f));
}
void ScriptedEngine::SaveImageAsJpeg(const std::string& f) { record(line("SaveImageAsJpeg", f)); }
void ScriptedEngine::BeginImageInput() { record("BeginImageInput()"); }

bool ScriptedEngine::AddImageFromFile(const std::string& f, int dpi) {
    record(line("AddImageFromFile", f, dpi));
    return boolAnswer("AddImageFromFile", false);
}

bool ScriptedEngine::RegTemplateFromImageFile(const std::string& f, int dpi, std::string& t) {
    record(line("RegTemplateFromImageFile", f, dpi));
    t = regTemplateFromFile;
    return boolAnswer("RegTemplateFromImageFile", !t.empty());
}

bool ScriptedEngine::VerTemplateFromImageFile(const std::string& f, int dpi, std::string& t) {
    record(line("VerTemplateFromImageFile", f, dpi));
    t = verTemplateFromFile;
    return boolAnswer("VerTemplateFromImageFile", !t.empty());
}

// --- cache DB ---
int ScriptedEngine::CreateFPCacheDB() {
    record("CreateFPCacheDB()");
    return intAnswer("CreateFPCacheDB", 0);
}

void ScriptedEngine::ReleaseFPCacheDB(int h) { record(line("ReleaseFPCacheDB", h)); }

int ScriptedEngine::AddRegTemplateStrToFPCacheDB(int h, int id, const std::string& t) {
    record(line("AddRegTemplateStrToFPCacheDB", h, id, t));
    return intAnswer("AddRegTemplateStrToFPCacheDB", 0);
}

int ScriptedEngine::RemoveTemplateFromFPCacheDB(int h, int id) {
    record(line("RemoveTemplateFromFPCacheDB", h, id));
    return intAnswer("RemoveTemplateFromFPCacheDB", 0);
}

int ScriptedEngine::IdentificationFromStrInFPCacheDB(int h, const std::string& t, int& score,
                                                     int& rank) {
    record(line("IdentificationFromStrInFPCacheDB", h, t));
    score = identScore;
    rank = identRank;
    return intAnswer("IdentificationFromStrInFPCacheDB", 0);
}

// --- card ---
bool ScriptedEngine::QueryCardModule(int reader, int slot, std::vector<std::uint8_t>& data) {
    record(line("QueryCardModule", reader, slot, data.size()));
    std::copy_n(moduleData.begin(), std::min(moduleData.size(), data.size()), data.begin());
    return boolAnswer("QueryCardModule", true);
}

bool ScriptedEngine::CardRequest(int reader, int slot, std::uint8_t requestCode, std::uint8_t flags,
                                 std::vector<std::uint8_t>& cardInfo,
                                 std::vector<std::uint8_t>& serial) {
    record(line("CardRequest", reader, slot, int(requestCode), int(flags), cardInfo.size(),
                serial.size()));
    std::copy_n(cardSerial.begin(), std::min(cardSerial.size(), serial.size()), serial.begin());
    return boolAnswer("CardRequest", true);
}

int ScriptedEngine::ReadCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t first,
                                   std::uint8_t count, const engine::CardKey& key,
                                   std::vector<std::uint8_t>& buffer) {
    record(line("ReadCardBlocks", reader, slot, int(mode), int(first), int(count),
                hex({key.begin(), key.end()}), buffer.size()));
    const int result = intAnswer("ReadCardBlocks", 1);
    if (result != 0) {
        const std::size_t from = std::size_t(first) * 16;
        const std::size_t n =
            std::min<std::size_t>({std::size_t(count) * 16, buffer.size(),
                                   from < cardMemory.size() ? cardMemory.size() - from : 0});
        std::copy_n(cardMemory.begin() + std::ptrdiff_t(std::min(from, cardMemory.size())), n,
                    buffer.begin());
    }
    return result;
}

int ScriptedEngine::WriteCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t first,
                                    std::uint8_t count, const engine::CardKey& key,
                                    const std::vector<std::uint8_t>& data) {
    record(line("WriteCardBlocks", reader, slot, int(mode), int(first), int(count),
                hex({key.begin(), key.end()}), hex(data)));
    const int result = intAnswer("WriteCardBlocks", 1);
    if (result != 0) {
        const std::size_t from = std::size_t(first) * 16;
        const std::size_t n =
            std::min<std::size_t>({std::size_t(count) * 16, data.size(),
                                   from < cardMemory.size() ? cardMemory.size() - from : 0});
        std::copy_n(data.begin(), n,
                    cardMemory.begin() + std::ptrdiff_t(std::min(from, cardMemory.size())));
    }
    return result;
}

int ScriptedEngine::TextToCardTemplate(const std::string& t, TemplateValue& out) {
    record(line("TextToCardTemplate", t));
    out = cardTemplate;
    return intAnswer("TextToCardTemplate", 0);
}

int ScriptedEngine::CardTemplateToText(const TemplateValue& in, std::string& t) {
    record(line("CardTemplateToText", hex(in)));
    t = cardTemplateText;
    return intAnswer("CardTemplateToText", 0);
}

int ScriptedEngine::SaveTemplateToFile(const std::string& f, const TemplateValue& v) {
    record(line("SaveTemplateToFile", f, hex(v)));
    std::ofstream out(f, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(v.data()), std::streamsize(v.size()));
    return intAnswer("SaveTemplateToFile", 0);
}

}  // namespace lumo::test
