// ISensor: a fingerprint scanner as the engine sees it.
//
// A sensor is opened by StartEngine and closed by StopEngine. While open it hands every press
// to onPress, on the GUI thread, from the Qt event loop (or synchronously from an in-process
// call of the GUI thread). A press carries the image, or, when the sensor delivered a frame
// that could not be read, no image and the reason. The sensor also drives its signals (green
// and red light, beeper) and reports a serial number.
//
// Owned by the engine; GUI thread only. open() may throw SensorError for a fault the caller
// cannot read from its code (a feed folder that cannot be made, a device that fails).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/EngineError.h"
#include "engine/image/GrayImage.h"

namespace lumo::engine {

class SensorError : public EngineError {
public:
    using EngineError::EngineError;
};

struct SensorPress {
    std::optional<GrayImage> image;  // empty when the frame could not be read
    std::string error;               // why, when there is no image
    std::string source;              // where the press came from (a file name), for messages
};

class ISensor {
public:
    virtual ~ISensor() = default;

    // A StartEngine code: 0 open, 1 driver missing, 2 no scanner.
    virtual int open() = 0;
    // Stops delivering presses; presses not yet delivered are dropped. Closing twice is harmless.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual std::string serialNumber() const = 0;
    // code 11 green light, 12 red light, 13 beeper; the answer is 1 when the sensor did it.
    virtual int signal(int code, bool on) = 0;

    std::function<void(const SensorPress& press)> onPress;
};

}  // namespace lumo::engine
