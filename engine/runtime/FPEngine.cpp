#include "engine/runtime/FPEngine.h"

#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/card/DumpCardReader.h"
#include "engine/extract/Extractor.h"
#include "engine/extract/ImageQuality.h"
#include "engine/image/ImageLoader.h"
#include "engine/match/Consolidate.h"
#include "engine/match/Learn.h"
#include "engine/match/Matcher.h"
#include "engine/runtime/ScannerWindowStarter.h"
#include "engine/sensor/VirtualSensor.h"
#include "engine/template/TemplateError.h"
#include "engine/template/TemplateForms.h"

namespace lumo::engine {

namespace {

// Sets a flag for the lifetime of a scope and puts back what it was, also on an exception.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_before(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_before; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_before;
};

bool blankText(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= ' '; });
}

QImage toQImage(const GrayImage& image) {
    QImage q(image.width, image.height, QImage::Format_Grayscale8);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(q.scanLine(y), image.pixels.data() + static_cast<std::size_t>(y) * image.width,
                    static_cast<std::size_t>(image.width));
    }
    const int dotsPerMeter = static_cast<int>(std::lround(image.resolution / 0.0254));
    q.setDotsPerMeterX(dotsPerMeter);
    q.setDotsPerMeterY(dotsPerMeter);
    return q;
}

GrayImage loadImageFile(const std::string& fileName, int dpi) {
    if (fileName.empty()) throw EngineError("No image file name was given");
    if (dpi != 0 && (dpi < 100 || dpi > 2000)) {
        throw EngineError("The resolution " + std::to_string(dpi) +
                          " dpi is out of range: give 100 to 2000 dpi, or 0 to take it from "
                          "the file");
    }
    return loadImage(fileName, dpi);
}

void checkBuffer(const char* operation, const char* what, std::size_t have, std::size_t need) {
    if (have < need) {
        throw EngineError(std::string(operation) + ": the " + what + " holds " +
                          std::to_string(have) + " bytes, " + std::to_string(need) + " are needed");
    }
}

void checkKeyMode(std::uint8_t mode) {
    if (mode > 1) {
        throw EngineError("Unknown card key mode " + std::to_string(mode) +
                          ": 0 selects key A, 1 key B");
    }
}

}  // namespace

FPEngine::FPEngine() : FPEngine([] { return EngineSettings::fromRegistry(); }) {}

FPEngine::FPEngine(SettingsSource settings) : m_settings(std::move(settings)) {
    if (!m_settings) m_settings = [] { return EngineSettings{}; };
}

FPEngine::~FPEngine() {
    clearEvents();
    if (m_sensor) {
        m_sensor->onPress = nullptr;
        m_sensor->close();
    }
}

// --- properties ------------------------------------------------------------------------------

void FPEngine::setEnrollCount(int value) {
    if (value < 1 || value > kMaxEnrollCount) {
        throw EngineError("EnrollCount must be 1 to " + std::to_string(kMaxEnrollCount) + ", not " +
                          std::to_string(value));
    }
    m_enrollCount = value;
}

void FPEngine::setIsRegister(bool value) {
    if (value && !m_enrolling) StartEnrollment();
    if (!value && m_enrolling) CancelEnrollment();
}

std::string FPEngine::SensorSN() const {
    return m_active && m_sensor ? m_sensor->serialNumber() : std::string();
}

void FPEngine::setFPEngineVersion(const std::string& value) {
    const auto generation = generationFromText(value);
    if (!generation) {
        throw EngineError("Unknown template generation \"" + value + "\": use \"9\" or \"10\"");
    }
    m_generation = *generation;
}

// --- sensor ----------------------------------------------------------------------------------

