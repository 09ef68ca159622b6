// FPEngine: the fingerprint engine. It captures presses from a sensor, turns images into
// minutiae templates, converts and matches templates, keeps identification buffers, and
// reaches the card module.
//
// Presses. Every press, from the sensor or from AddImageFromFile, raises OnImageReceived, is
// extracted, raises OnFeatureInfo with its quality (0 good) and then
//   - outside an enrollment, when good: becomes the latest template and raises OnCapture;
//   - during an enrollment, when good: counts, and EnrollIndex drops by one; after EnrollCount
//     good presses the enrollment ends (IsRegister false) and OnEnroll reports whether the
//     presses made one registration (they must be of one finger), its template being the
//     latest template while OnEnroll runs. A poor press does not count.
// During OnFeatureInfo EnrollIndex is the number of presses still needed, counting the press
// being judged. A press that arrives while another is being handled (a handler runs a nested
// event loop) waits until the first is done. When a handler starts or cancels an enrollment
// while its press is being handled, that press no longer counts for anything.
//
// Templates are made in the generation FPEngineVersion names ("9" or "10"); every generation
// and form is read. Sensor and card module follow the settings (EngineSettings.h), read when
// the engine starts (sensor) and at every card operation (card module). When the virtual
// sensor opens, the virtual scanner window may be started beside the program, once per
// process (ScannerWindowStarter.h).
//
// Ownership: the engine owns its sensor, card reader and buffers. Threads: GUI thread only;
// needs a Qt application object (the sensor's timer, images). Errors: EngineError and its
// kinds (TemplateError, ImageError, SensorError, CardReaderError) with messages for a person;
// false and zero answers are results.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/IFPEngine.h"
#include "engine/image/GrayImage.h"
#include "engine/runtime/EngineSettings.h"
#include "engine/runtime/TemplateCache.h"
#include "engine/sensor/ISensor.h"
#include "engine/template/Template.h"

namespace lumo::engine {

class ICardReader;
class VirtualSensor;

class FPEngine : public IFPEngine {
public:
    using SettingsSource = std::function<EngineSettings()>;

    // Settings from the registry layer.
    FPEngine();
    // Settings from elsewhere (tests, tools).
    explicit FPEngine(SettingsSource settings);
    ~FPEngine() override;
    FPEngine(const FPEngine&) = delete;
    FPEngine& operator=(const FPEngine&) = delete;

    // --- properties -------------------------------------------------------------------------
    int EnrollCount() const override { return m_enrollCount; }
    // 1 to kMaxEnrollCount; a running enrollment keeps the count it started with.
    void setEnrollCount(int value) override;
    bool Active() const override { return m_active; }
    bool IsRegister() const override { return m_enrolling; }
    // true starts an enrollment unless one runs; false cancels the running one.
    void setIsRegister(bool value) override;
    int EnrollIndex() const override { return m_enrolling ? m_enrollIndex : 0; }
    int OneToOneThreshold() const override { return m_oneToOneThreshold; }
    void setOneToOneThreshold(int value) override { m_oneToOneThreshold = value; }
    // The open sensor's serial number; empty while the engine is stopped.
    std::string SensorSN() const override;
    std::string FPEngineVersion() const override { return generationText(m_generation); }
    // "9" or "10"; anything else throws EngineError.
    void setFPEngineVersion(const std::string& value) override;
    int SensorIndex() const override { return m_sensorIndex; }
    void setSensorIndex(int value) override { m_sensorIndex = value; }
    // Score an identification must reach.
    int Threshold() const override { return m_threshold; }
    void setThreshold(int value) override { m_threshold = value; }
    bool ForceSecondMatch() const override { return m_forceSecondMatch; }
    void setForceSecondMatch(bool value) override { m_forceSecondMatch = value; }
    bool AutoIdentify() const override { return m_autoIdentify; }
    void setAutoIdentify(bool value) override { m_autoIdentify = value; }
    bool IsImageChange() const override { return m_isImageChange; }
    void setIsImageChange(bool value) override { m_isImageChange = value; }

    static constexpr int kMaxEnrollCount = 10;

    // --- sensor -----------------------------------------------------------------------------
    int StartEngine() override;
    void StopEngine() override;
    void StartEnrollment() override;
    void CancelEnrollment() override;
    int SignalSensor(int code, int onOff) override;

    // --- templates --------------------------------------------------------------------------
    // Empty when there is no latest template (none yet, or the latest enrollment failed).
    std::string LastTemplateAsText() override;
    TemplateValue LastTemplateValue() override;
    TemplateValue TextToTemplate(const std::string& templateText) override;
    TemplateValue CompressTemplateText(const std::string& templateText) override;
    std::string TemplateToText(const TemplateValue& templateValue) override;
    bool MatchTemplateStrings(std::string& regTemplate, const std::string& verTemplate,
                              bool learning, bool& changed) override;

