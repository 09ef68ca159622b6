// TFMRegister: the enrollment dialog behind the control's Register member.
//
// The user picks a finger on the hand picture; the dialog starts an enrollment in the engine
// and follows its events (image, press judged, result) with four progress lights, a count of
// presses still to come, hints from the message table, the latest fingerprint image in a
// frame and sound cues. Several fingers can be enrolled in one showing. The caller reads
// FingerFlags, FingerIndex and TemplateText afterwards; the per-finger template tables are
// filled on each success and emptied when the dialog is created.
//
// Order of use: construct, setEngine, PrepareEngine, ShowFingerFlags, optionally a default
// finger (CurFinger/CurColor of the hand picture, ImgFingerClick), exec(). The engine must
// outlive the dialog; the dialog connects itself to the engine's events in PrepareEngine and
// disconnects when it closes or is destroyed. Message boxes go through the presenter given at
// construction, which must outlive the dialog too.
//
// Errors: construction throws ResourceError when a picture is missing. An engine error inside
// an event handler (engine event or click) ends that handler and is shown in an error box
// through the presenter; the dialog stays open. Called directly, the handlers throw.
// GUI thread only.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <array>
#include <functional>
#include <string>

#include "control/core/MessagePresenter.h"
#include "engine/IFPEngine.h"

class QLabel;
class QPushButton;

namespace lumo::dialogs {

class LedLamp;
class TImgFinger;

class TFMRegister : public QDialog {
    Q_OBJECT
public:
    TFMRegister(QWidget* owner, control::MessagePresenter& presenter);
    ~TFMRegister() override;

    // Finger colours on the hand picture.
    static const QColor kPlain, kEnrolling, kEnrolled, kFailed;

    engine::IFPEngine* Engine = nullptr;
    void setEngine(engine::IFPEngine* engine) { Engine = engine; }

    int FingerIndex = 0;
    std::string TemplateText;
    std::string FingerFlags;

    // Null once the dialog has closed.
    TImgFinger* ImgFinger() const { return m_imgFinger; }

    bool PrepareEngine();
    void ShowFingerFlags(const std::string& flags);
    void ImgFingerClick();
    void DoImageReceived(bool imageValid);
    void DoFeatureInfo(int quality);
    void DoEnroll(bool success, const engine::TemplateValue& templateValue);
    void BitBtnOKClick();
    void BitBtnCancelClick();
    // Light stages 0 to 5; other numbers change nothing.
    void SetLedStage(int stage);
    void ResetProgress();
    // The red cross over the picture shown in the image area.
    void DrawCross();

    // Components, for the caller (auto register hides the buttons) and for tests.
    QLabel* fcLblHint() const { return m_hint; }
    QLabel* lblMsg() const { return m_msg; }
    QLabel* lblCount() const { return m_count; }
    QLabel* ImgEllipse() const { return m_ellipse; }
    QPushButton* BitBtnOK() const { return m_ok; }
    QPushButton* BitBtnCancel() const { return m_cancel; }
    LedLamp* Led(int n) const { return m_leds[size_t(n - 1)]; }
    // The picture the image area shows.
    const QImage& ellipsePicture() const { return m_ellipsePicture; }
    const QImage& framePicture() const { return m_framePicture; }

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void FormCloseQuery();
    void connectEvents();
    void disconnectEvents();
    void setHint(const std::string& text);
    void paintFinger(int finger, const QColor& color);
    // Shows a picture in the image area; white is see-through where see-through is asked.
    void showEllipsePicture(const QImage& picture, bool whiteTransparent);
    void errorBox(const std::string& text);
    // Runs an event handler; an error it raises is shown in an error box.
    void guarded(const std::function<void()>& handler);

    control::MessagePresenter& m_presenter;
    QLabel* m_background = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_msg = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_ellipse = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    std::array<LedLamp*, 4> m_leds{};
    QPointer<TImgFinger> m_imgFinger;
    QImage m_framePicture;    // ImgEllipsePic
    QImage m_ellipsePicture;  // what ImgEllipse shows
    bool m_connected = false;
    bool m_closed = false;
};

}  // namespace lumo::dialogs