int FPEngine::StartEngine() {
    if (m_active) return StartOk;
    const EngineSettings settings = m_settings();
    if (settings.sensor == "none") return StartNoSensor;
    // Real scanners need the libfprint backend, which this build does not carry.
    if (settings.sensor == "nodriver" || settings.sensor == "libfprint") return StartNoDriver;
    if (settings.sensor != "virtual") {
        throw EngineError("Unknown sensor \"" + settings.sensor +
                          "\" in the engine setting Sensor: use virtual, none or nodriver");
    }
    VirtualSensor::Options options;
    options.feedFolder = settings.feedFolder();
    if (!settings.sensorSN.empty()) options.serialNumber = settings.sensorSN;
    auto sensor = std::make_unique<VirtualSensor>(options);
    sensor->onPress = [this](const SensorPress& press) {
        // Presses from the event loop have no caller to report to.
        try {
            handlePress(press);
        } catch (const std::exception& e) {
            qWarning("fingerprint engine: a press from %s failed: %s", press.source.c_str(),
                     e.what());
        }
    };
    const int code = sensor->open();
    if (code != StartOk) return code;
    // A sensor may be inside its own delivery (StopEngine and StartEngine from an event
    // handler): it is kept until no press is being handled.
    if (m_sensor) {
        m_sensor->onPress = nullptr;
        m_retiredSensors.push_back(std::move(m_sensor));
    }
    if (!m_pressing) m_retiredSensors.clear();
    m_sensor = std::move(sensor);
    m_active = true;
    // The virtual scanner window, where the settings and the display want it.
    startScannerWindowOnce(settings);
    return StartOk;
}

void FPEngine::StopEngine() {
    if (m_enrolling) CancelEnrollment();
    m_pendingPresses.clear();
    if (m_sensor) m_sensor->close();
    m_active = false;
}

void FPEngine::StartEnrollment() {
    m_enrolling = true;
    m_enrollTarget = m_enrollCount;
    m_enrollIndex = m_enrollCount;
    m_enrollPresses.clear();
    ++m_enrollSerial;
}

void FPEngine::CancelEnrollment() {
    m_enrolling = false;
    m_enrollIndex = 0;
    m_enrollPresses.clear();
    ++m_enrollSerial;
}

int FPEngine::SignalSensor(int code, int onOff) {
    if (code != SignalGreenLight && code != SignalRedLight && code != SignalBeeper) {
        throw EngineError("Unknown sensor signal " + std::to_string(code) +
                          ": 11 is the green light, 12 the red light, 13 the beeper");
    }
    if (!m_active || !m_sensor) return 0;
    return m_sensor->signal(code, onOff != 0);
}

VirtualSensor* FPEngine::virtualSensor() const {
    return m_active ? dynamic_cast<VirtualSensor*>(m_sensor.get()) : nullptr;
}

// --- presses ---------------------------------------------------------------------------------

void FPEngine::handlePress(const SensorPress& press) {
    m_pendingPresses.push_back(press);
    if (!m_pressing) drainPresses();
}

void FPEngine::drainPresses() {
    while (!m_pendingPresses.empty() && !m_pressing) {
        SensorPress press = std::move(m_pendingPresses.front());
        m_pendingPresses.pop_front();
        processPress(press);
    }
}

FPEngine::PressOutcome FPEngine::processPress(const SensorPress& press) {
    FlagScope pressing(m_pressing);
    m_image = press.image ? *press.image : GrayImage{};
    const bool enrolling = m_enrolling;
    const unsigned serial = m_enrollSerial;

    fireImageReceived(press.image.has_value());
    if (!press.image) {
        if (!press.error.empty()) qWarning("fingerprint engine: %s", press.error.c_str());
        fireFeatureInfo(static_cast<int>(ImageQuality::Empty));
        return {};
    }
    const FeatureSet features = extract(*press.image);
    fireFeatureInfo(features.quality);
    if (features.quality != static_cast<int>(ImageQuality::Good)) return {};
    // A handler started or ended an enrollment meanwhile: the press belongs to neither.
    if (m_enrollSerial != serial || m_enrolling != enrolling) return {true};

    if (enrolling) {
        m_enrollPresses.push_back(features);
        if (--m_enrollIndex <= 0) finishEnrollment();
    } else {
        m_lastTemplate = makeTemplate(features);
        fireCapture(true, TemplateForms::toBytes(*m_lastTemplate));
    }
    return {true};
}

