#include "NoSensorEngine.h"

#include "EngineError.h"

namespace lumo::engine {

namespace {

[[noreturn]] void noEngine() {
    throw EngineError(
        "No fingerprint engine is installed: templates cannot be made, "
        "converted, matched or identified");
}

[[noreturn]] void noSensor() { throw EngineError("No fingerprint sensor is connected"); }

}  // namespace

void NoSensorEngine::StartEnrollment() { noSensor(); }
int NoSensorEngine::SignalSensor(int, int) { noSensor(); }

std::string NoSensorEngine::LastTemplateAsText() { noEngine(); }
TemplateValue NoSensorEngine::LastTemplateValue() { noEngine(); }
TemplateValue NoSensorEngine::TextToTemplate(const std::string&) { noEngine(); }
TemplateValue NoSensorEngine::CompressTemplateText(const std::string&) { noEngine(); }
std::string NoSensorEngine::TemplateToText(const TemplateValue&) { noEngine(); }
bool NoSensorEngine::MatchTemplateStrings(std::string&, const std::string&, bool, bool&) {
    noEngine();
}

// There is never an image to paint: leave the caller's picture as it is.
void NoSensorEngine::DrawImage(QPainter*, int, int, int, int) {}

void NoSensorEngine::SaveImageAsBitmap(const std::string&) {
    throw EngineError("No fingerprint image has been captured");
}

void NoSensorEngine::SaveImageAsJpeg(const std::string&) {
    throw EngineError("No fingerprint image has been captured");
}

bool NoSensorEngine::AddImageFromFile(const std::string&, int) { noEngine(); }
bool NoSensorEngine::RegTemplateFromImageFile(const std::string&, int, std::string&) { noEngine(); }
bool NoSensorEngine::VerTemplateFromImageFile(const std::string&, int, std::string&) { noEngine(); }

int NoSensorEngine::CreateFPCacheDB() { noEngine(); }
void NoSensorEngine::ReleaseFPCacheDB(int) { noEngine(); }
int NoSensorEngine::AddRegTemplateStrToFPCacheDB(int, int, const std::string&) { noEngine(); }
int NoSensorEngine::RemoveTemplateFromFPCacheDB(int, int) { noEngine(); }
int NoSensorEngine::IdentificationFromStrInFPCacheDB(int, const std::string&, int&, int&) {
    noEngine();
}

// No card module: the card operations answer "not there" instead of raising, as a real
// engine does when the module is unplugged.
bool NoSensorEngine::QueryCardModule(int, int, std::vector<std::uint8_t>&) { return false; }
bool NoSensorEngine::CardRequest(int, int, std::uint8_t, std::uint8_t, std::vector<std::uint8_t>&,
                                 std::vector<std::uint8_t>&) {
    return false;
}
int NoSensorEngine::ReadCardBlocks(int, int, std::uint8_t, std::uint8_t, std::uint8_t,
                                   const CardKey&, std::vector<std::uint8_t>&) {
    return 0;
}
int NoSensorEngine::WriteCardBlocks(int, int, std::uint8_t, std::uint8_t, std::uint8_t,
                                    const CardKey&, const std::vector<std::uint8_t>&) {
    return 0;
}
int NoSensorEngine::TextToCardTemplate(const std::string&, TemplateValue&) { noEngine(); }
int NoSensorEngine::CardTemplateToText(const TemplateValue&, std::string&) { noEngine(); }
int NoSensorEngine::SaveTemplateToFile(const std::string&, const TemplateValue&) { noEngine(); }

}  // namespace lumo::engine
