// ScriptedEngine: an IFPEngine for tests that records every call and answers from a script.
//
// Every property read or write and every operation is appended to calls() as one line, in
// call order: property reads as "Active", writes as "setEnrollCount(1)", operations as
// "AddImageFromFile(a.png, 500)" (strings unquoted, byte buffers as lowercase hex, keys too).
//
// Answers: state the properties report lives in the public fields (active, isRegister, ...),
// written by the setters. An operation's answer is taken from a queue filled by willReturn()
// (one answer per call, in order); when the queue is empty, the sticky answer of setAnswer()
// is used; with neither, a plain default (0, false, empty; StartEngine 0). StartEngine sets
// `active` when its answer is 0 and startActivates is true; StopEngine clears it.
//
// Errors: willThrow(op, message) makes the next call of op throw EngineError(message) after
// it has been recorded; alwaysThrow() makes every call throw until clearThrow().
//
// Events: fireImageReceived(), fireFeatureInfo(), fireEnroll() and fireCapture() raise the
// events on demand; onCall runs after every recorded call (before any scripted error), so a
// test can raise events from inside an operation.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "engine/IFPEngine.h"

namespace lumo::test {

class ScriptedEngine : public engine::IFPEngine {
public:
    using Answer = std::variant<bool, int, std::string, engine::TemplateValue>;

    // Script.
    void willReturn(const std::string& op, Answer answer);
    void setAnswer(const std::string& op, Answer answer);
    void willThrow(const std::string& op, const std::string& message);
    void alwaysThrow(const std::string& op, const std::string& message);
    void clearThrow(const std::string& op);

    // Record.
    const std::vector<std::string>& calls() const { return m_calls; }
    // Only the lines whose name (up to "(") is one of names, in order.
    std::vector<std::string> callsNamed(const std::set<std::string>& names) const;
    void clearCalls() { m_calls.clear(); }
    std::function<void(const std::string& call)> onCall;

    using IFPEngine::fireCapture;
    using IFPEngine::fireEnroll;
    using IFPEngine::fireFeatureInfo;
    using IFPEngine::fireImageReceived;

    // Property state.
    int enrollCount = 3;
    bool active = false;
    bool startActivates = true;
    bool isRegister = false;
    int enrollIndex = 0;
    int oneToOneThreshold = 10;
    std::string sensorSN;
    std::string version = "9";
    int sensorIndex = 0;
    int threshold = 10;
    bool forceSecondMatch = false;
    bool autoIdentify = false;
    bool isImageChange = false;

    // Out values of operations that have them besides their answer.
    std::string regTemplateFromFile;  // RegTemplateFromImageFile's text
    std::string verTemplateFromFile;  // VerTemplateFromImageFile's text
    std::string learnedTemplate;  // MatchTemplateStrings writes it to regTemplate when non-empty
    bool matchChanged = false;
    int identScore = 0;
    int identRank = 0;
    std::vector<std::uint8_t> moduleData;  // copied to the front of QueryCardModule's buffer
    std::vector<std::uint8_t> cardSerial;  // copied to the front of CardRequest's serial buffer
    engine::TemplateValue cardTemplate;    // TextToCardTemplate's out value
    std::string cardTemplateText;          // CardTemplateToText's out text
    // The card: ReadCardBlocks copies from it and WriteCardBlocks into it when they answer
    // nonzero (their default answer is 1).
    std::vector<std::uint8_t> cardMemory = std::vector<std::uint8_t>(1024, 0);

    // --- IFPEngine ---
    int EnrollCount() const override;
    void setEnrollCount(int value) override;
    bool Active() const override;
    bool IsRegister() const override;
    void setIsRegister(bool value) override;
    int EnrollIndex() const override;
    int OneToOneThreshold() const override;
    void setOneToOneThreshold(int value) override;
    std::string SensorSN() const override;
    std::string FPEngineVersion() const override;
    void setFPEngineVersion(const std::string& value) override;
    int SensorIndex() const override;
    void setSensorIndex(int value) override;
    int Threshold() const override;
    void setThreshold(int value) override;
    bool ForceSecondMatch() const override;
    void setForceSecondMatch(bool value) override;
    bool AutoIdentify() const override;
    void setAutoIdentify(bool value) override;
    bool IsImageChange() const override;
    void setIsImageChange(bool value) override;

    int StartEngine() override;
    void StopEngine() override;
    void StartEnrollment() override;
    void CancelEnrollment() override;
    int SignalSensor(int code, int onOff) override;

    std::string LastTemplateAsText() override;
    engine::TemplateValue LastTemplateValue() override;
    engine::TemplateValue TextToTemplate(const std::string& templateText) override;
    engine::TemplateValue CompressTemplateText(const std::string& templateText) override;
    std::string TemplateToText(const engine::TemplateValue& templateValue) override;
    bool MatchTemplateStrings(std::string& regTemplate, const std::string& verTemplate,
                              bool learning, bool& changed) override;

    void DrawImage(QPainter* painter, int x, int y, int width, int height) override;
    void SaveImageAsBitmap(const std::string& fileName) override;
    void SaveImageAsJpeg(const std::string& fileName) override;
    void BeginImageInput() override;
    bool AddImageFromFile(const std::string& fileName, int dpi) override;
    bool RegTemplateFromImageFile(const std::string& fileName, int dpi,
                                  std::string& templateText) override;
    bool VerTemplateFromImageFile(const std::string& fileName, int dpi,
                                  std::string& templateText) override;

    int CreateFPCacheDB() override;
    void ReleaseFPCacheDB(int handle) override;
    int AddRegTemplateStrToFPCacheDB(int handle, int id, const std::string& templateText) override;
    int RemoveTemplateFromFPCacheDB(int handle, int id) override;
    int IdentificationFromStrInFPCacheDB(int handle, const std::string& templateText, int& score,
                                         int& rank) override;

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
    // Writes the bytes to the file for real (a card write reads them back), unless scripted
    // to throw.
    int SaveTemplateToFile(const std::string& fileName,
                           const engine::TemplateValue& templateValue) override;

    static std::string hex(const std::vector<std::uint8_t>& bytes);

private:
    // Records the line, runs onCall, throws a scripted error.
    void record(const std::string& line) const;
    Answer answer(const std::string& op, Answer fallback);
    bool boolAnswer(const std::string& op, bool fallback);
    int intAnswer(const std::string& op, int fallback);
    std::string textAnswer(const std::string& op);
    engine::TemplateValue valueAnswer(const std::string& op);

    mutable std::vector<std::string> m_calls;
    std::map<std::string, std::deque<Answer>> m_queued;
    std::map<std::string, Answer> m_sticky;
    mutable std::map<std::string, std::deque<std::string>> m_errors;
    std::map<std::string, std::string> m_alwaysErrors;
};

}  // namespace lumo::test