void FPEngine::finishEnrollment() {
    ConsolidateParams params;
    params.maxPresses = std::max(params.maxPresses, static_cast<int>(m_enrollPresses.size()));
    const ConsolidationResult result = consolidate(m_enrollPresses, params);
    m_enrolling = false;
    m_enrollIndex = 0;
    m_enrollPresses.clear();
    ++m_enrollSerial;
    if (result.ok) {
        m_lastTemplate = makeTemplate(result.features);
        fireEnroll(true, TemplateForms::toBytes(*m_lastTemplate));
    } else {
        m_lastTemplate.reset();
        fireEnroll(false, {});
    }
}

// --- templates -------------------------------------------------------------------------------

Template FPEngine::makeTemplate(const FeatureSet& features) const {
    return Template{m_generation, features};
}

Template FPEngine::decodeTemplateText(const std::string& text, const char* what) const {
    const std::string prefix = what ? std::string(what) + ": " : std::string();
    if (blankText(text)) throw TemplateError(prefix + "The template string is empty");
    if (!what) return TemplateForms::decodeText(text);
    try {
        return TemplateForms::decodeText(text);
    } catch (const TemplateError& e) {
        throw TemplateError(prefix + e.what());
    }
}

std::string FPEngine::LastTemplateAsText() {
    return m_lastTemplate ? TemplateForms::toText(*m_lastTemplate) : std::string();
}

TemplateValue FPEngine::LastTemplateValue() {
    return m_lastTemplate ? TemplateForms::toBytes(*m_lastTemplate) : TemplateValue{};
}

TemplateValue FPEngine::TextToTemplate(const std::string& templateText) {
    return TemplateForms::toBytes(decodeTemplateText(templateText, nullptr));
}

TemplateValue FPEngine::CompressTemplateText(const std::string& templateText) {
    return TemplateForms::toCompact(decodeTemplateText(templateText, nullptr));
}

std::string FPEngine::TemplateToText(const TemplateValue& templateValue) {
    return TemplateForms::toText(TemplateForms::decode(templateValue));
}

bool FPEngine::MatchTemplateStrings(std::string& regTemplate, const std::string& verTemplate,
                                    bool learning, bool& changed) {
    changed = false;
    Template reg = decodeTemplateText(regTemplate, "Registration template");
    const Template ver = decodeTemplateText(verTemplate, "Verification template");
    const float score = matchScore(ver.features, reg.features);
    const bool match = score >= static_cast<float>(m_oneToOneThreshold);
    if (match && learning) {
        FeatureSet updated = reg.features;
        if (learn(updated, ver.features)) {
            reg.features = std::move(updated);
            regTemplate = TemplateForms::toText(reg);
            changed = true;
        }
    }
    return match;
}

// --- images ----------------------------------------------------------------------------------

void FPEngine::DrawImage(QPainter* painter, int x, int y, int width, int height) {
    if (!painter) throw EngineError("DrawImage needs something to paint on");
    if (m_image.empty() || width <= 0 || height <= 0) return;
    const double scale = std::min(static_cast<double>(width) / m_image.width,
                                  static_cast<double>(height) / m_image.height);
    const int w = std::max(1, static_cast<int>(std::lround(m_image.width * scale)));
    const int h = std::max(1, static_cast<int>(std::lround(m_image.height * scale)));
    const QRect target(x + (width - w) / 2, y + (height - h) / 2, w, h);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawImage(target, toQImage(m_image));
    painter->restore();
}

void FPEngine::saveImage(const std::string& fileName, const char* format, const char* kind) const {
    if (m_image.empty()) throw EngineError("There is no fingerprint image to save yet");
    if (fileName.empty()) throw EngineError("No file name was given for the fingerprint image");
    QSaveFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly)) {
        throw EngineError("Cannot write the " + std::string(kind) + " file " + fileName + ": " +
                          file.errorString().toStdString());
    }
    if (!toQImage(m_image).save(&file, format, format == std::string("JPG") ? 95 : -1)) {
        file.cancelWriting();
        throw EngineError("Cannot write the " + std::string(kind) + " file " + fileName +
                          ": the image could not be encoded");
    }
    if (!file.commit()) {
        throw EngineError("Cannot write the " + std::string(kind) + " file " + fileName + ": " +
                          file.errorString().toStdString());
    }
}

