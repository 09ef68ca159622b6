// LumoHost: what Kestrel asks of the fingerprint control on its main window.
//
// The real host wrapper (TLumoMain, Lumo_TLB.h) creates the control by its class identifier
// and calls it through ILumoMain; tests use a scripted double. Members follow the control's
// own names; a failure status of the control arrives as LumoHostError with the control's
// description. GUI thread only.
#pragma once

#include <QString>
#include <stdexcept>

#include "app/Language.h"

namespace lumo::app {

class LumoHostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class LumoHost : public ControlLanguageSink {
public:
    virtual ~LumoHost() = default;

    virtual void setVisible(bool visible) = 0;
    // Enrollment and verification members of the control.
    virtual void setIsAutoRegister(bool value) = 0;
    virtual bool Register() = 0;
    virtual QString RegisterTemplate() = 0;
    virtual int FingerIndex() = 0;
    virtual bool GetVerTemplate() = 0;
    virtual QString VerifyTemplate() = 0;
    virtual bool MatchFinger(const QString& regTemplate, const QString& verTemplate) = 0;
};

}  // namespace lumo::app
