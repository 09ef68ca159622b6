#include "control/core/ControlMessages.h"

#include <array>
#include <utility>

#include "control/language/LangStr.h"

namespace lumo::control {

namespace {

struct Message {
    std::string_view key;
    std::string_view text;
};

// The product title and name halves are this system's own branding.
constexpr std::array<Message, 28> kDefaults = {{
    {"sSelectFingerToRegister", "Please select finger"},
    {"sFingerprintQualityIsPoor", "quality is poor! remaining times:"},
    {"sPressFinger", "Please place your finger on the Vantor scanner to start registration"},
    {"sRegisterSuccess", "Succeed in fingerprint registration"},
    {"sRegisterFailed", "Failed in fingerprint registration"},
    {"sDeleteFingerprint", "Delete Existing selected finger's fingerprint?"},
    {"sNotInstallDriver", "Install fingerprint sensor driver"},
    {"sNotConnectSensor", "Not connect with sensor!"},
    {"sInitializationFailed", "Failed in initializing sensor"},
    {"sCancelFingerprintChanged",
     "Existing fingerprint data has been changed, whether save these?"},
    {"sSelectFingerToVerify", "Press finger flatware"},
    {"sVerFingerprintQualityIsPoor", "Fingerprint quality is poor!"},
    {"sFeatureOk", "Succeed in selecting fingerprint module"},
    {"sImageReceivedOK", "Fingerprint template is received successfully"},
    {"sFingerVerifing", "Verifying fingerprint"},
    {"sVerifySucceed", "Succeed in verifying fingerprint"},
    {"sVerifyFailed", "Faileded in verifying fingerprint"},
    {"sRegisterTitle", "Vantor Lumo Fingerprint Management System (LUMO)"},
    {"sVerifyTitle", "Vantor Lumo Fingerprint Management System (LUMO)"},
    {"sBtnOK", "OK"},
    {"sBtnCancel", "Cancel"},
    {"sFPDataErr", "Fingerprint enroll data error!"},
    {"sLogoPath", "C:\\\\"},
    {"sBackground", "C:\\\\"},
    {"sProductName1", "Lumo Fingerprint"},
    {"sProductName2", "Management System (LUMO)"},
    {"sModule", "Enrollment Module"},
    {"sEnrollMessage", "Press 4 times to enroll a finger"},
}};

ControlMessageSource& source() {
    static ControlMessageSource s;
    return s;
}

}  // namespace

std::string_view controlMessageDefault(std::string_view key) {
    for (const Message& m : kDefaults) {
        if (m.key == key) return m.text;
    }
    return {};
}

std::string controlMessage(std::string_view key) {
    if (const ControlMessageSource& s = source()) return s(key);
    if (auto msgKey = language::msgKeyFromName(key)) return language::langStr(*msgKey);
    return std::string(controlMessageDefault(key));
}

void setControlMessageSource(ControlMessageSource s) { source() = std::move(s); }

}  // namespace lumo::control