void FPEngine::SaveImageAsBitmap(const std::string& fileName) {
    saveImage(fileName, "BMP", "bitmap");
}

void FPEngine::SaveImageAsJpeg(const std::string& fileName) { saveImage(fileName, "JPG", "JPEG"); }

void FPEngine::BeginImageInput() { m_pendingPresses.clear(); }

bool FPEngine::AddImageFromFile(const std::string& fileName, int dpi) {
    if (m_pressing) {
        throw EngineError("An image file cannot be added while a press is being handled");
    }
    SensorPress press;
    press.image = loadImageFile(fileName, dpi);
    press.source = fileName;
    const PressOutcome outcome = processPress(press);
    // Sensor presses that came meanwhile were held back for this one.
    try {
        drainPresses();
    } catch (const std::exception& e) {
        qWarning("fingerprint engine: a press failed: %s", e.what());
    }
    return outcome.good;
}

std::optional<FeatureSet> FPEngine::goodFeaturesFromFile(const std::string& fileName, int dpi) {
    GrayImage image = loadImageFile(fileName, dpi);
    m_image = image;
    FeatureSet features = extract(image);
    if (features.quality != static_cast<int>(ImageQuality::Good)) return std::nullopt;
    return features;
}

bool FPEngine::RegTemplateFromImageFile(const std::string& fileName, int dpi,
                                        std::string& templateText) {
    templateText.clear();
    const auto features = goodFeaturesFromFile(fileName, dpi);
    if (m_enrolling) {
        m_enrolling = false;
        m_enrollIndex = 0;
        m_enrollPresses.clear();
        ++m_enrollSerial;
    }
    if (!features) return false;
    m_lastTemplate = makeTemplate(*features);
    templateText = TemplateForms::toText(*m_lastTemplate);
    return true;
}

bool FPEngine::VerTemplateFromImageFile(const std::string& fileName, int dpi,
                                        std::string& templateText) {
    templateText.clear();
    const auto features = goodFeaturesFromFile(fileName, dpi);
    if (!features) return false;
    m_lastTemplate = makeTemplate(*features);
    templateText = TemplateForms::toText(*m_lastTemplate);
    return true;
}

// --- identification buffer -------------------------------------------------------------------

int FPEngine::CreateFPCacheDB() { return m_cache.create(); }

void FPEngine::ReleaseFPCacheDB(int handle) { m_cache.release(handle); }

int FPEngine::AddRegTemplateStrToFPCacheDB(int handle, int id, const std::string& templateText) {
    m_cache.size(handle);  // an unknown handle is the first thing to report
    const Template tmpl = decodeTemplateText(templateText, nullptr);
    return m_cache.add(handle, id, tmpl.features);
}

int FPEngine::RemoveTemplateFromFPCacheDB(int handle, int id) { return m_cache.remove(handle, id); }

int FPEngine::IdentificationFromStrInFPCacheDB(int handle, const std::string& templateText,
                                               int& score, int& rank) {
    m_cache.size(handle);
    const Template probe = decodeTemplateText(templateText, nullptr);
    const IdentifyResult result =
        m_cache.identify(handle, probe.features, static_cast<float>(m_threshold));
    score = static_cast<int>(std::lround(result.score));
    rank = result.compared;
    return result.id;
}

// --- card module -----------------------------------------------------------------------------

