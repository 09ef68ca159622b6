// LumoHost: what Kestrel asks of the fingerprint control on its main window.
//
// The real host wrapper (TLumoMain, Lumo_TLB.h) creates the control by its class identifier
// and calls it through ILumoMain; tests use a scripted double. Members follow the control's
// own names; a failure status of the control arrives as LumoHostError with the control's
// description. GUI thread only.
#pragma once

#include <QString>
#include <stdexcept>
#include <string>

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

    // The finger status the next enrollment dialog starts from (the card enrollment resets it).
    virtual void setCheckFinger(const QString&) { notOffered("CheckFinger"); }
    // Card members: keys as six digit values, results as the control's result codes.
    virtual bool Set6FPCardKey(int, int, int, int, int, int) { return notOffered("Set6FPCardKey"); }
    virtual bool SetNew6FPCardKey(int, int, int, int, int, int) {
        return notOffered("SetNew6FPCardKey");
    }
    virtual int WriteTemplateToCard(const QString&, int, bool, bool) {
        return notOffered("WriteTemplateToCard");
    }
    // Sets regTemplate and userId from the card (empty and 0 unless the result is 0).
    virtual int ReadTemplateFromCard(QString&, int&, bool) {
        return notOffered("ReadTemplateFromCard");
    }
    virtual int EmptyMFCard(bool) { return notOffered("EmptyMFCard"); }
    // Identification buffer of the control.
    virtual int CreateBuffer() { return notOffered("CreateBuffer"); }
    virtual int AddRegTemplateToBuffer(int, int, const QString&) {
        return notOffered("AddRegTemplateToBuffer");
    }
    virtual int IdentificationTemplateFromBuffer(int, const QString&) {
        return notOffered("IdentificationTemplateFromBuffer");
    }
    virtual void FreeBuffer(int) { notOffered("FreeBuffer"); }

protected:
    // Members a host does not offer fail like a failing member.
    [[noreturn]] static int notOffered(const char* member) {
        throw LumoHostError(std::string("The fingerprint control host does not offer ") + member);
    }
};

}  // namespace lumo::app
