#include "control/dialogs/Check.h"

#include <QLabel>
#include <QPainter>
#include <exception>

#include "control/dialogs/ImgFinger.h"
#include "control/dialogs/Sound.h"
#include "control/language/IniLang.h"
#include "control/language/LangStr.h"

namespace lumo::dialogs {

using language::langStr;
using language::MsgKey;

TFMCheck::TFMCheck(QWidget* owner, control::MessagePresenter& presenter)
    : QDialog(owner), m_presenter(presenter) {
    setObjectName(QStringLiteral("FMCheck"));
    setFixedSize(389, 401);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    m_background = new QLabel(this);
    m_background->setObjectName(QStringLiteral("imgBG"));
    m_background->setGeometry(0, 0, 389, 405);
    m_background->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_background->setPixmap(QPixmap::fromImage(loadPictureResource(QStringLiteral("CheckBG"))));

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("Label5"));
    m_notice->setGeometry(0, 401 - 14, 389, 14);
    m_notice->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    QFont small(QStringLiteral("Verdana"));
    small.setPixelSize(11);
    m_notice->setFont(small);
    m_notice->setStyleSheet(QStringLiteral("color: #7a8796;"));
    m_notice->setText(QStringLiteral("\u00A9 2026 Vantor Systems. All rights reserved."));

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("fcLblHint"));
    m_hint->setGeometry(16, 72, 350, 57);
    QFont hintFont(QStringLiteral("Verdana"));
    hintFont.setPixelSize(16);
    hintFont.setBold(true);
    m_hint->setFont(hintFont);
    m_hint->setWordWrap(true);
    m_hint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_ellipse = new QLabel(this);
    m_ellipse->setObjectName(QStringLiteral("ImgEllipse"));
    m_ellipse->setGeometry(127, 155, 150, 208);

    m_timer.setObjectName(QStringLiteral("TimerCloseWindow"));
    m_timer.setSingleShot(false);
    connect(&m_timer, &QTimer::timeout, this, &TFMCheck::TimerCloseWindowTimer);

    FormCreate();
}

TFMCheck::~TFMCheck() {
    // Freed without being closed (GetVerTemplate after a failed start): leave no handler behind.
    disconnectEvents();
}

void TFMCheck::FormCreate() {
    m_framePicture = loadPictureResource(QStringLiteral("LUMO"));
    language::applyLanguageCharset(*m_hint);
    language::applyLanguageCharset(*this);
    VerTemplate.clear();
    RegTemplate.clear();
    VerifyMode = true;
    m_ellipsePicture = m_framePicture;
    m_ellipse->setPixmap(whiteTransparent(m_framePicture));
    setWindowTitle(QString::fromStdString(langStr(MsgKey::sVerifyTitle)));
}

void TFMCheck::setHint(const std::string& text) { m_hint->setText(QString::fromStdString(text)); }

void TFMCheck::errorBox(const std::string& text) {
    m_presenter.show(this, {control::MessageIcon::Error, text, control::MessageButtons::Ok});
}

void TFMCheck::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        errorBox(error.what());
    }
}

bool TFMCheck::PrepareEngine() {
    if (Engine->Active()) {
        setHint(langStr(MsgKey::sSelectFingerToVerify));
        PlaySound("WaitFor.wav", true);
        return true;
    }
    bool result = true;
    try {
        const int code = Engine->StartEngine();
        if (code == engine::StartNoDriver) {
            setHint(langStr(MsgKey::sNotInstallDriver));
            errorBox(langStr(MsgKey::sNotInstallDriver));
            result = false;
        } else if (code == engine::StartNoSensor) {
            setHint(langStr(MsgKey::sNotConnectSensor));
            errorBox(langStr(MsgKey::sNotConnectSensor));
            result = false;
        } else if (code == engine::StartOk) {
            setHint(langStr(MsgKey::sSelectFingerToVerify));
            PlaySound("WaitFor.wav", false);
        }
        if (code != engine::StartOk) Engine->StopEngine();
    } catch (const std::exception&) {
        setHint(langStr(MsgKey::sInitializationFailed));
        errorBox(langStr(MsgKey::sInitializationFailed));
        result = false;
    }
    return result;
}

void TFMCheck::ConnectEvents() {
    Engine->OnImageReceived = [this](bool valid) { guarded([&] { DoImageReceived(valid); }); };
    Engine->OnFeatureInfo = [this](int quality) { guarded([&] { DoFeatureInfo(quality); }); };
    Engine->OnCapture = [this](bool success, const engine::TemplateValue& value) {
        guarded([&] { DoCapture(success, value); });
    };
    Engine->OnEnroll = nullptr;
    m_connected = true;
}

void TFMCheck::disconnectEvents() {
    if (!Engine || !m_connected) return;
    Engine->clearEvents();
    m_connected = false;
}

void TFMCheck::DoImageReceived(bool) {
    QImage bitmap(m_ellipse->size(), QImage::Format_RGB32);
    bitmap.fill(QColor(0x00, 0x66, 0xCC));
    {
        QPainter painter(&bitmap);
        Engine->DrawImage(&painter, 10, 15, bitmap.width() - 20, bitmap.height() - 25);
        painter.drawPixmap(0, 0, whiteTransparent(m_framePicture));
    }
    m_ellipsePicture = bitmap;
    m_ellipse->setPixmap(QPixmap::fromImage(bitmap));
    m_ellipse->repaint();
    setHint(langStr(MsgKey::sImageReceivedOK));
    Delay(1000);
    m_hint->repaint();
    PlaySound("Acquired.wav", false);
}

void TFMCheck::DoFeatureInfo(int quality) {
    if (quality != 0) {
        setHint(langStr(MsgKey::sVerFingerprintQualityIsPoor));
        m_hint->repaint();
        Delay(2000);
        setHint(langStr(MsgKey::sSelectFingerToVerify));
        PlaySound("WaitFor.wav", false);
    } else {
        setHint(langStr(MsgKey::sFeatureOk));
    }
    m_hint->repaint();
}

void TFMCheck::DoCapture(bool, const engine::TemplateValue&) {
    setHint(langStr(MsgKey::sFingerVerifing));
    m_hint->repaint();
    VerTemplate = Engine->LastTemplateAsText();
    if (!VerifyMode) {
        done(QDialog::Accepted);
        return;
    }
    if (RegTemplate.empty()) {
        done(QDialog::Rejected);
        return;
    }
    bool changed = false;
    if (Engine->MatchTemplateStrings(RegTemplate, VerTemplate, false, changed)) {
        setHint(langStr(MsgKey::sVerifySucceed));
        PlaySound("V-OK.wav", false);
        done(QDialog::Accepted);
        return;
    }
    setHint(langStr(MsgKey::sVerifyFailed));
    --TriesLeft;
    if (TriesLeft == 0) {
        done(QDialog::Rejected);
        return;
    }
    Delay(500);
    setHint(langStr(MsgKey::sSelectFingerToVerify));
    PlaySound("WaitFor.wav", false);
}

void TFMCheck::TimerCloseWindowTimer() { done(QDialog::Rejected); }

void TFMCheck::FormCloseQuery() {
    if (m_closed) return;
    m_closed = true;
    m_timer.stop();
    disconnectEvents();
}

void TFMCheck::done(int result) {
    FormCloseQuery();
    QDialog::done(result);
}

}  // namespace lumo::dialogs
