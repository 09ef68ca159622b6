// IFPEngine: the fingerprint engine as the control and its dialogs see it.
//
// The engine is the only part of the system that talks to a scanner or a card module. The
// control holds one engine per control instance through this abstract class, so that the
// control and its dialogs run against the real engine, the built-in "no sensor" engine or a
// scripted test double alike.
//
// Properties are getter/setter pairs named after the property. Operations keep their names;
// out parameters that are the operation's only result are return values, further ones are
// references. Template strings are std::string (the engine's text form), template values are
// byte vectors (its byte form). DrawImage paints with the caller's QPainter.
//
// Errors: every operation may throw lumo::engine::EngineError (or another
// std::runtime_error); a false or zero answer is a result, never an error.
//
// Events: the four public handlers below are called by the engine on the GUI thread. Assigning
// an empty std::function disconnects. A handler may reassign or clear any handler, its own
// included, while it runs: the engine calls a copy (see the fire* helpers).
//
// Threads: one thread, the GUI thread of the host. No member is safe to call from elsewhere.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QPainter;

namespace lumo::engine {

using TemplateValue = std::vector<std::uint8_t>;
using CardKey = std::array<std::uint8_t, 6>;

// Codes of StartEngine.
enum StartCode : int { StartOk = 0, StartNoDriver = 1, StartNoSensor = 2 };

// Codes of SignalSensor.
enum SignalCode : int { SignalGreenLight = 11, SignalRedLight = 12, SignalBeeper = 13 };

class IFPEngine {
public:
    virtual ~IFPEngine() = default;

    // --- properties -------------------------------------------------------------------------
    // Presses per enrollment.
    virtual int EnrollCount() const = 0;
    virtual void setEnrollCount(int value) = 0;
    // True once StartEngine has succeeded and until StopEngine.
    virtual bool Active() const = 0;
    // True while the engine is in enrollment mode.
    virtual bool IsRegister() const = 0;
    virtual void setIsRegister(bool value) = 0;
    // Presses still needed in the running enrollment, counting the present one.
    virtual int EnrollIndex() const = 0;
    virtual int OneToOneThreshold() const = 0;
    virtual void setOneToOneThreshold(int value) = 0;
    virtual std::string SensorSN() const = 0;
    // Template generation, "9" or "10".
    virtual std::string FPEngineVersion() const = 0;
    virtual void setFPEngineVersion(const std::string& value) = 0;
    // Persisted settings the control never changes; kept for hosts of the engine itself.
    virtual int SensorIndex() const = 0;
    virtual void setSensorIndex(int value) = 0;
    virtual int Threshold() const = 0;
    virtual void setThreshold(int value) = 0;
    virtual bool ForceSecondMatch() const = 0;
    virtual void setForceSecondMatch(bool value) = 0;
    virtual bool AutoIdentify() const = 0;
    virtual void setAutoIdentify(bool value) = 0;
    virtual bool IsImageChange() const = 0;
    virtual void setIsImageChange(bool value) = 0;

    // --- sensor -----------------------------------------------------------------------------
    // StartOk, StartNoDriver, StartNoSensor; other codes are possible and passed through.
    virtual int StartEngine() = 0;
    virtual void StopEngine() = 0;
    virtual void StartEnrollment() = 0;
    virtual void CancelEnrollment() = 0;
    // code is a SignalCode, onOff 1 or 0; the answer is the sensor's.
    virtual int SignalSensor(int code, int onOff) = 0;

    // --- templates --------------------------------------------------------------------------
    // Of the latest enrollment or capture.
    virtual std::string LastTemplateAsText() = 0;
    virtual TemplateValue LastTemplateValue() = 0;
    virtual TemplateValue TextToTemplate(const std::string& templateText) = 0;
    virtual TemplateValue CompressTemplateText(const std::string& templateText) = 0;
    virtual std::string TemplateToText(const TemplateValue& templateValue) = 0;
    // One-to-one comparison under OneToOneThreshold. With learning on, the engine may update
    // regTemplate and then sets changed.
    virtual bool MatchTemplateStrings(std::string& regTemplate, const std::string& verTemplate,
                                      bool learning, bool& changed) = 0;

