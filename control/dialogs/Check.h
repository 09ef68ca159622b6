// TFMCheck: the verification dialog behind the control's Verify and GetVerTemplate members.
//
// It waits for a finger on the scanner, shows the fingerprint image in a frame with hints from
// the message table and sound cues, takes the capture's template string from the engine, and
// then closes at once (capture-only mode) or matches the capture against RegTemplate, giving
// the user TriesLeft attempts (matching mode). TimerCloseWindow can close it with Cancel.
// The caller reads VerTemplate and the modal result afterwards.
//
// Order of use: construct, setEngine, PrepareEngine / mode fields / ConnectEvents (in the
// caller's order), optionally the timer and title, exec(). The engine and the presenter must
// outlive the dialog; it disconnects from the engine's events when it closes or is destroyed.
//
// Errors: construction throws ResourceError when the frame picture is missing. An engine error
// inside an event handler ends that handler and is shown in an error box through the
// presenter; the dialog stays open. Called directly, the handlers throw. GUI thread only.
#pragma once

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <functional>
#include <string>

#include "control/core/MessagePresenter.h"
#include "engine/IFPEngine.h"

class QLabel;

namespace lumo::dialogs {

class TFMCheck : public QDialog {
    Q_OBJECT
public:
    TFMCheck(QWidget* owner, control::MessagePresenter& presenter);
    ~TFMCheck() override;

    engine::IFPEngine* Engine = nullptr;
    void setEngine(engine::IFPEngine* engine) { Engine = engine; }

    bool VerifyMode = true;
    std::string RegTemplate;
    std::string VerTemplate;
    int TriesLeft = 0;

    QTimer* TimerCloseWindow() { return &m_timer; }

    bool PrepareEngine();
    void ConnectEvents();
    void DoImageReceived(bool imageValid);
    void DoFeatureInfo(int quality);
    void DoCapture(bool success, const engine::TemplateValue& templateValue);
    void TimerCloseWindowTimer();

    QLabel* fcLblHint() const { return m_hint; }
    QLabel* ImgEllipse() const { return m_ellipse; }
    const QImage& ellipsePicture() const { return m_ellipsePicture; }
    const QImage& framePicture() const { return m_framePicture; }

    void done(int result) override;

private:
    void FormCreate();
    void FormCloseQuery();
    void disconnectEvents();
    void setHint(const std::string& text);
    void errorBox(const std::string& text);
    void guarded(const std::function<void()>& handler);

    control::MessagePresenter& m_presenter;
    QLabel* m_background = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_ellipse = nullptr;
    QTimer m_timer;
    QImage m_framePicture;
    QImage m_ellipsePicture;
    bool m_connected = false;
    bool m_closed = false;
};

}  // namespace lumo::dialogs
