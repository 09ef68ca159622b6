// TLumoMain: Kestrel's host wrapper of the Lumo control.
//
// The constructor creates the control by its class identifier through CoCreateInstance, as an
// installed control is created; a class that is not registered (or a library that does not
// load) throws LumoHostError with the COM layer's description, and Kestrel ends with it. The
// wrapper takes the dual interface ILumoMain once and keeps it; methods go through its
// function table, properties through IDispatch by DISPID. Every failure status becomes
// LumoHostError with the control's error description. The control's form is never shown by
// Kestrel (Visible false); its dialogs are windows of their own. Needs the host's
// QApplication; GUI thread only. The control is released with the wrapper.
#pragma once

#include "app/LumoHost.h"
#include "control/resources/Lumo_TLB.h"
#include "platform/com/ComPtr.h"

namespace lumo::app {

class TLumoMain final : public LumoHost {
public:
    TLumoMain();
    ~TLumoMain() override;

    void setVisible(bool visible) override;
    void SetLanguageFile(const QString& fileName) override;
    void setIsAutoRegister(bool value) override;
    bool Register() override;
    QString RegisterTemplate() override;
    int FingerIndex() override;
    bool GetVerTemplate() override;
    QString VerifyTemplate() override;
    bool MatchFinger(const QString& regTemplate, const QString& verTemplate) override;
    void setCheckFinger(const QString& value) override;
    bool Set6FPCardKey(int key1, int key2, int key3, int key4, int key5, int key6) override;
    bool SetNew6FPCardKey(int key1, int key2, int key3, int key4, int key5, int key6) override;
    int WriteTemplateToCard(const QString& regTemplate, int userId, bool changePwd,
                            bool extUserIdFmt) override;
    int ReadTemplateFromCard(QString& regTemplate, int& userId, bool extUserIdFmt) override;
    int EmptyMFCard(bool extUserIdFmt) override;
    int CreateBuffer() override;
    int AddRegTemplateToBuffer(int handle, int id, const QString& regTemplate) override;
    int IdentificationTemplateFromBuffer(int handle, const QString& verTemplate) override;
    void FreeBuffer(int handle) override;

private:
    void putProperty(DISPID id, VARIANT value);
    VARIANT getProperty(DISPID id);

    lumo::com::ComPtr<ILumoMain> m_control;
};

}  // namespace lumo::app
