// NoSensorEngine: the engine of a build or installation without a fingerprint engine.
//
// It keeps its settings like any engine, reports "no sensor" (StartEngine answers 2) and has
// no card module (QueryCardModule answers false). Everything that would need a real engine
// to make, convert, match or identify templates, or to read images, throws EngineError with a
// message saying so: it never invents a template.
//
// Owned by whoever creates it; GUI thread only, like every engine.
#pragma once

#include "IFPEngine.h"

namespace lumo::engine {

class NoSensorEngine : public IFPEngine {
public:
    NoSensorEngine() = default;

    int EnrollCount() const override { return m_enrollCount; }
    void setEnrollCount(int value) override { m_enrollCount = value; }
    bool Active() const override { return false; }
    bool IsRegister() const override { return m_isRegister; }
    void setIsRegister(bool value) override { m_isRegister = value; }
    int EnrollIndex() const override { return 0; }
    int OneToOneThreshold() const override { return m_oneToOneThreshold; }
    void setOneToOneThreshold(int value) override { m_oneToOneThreshold = value; }
    std::string SensorSN() const override { return {}; }
    std::string FPEngineVersion() const override { return m_version; }
    void setFPEngineVersion(const std::string& value) override { m_version = value; }
    int SensorIndex() const override { return m_sensorIndex; }
    void setSensorIndex(int value) override { m_sensorIndex = value; }
    int Threshold() const override { return m_threshold; }
    void setThreshold(int value) override { m_threshold = value; }
    bool ForceSecondMatch() const override { return m_forceSecondMatch; }
    void setForceSecondMatch(bool value) override { m_forceSecondMatch = value; }
    bool AutoIdentify() const override { return m_autoIdentify; }
    void setAutoIdentify(bool value) override { m_autoIdentify = value; }
    bool IsImageChange() const override { return m_isImageChange; }
    void setIsImageChange(bool value) override { m_isImageChange = value; }

    int StartEngine() override { return StartNoSensor; }
    void StopEngine() override { m_isRegister = false; }
    void StartEnrollment() override;
    void CancelEnrollment() override { m_isRegister = false; }
    int SignalSensor(int code, int onOff) override;

    std::string LastTemplateAsText() override;
    TemplateValue LastTemplateValue() override;
    TemplateValue TextToTemplate(const std::string& templateText) override;
    TemplateValue CompressTemplateText(const std::string& templateText) override;
    std::string TemplateToText(const TemplateValue& templateValue) override;
    bool MatchTemplateStrings(std::string& regTemplate, const std::string& verTemplate,
                              bool learning, bool& changed) override;

    void DrawImage(QPainter* painter, int x, int y, int width, int height) override;
    void SaveImageAsBitmap(const std::string& fileName) override;
    void SaveImageAsJpeg(const std::string& fileName) override;
    void BeginImageInput() override {}
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
    int TextToCardTemplate(const std::string& templateText, TemplateValue& cardTemplate) override;
    int CardTemplateToText(const TemplateValue& cardTemplate, std::string& templateText) override;
    int SaveTemplateToFile(const std::string& fileName,
                           const TemplateValue& templateValue) override;

private:
    // Persisted defaults of the engine control.
    int m_enrollCount = 3;
    int m_sensorIndex = 0;
    int m_threshold = 10;
    int m_oneToOneThreshold = 10;
    bool m_forceSecondMatch = false;
    bool m_autoIdentify = false;
    bool m_isImageChange = false;
    bool m_isRegister = false;
    std::string m_version = "9";
};

}  // namespace lumo::engine