std::unique_ptr<ICardReader> FPEngine::cardReader(int reader, int slot) const {
    if (reader != 0 || slot != 0) return nullptr;
    const EngineSettings settings = m_settings();
    // The PC/SC backend is not part of this build: its module is absent.
    if (settings.cardModule == "none" || settings.cardModule == "pcsc") return nullptr;
    if (settings.cardModule != "simulated") {
        throw EngineError("Unknown card module \"" + settings.cardModule +
                          "\" in the engine setting CardModule: use simulated or none");
    }
    return std::make_unique<DumpCardReader>(settings.cardDump);
}

bool FPEngine::QueryCardModule(int reader, int slot, std::vector<std::uint8_t>& moduleData) {
    checkBuffer("QueryCardModule", "module data buffer", moduleData.size(), 9);
    const auto module = cardReader(reader, slot);
    if (!module) return false;
    const auto data = module->queryModule();
    if (!data) return false;
    std::copy(data->begin(), data->end(), moduleData.begin() + 1);
    return true;
}

bool FPEngine::CardRequest(int reader, int slot, std::uint8_t requestCode, std::uint8_t /*flags*/,
                           std::vector<std::uint8_t>& cardInfo, std::vector<std::uint8_t>& serial) {
    checkBuffer("CardRequest", "card information buffer", cardInfo.size(), 3);
    checkBuffer("CardRequest", "serial number buffer", serial.size(), 4);
    const auto module = cardReader(reader, slot);
    if (!module || !module->queryModule()) return false;
    const auto card = module->request(requestCode);
    if (!card) return false;
    cardInfo[0] = card->atqa[0];
    cardInfo[1] = card->atqa[1];
    cardInfo[2] = card->sak;
    std::copy(card->uid.begin(), card->uid.end(), serial.begin());
    return true;
}

int FPEngine::ReadCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t firstBlock,
                             std::uint8_t count, const CardKey& key,
                             std::vector<std::uint8_t>& buffer) {
    checkKeyMode(mode);
    checkBuffer("ReadCardBlocks", "buffer", buffer.size(), std::size_t{count} * 16);
    const auto module = cardReader(reader, slot);
    if (!module || count == 0) return 0;
    return module->readBlocks(mode, firstBlock, count, key,
                              std::span<std::uint8_t>(buffer.data(), std::size_t{count} * 16))
               ? 1
               : 0;
}

int FPEngine::WriteCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t firstBlock,
                              std::uint8_t count, const CardKey& key,
                              const std::vector<std::uint8_t>& data) {
    checkKeyMode(mode);
    checkBuffer("WriteCardBlocks", "data", data.size(), std::size_t{count} * 16);
    const auto module = cardReader(reader, slot);
    if (!module || count == 0) return 0;
    return module->writeBlocks(mode, firstBlock, count, key,
                               std::span<const std::uint8_t>(data.data(), std::size_t{count} * 16))
               ? 1
               : 0;
}

int FPEngine::TextToCardTemplate(const std::string& templateText, TemplateValue& cardTemplate) {
    cardTemplate.clear();
    cardTemplate = TemplateForms::toCard(decodeTemplateText(templateText, nullptr));
    return static_cast<int>(cardTemplate.size());
}

int FPEngine::CardTemplateToText(const TemplateValue& cardTemplate, std::string& templateText) {
    templateText.clear();
    templateText = TemplateForms::toText(TemplateForms::decode(cardTemplate));
    return static_cast<int>(templateText.size());
}

int FPEngine::SaveTemplateToFile(const std::string& fileName, const TemplateValue& templateValue) {
    if (fileName.empty()) throw EngineError("No file name was given for the template");
    QSaveFile file(QString::fromStdString(fileName));
    const auto fail = [&] {
        throw EngineError("Cannot write the template file " + fileName + ": " +
                          file.errorString().toStdString());
    };
    if (!file.open(QIODevice::WriteOnly)) fail();
    if (!templateValue.empty() && file.write(reinterpret_cast<const char*>(templateValue.data()),
                                             static_cast<qint64>(templateValue.size())) !=
                                      static_cast<qint64>(templateValue.size())) {
        file.cancelWriting();
        fail();
    }
    if (!file.commit()) fail();
    return static_cast<int>(templateValue.size());
}

}  // namespace lumo::engine