    // --- images -----------------------------------------------------------------------------
    // Scales the latest image into the rectangle keeping its proportions; nothing without one.
    void DrawImage(QPainter* painter, int x, int y, int width, int height) override;
    void SaveImageAsBitmap(const std::string& fileName) override;
    void SaveImageAsJpeg(const std::string& fileName) override;
    // Drops sensor presses that wait to be handled, so that the file images given next are
    // the next presses.
    void BeginImageInput() override;
    // A press from an image file, with all its events before the call returns; true when the
    // press was good. Throws for a file that cannot be read as an image.
    bool AddImageFromFile(const std::string& fileName, int dpi) override;
    // A template from one image, without events; false (and an empty string) for a poor
    // image. The image becomes the latest image, a template made the latest template. The
    // registration ends a running enrollment (the file takes its place).
    bool RegTemplateFromImageFile(const std::string& fileName, int dpi,
                                  std::string& templateText) override;
    bool VerTemplateFromImageFile(const std::string& fileName, int dpi,
                                  std::string& templateText) override;

    // --- identification buffer --------------------------------------------------------------
    int CreateFPCacheDB() override;
    void ReleaseFPCacheDB(int handle) override;
    // 1 added, 2 replaced the id's earlier template.
    int AddRegTemplateStrToFPCacheDB(int handle, int id, const std::string& templateText) override;
    // 1 removed, 0 the id was not stored.
    int RemoveTemplateFromFPCacheDB(int handle, int id) override;
    // The id matched (score at least Threshold), -1 when none; score receives the best score
    // seen (rounded), rank the number of templates compared in full.
    int IdentificationFromStrInFPCacheDB(int handle, const std::string& templateText, int& score,
                                         int& rank) override;

    // --- card module ------------------------------------------------------------------------
    // mode selects the key: 0 key A, 1 key B. Only reader 0, slot 0 exists.
    bool QueryCardModule(int reader, int slot, std::vector<std::uint8_t>& moduleData) override;
    bool CardRequest(int reader, int slot, std::uint8_t requestCode, std::uint8_t flags,
                     std::vector<std::uint8_t>& cardInfo,
                     std::vector<std::uint8_t>& serial) override;
    int ReadCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t firstBlock,
                       std::uint8_t count, const CardKey& key,
                       std::vector<std::uint8_t>& buffer) override;
    int WriteCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t firstBlock,
                        std::uint8_t count, const CardKey& key,
                        const std::vector<std::uint8_t>& data) override;
    // Both answer the length of what they made (bytes of the card template, characters of
    // the text).
    int TextToCardTemplate(const std::string& templateText, TemplateValue& cardTemplate) override;
    int CardTemplateToText(const TemplateValue& cardTemplate, std::string& templateText) override;
    // Writes the bytes atomically; answers their count.
    int SaveTemplateToFile(const std::string& fileName,
                           const TemplateValue& templateValue) override;

    // --- for tests, tools and the demo --------------------------------------------------------
    // The open sensor when it is the virtual one, else null.
    VirtualSensor* virtualSensor() const;
    // The latest image (empty when none).
    const GrayImage& lastImage() const { return m_image; }
    // Hands a press to the engine as a sensor would.
    void handlePress(const SensorPress& press);

private:
    struct PressOutcome {
        bool good = false;
    };
    PressOutcome processPress(const SensorPress& press);
    void drainPresses();
    void finishEnrollment();
    Template decodeTemplateText(const std::string& text, const char* what) const;
    Template makeTemplate(const FeatureSet& features) const;
    // Loads and extracts an image file for the two template-from-file operations.
    std::optional<FeatureSet> goodFeaturesFromFile(const std::string& fileName, int dpi);
    std::unique_ptr<ICardReader> cardReader(int reader, int slot) const;
    void saveImage(const std::string& fileName, const char* format, const char* kind) const;

    SettingsSource m_settings;

    int m_enrollCount = 3;
    int m_sensorIndex = 0;
    int m_threshold = 10;
    int m_oneToOneThreshold = 10;
    bool m_forceSecondMatch = false;
    bool m_autoIdentify = false;
    bool m_isImageChange = false;
    TemplateGeneration m_generation = TemplateGeneration::Gen9;

    bool m_active = false;
    std::unique_ptr<ISensor> m_sensor;
    std::vector<std::unique_ptr<ISensor>> m_retiredSensors;

    // Enrollment: the presses so far, the count it started with, and a serial number that
    // changes whenever an enrollment starts or ends, so a press can tell that its enrollment
    // went away while its events ran.
    bool m_enrolling = false;
    int m_enrollTarget = 0;
    int m_enrollIndex = 0;
    unsigned m_enrollSerial = 0;
    std::vector<FeatureSet> m_enrollPresses;

    bool m_pressing = false;
    std::deque<SensorPress> m_pendingPresses;

    GrayImage m_image;
    std::optional<Template> m_lastTemplate;
    TemplateCache m_cache;
};

}  // namespace lumo::engine