    // --- images -----------------------------------------------------------------------------
    // Paints the latest image scaled into the rectangle.
    virtual void DrawImage(QPainter* painter, int x, int y, int width, int height) = 0;
    virtual void SaveImageAsBitmap(const std::string& fileName) = 0;
    virtual void SaveImageAsJpeg(const std::string& fileName) = 0;
    virtual void BeginImageInput() = 0;
    // True when the image was accepted.
    virtual bool AddImageFromFile(const std::string& fileName, int dpi) = 0;
    // True when a template was made; templateText receives it (empty when none).
    virtual bool RegTemplateFromImageFile(const std::string& fileName, int dpi,
                                          std::string& templateText) = 0;
    virtual bool VerTemplateFromImageFile(const std::string& fileName, int dpi,
                                          std::string& templateText) = 0;

    // --- identification buffer (cache DB) --------------------------------------------------
    virtual int CreateFPCacheDB() = 0;
    virtual void ReleaseFPCacheDB(int handle) = 0;
    virtual int AddRegTemplateStrToFPCacheDB(int handle, int id,
                                             const std::string& templateText) = 0;
    virtual int RemoveTemplateFromFPCacheDB(int handle, int id) = 0;
    // Answer: the id of the matching template (the engine's value when none matches);
    // score and rank receive the engine's two further figures.
    virtual int IdentificationFromStrInFPCacheDB(int handle, const std::string& templateText,
                                                 int& score, int& rank) = 0;

    // --- card module -------------------------------------------------------------------------
    // The first two arguments of each card operation select reader and slot; the control
    // passes 0, 0. Buffers are the caller's and keep their size.
    // moduleData: 128 bytes, zeroed by the caller; bytes 1..8 receive module data.
    virtual bool QueryCardModule(int reader, int slot, std::vector<std::uint8_t>& moduleData) = 0;
    // requestCode 0x26 asks idle type A cards; cardInfo 16 bytes, serial 128 bytes (the first
    // four receive the card's serial number).
    virtual bool CardRequest(int reader, int slot, std::uint8_t requestCode, std::uint8_t flags,
                             std::vector<std::uint8_t>& cardInfo,
                             std::vector<std::uint8_t>& serial) = 0;
    // Reads count blocks from firstBlock authenticated with key into buffer (count * 16 bytes).
    // Nonzero when done.
    virtual int ReadCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t firstBlock,
                               std::uint8_t count, const CardKey& key,
                               std::vector<std::uint8_t>& buffer) = 0;
    // Writes count blocks (data holds count * 16 bytes). Nonzero when done.
    virtual int WriteCardBlocks(int reader, int slot, std::uint8_t mode, std::uint8_t firstBlock,
                                std::uint8_t count, const CardKey& key,
                                const std::vector<std::uint8_t>& data) = 0;
    // The compact card form of a template string.
    virtual int TextToCardTemplate(const std::string& templateText,
                                   TemplateValue& cardTemplate) = 0;
    virtual int CardTemplateToText(const TemplateValue& cardTemplate,
                                   std::string& templateText) = 0;
    // Writes the template value's bytes to fileName.
    virtual int SaveTemplateToFile(const std::string& fileName,
                                   const TemplateValue& templateValue) = 0;

    // --- events -----------------------------------------------------------------------------
    std::function<void(bool imageValid)> OnImageReceived;
    // quality 0 is a good press; any other value says why it is poor.
    std::function<void(int quality)> OnFeatureInfo;
    std::function<void(bool success, const TemplateValue& templateValue)> OnEnroll;
    std::function<void(bool success, const TemplateValue& templateValue)> OnCapture;
    // Drops all four handlers, as a window that goes away must.
    void clearEvents();

protected:
    // Engines raise events through these: nothing happens without a handler, and the handler
    // runs from a copy so that it may disconnect itself.
    void fireImageReceived(bool imageValid);
    void fireFeatureInfo(int quality);
    void fireEnroll(bool success, const TemplateValue& templateValue);
    void fireCapture(bool success, const TemplateValue& templateValue);
};

}  // namespace lumo::engine
