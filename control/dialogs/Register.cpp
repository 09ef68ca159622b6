#include "control/dialogs/Register.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>
#include <QStyle>
#include <cmath>
#include <exception>

#include "control/core/FingerTemplateTables.h"
#include "control/dialogs/ImgFinger.h"
#include "control/dialogs/LedLamp.h"
#include "control/dialogs/Sound.h"
#include "control/language/IniLang.h"
#include "control/language/LangStr.h"

namespace lumo::dialogs {

using language::MsgKey;

namespace {

QString msg(MsgKey key) { return QString::fromStdString(language::langStr(key)); }

QFont pixelFont(const char* family, int pixels, bool bold = false) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace

const QColor TFMRegister::kPlain(255, 255, 255);
const QColor TFMRegister::kEnrolling(255, 255, 0);
const QColor TFMRegister::kEnrolled(0, 255, 0);
const QColor TFMRegister::kFailed(192, 192, 192);

TFMRegister::TFMRegister(QWidget* owner, control::MessagePresenter& presenter)
    : QDialog(owner), m_presenter(presenter) {
    setObjectName(QStringLiteral("FMRegister"));
    setFixedSize(617, 431);
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
    m_background->setGeometry(0, 0, 617, 425);
    m_background->setPixmap(QPixmap::fromImage(loadPictureResource(QStringLiteral("RegisterBG"))));

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("Label5"));
    m_notice->setGeometry(112, 416, 372, 13);
    m_notice->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_notice->setFont(pixelFont("Verdana", 11));
    m_notice->setStyleSheet(QStringLiteral("color: #7a8796;"));
    m_notice->setText(QStringLiteral("\u00A9 2026 Vantor Systems. All rights reserved."));

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("fcLblHint"));
    m_hint->setGeometry(16, 86, 337, 41);
    m_hint->setFont(pixelFont("Verdana", 13, true));
    m_hint->setWordWrap(true);
    m_hint->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_hint->setText(
        QStringLiteral("Please place your finger on the Vantor scanner to start registration."));

    m_msg = new QLabel(this);
    m_msg->setObjectName(QStringLiteral("lblMsg"));
    m_msg->setGeometry(20, 166, 221, 32);
    m_msg->setFont(pixelFont("Verdana", 13));
    m_msg->setWordWrap(true);

    for (int i = 0; i < 4; ++i) {
        auto* led = new LedLamp(this);
        led->setObjectName(QStringLiteral("Led%1").arg(i + 1));
        led->setGeometry(245 + 20 * i, 166, 17, 17);
        led->setLitColor(QColor(0, 255, 0));
        led->setUnlitColor(QColor(255, 0, 0));
        led->setBlinkPeriod(200);
        m_leds[size_t(i)] = led;
    }

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblCount"));
    m_count->setGeometry(328, 166, 24, 20);
    m_count->setFont(pixelFont("MS Sans Serif", 16, true));
    m_count->setStyleSheet(QStringLiteral("color: blue;"));

    m_ellipse = new QLabel(this);
    m_ellipse->setObjectName(QStringLiteral("ImgEllipse"));
    m_ellipse->setGeometry(419, 168, 150, 208);

    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("BitBtnOK"));
    m_ok->setGeometry(413, 385, 80, 25);
    m_ok->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    // A small glyph leaves the 80-pixel buttons room for their words ("Cancel", "Cancelar").
    m_ok->setIconSize(QSize(12, 12));
    m_ok->setEnabled(false);
    m_ok->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &TFMRegister::BitBtnOKClick);

    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("BitBtnCancel"));
    m_cancel->setGeometry(496, 385, 80, 25);
    m_cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    m_cancel->setIconSize(QSize(12, 12));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &TFMRegister::BitBtnCancelClick);

    FormCreate();
}

TFMRegister::~TFMRegister() {
    // A dialog freed without being closed (a failed engine start) must not stay connected.
    disconnectEvents();
}

void TFMRegister::FormCreate() {
    m_framePicture = loadPictureResource(QStringLiteral("LUMO"));
    TemplateText.clear();
    language::applyLanguageCharset(*m_hint);
    const bool spanish = language::applyLanguageCharset(*m_msg);
    language::applyLanguageCharset(*this);
    m_msg->move(20, spanish ? 158 : 166);
    control::fingerTemplateTables().clear();
    ResetProgress();
    m_ellipse->hide();
    setWindowTitle(msg(MsgKey::sRegisterTitle));
    m_msg->setText(msg(MsgKey::sEnrollMessage));
    m_ok->setText(msg(MsgKey::sBtnOK));
    m_cancel->setText(msg(MsgKey::sBtnCancel));

    auto* finger = new TImgFinger(this);
    finger->move(50, 210);
    connect(finger, &TImgFinger::clicked, this, [this] { guarded([this] { ImgFingerClick(); }); });
    finger->LoadHand();
    finger->setTransparent(true);
    m_imgFinger = finger;
}

void TFMRegister::ResetProgress() {
    SetLedStage(0);
    m_msg->hide();
    m_count->hide();
}

void TFMRegister::SetLedStage(int stage) {
    if (stage < 0 || stage > 5) return;
    if (stage == 0) {
        for (LedLamp* led : m_leds) {
            led->setActive(false);
            led->hide();
        }
        return;
    }
    if (stage == 1)
        for (LedLamp* led : m_leds) led->show();
    // Lights before the stage's one are on, the stage's light blinks, the later ones are off.
    for (int i = 1; i <= 4; ++i) {
        LedLamp* led = m_leds[size_t(i - 1)];
        if (i < stage)
            led->setActive(true);
        else if (i == stage)
            led->setBlinking(true);
        else
            led->setActive(false);
    }
}

void TFMRegister::setHint(const std::string& text) {
    m_hint->setText(QString::fromStdString(text));
}

void TFMRegister::errorBox(const std::string& text) {
    m_presenter.show(this, {control::MessageIcon::Error, text, control::MessageButtons::Ok});
}

void TFMRegister::paintFinger(int finger, const QColor& color) {
    if (m_imgFinger) m_imgFinger->PaintFinger(finger, color);
}

bool TFMRegister::PrepareEngine() {
    bool result = true;
    if (!Engine->Active()) {
        try {
            const int code = Engine->StartEngine();
            if (code == engine::StartNoDriver) {
                setHint(language::langStr(MsgKey::sNotInstallDriver));
                errorBox(language::langStr(MsgKey::sNotInstallDriver));
                result = false;
            } else if (code == engine::StartNoSensor) {
                setHint(language::langStr(MsgKey::sNotConnectSensor));
                errorBox(language::langStr(MsgKey::sNotConnectSensor));
                result = false;
            }
            if (code != engine::StartOk) {
                if (m_imgFinger) m_imgFinger->setEnabled(false);
                m_ok->setEnabled(false);
                Engine->StopEngine();
            }
        } catch (const std::exception&) {
            setHint(language::langStr(MsgKey::sInitializationFailed));
            errorBox(language::langStr(MsgKey::sInitializationFailed));
            result = false;
        }
    }
    if (Engine->Active()) setHint(language::langStr(MsgKey::sSelectFingerToRegister));
    Engine->CancelEnrollment();
    connectEvents();
    return result;
}

void TFMRegister::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        // As the toolkit does for an error escaping an event handler: report, stay open.
        errorBox(error.what());
    }
}

void TFMRegister::connectEvents() {
    Engine->OnImageReceived = [this](bool valid) { guarded([&] { DoImageReceived(valid); }); };
    Engine->OnFeatureInfo = [this](int quality) { guarded([&] { DoFeatureInfo(quality); }); };
    Engine->OnEnroll = [this](bool success, const engine::TemplateValue& value) {
        guarded([&] { DoEnroll(success, value); });
    };
    Engine->OnCapture = nullptr;
    m_connected = true;
}

void TFMRegister::disconnectEvents() {
    if (!Engine || !m_connected) return;
    Engine->clearEvents();
    m_connected = false;
}

void TFMRegister::ShowFingerFlags(const std::string& flags) {
    for (size_t i = 0; i < flags.size() && i < 10; ++i)
        paintFinger(int(i) + 1, flags[i] == '1' ? kEnrolled : kPlain);
    FingerFlags = flags;
}

void TFMRegister::ImgFingerClick() {
    if (!m_imgFinger) return;
    const int f = m_imgFinger->CurFinger();
    if (Engine->IsRegister()) {
        Engine->CancelEnrollment();
        if (FingerIndex >= 1 && FingerIndex <= 10) paintFinger(FingerIndex, kPlain);
    }
    m_ellipse->hide();
    ResetProgress();
    if (f == 0) return;
    FingerIndex = f;
    if (m_imgFinger->CurColor() == kEnrolled) return;
    setHint(language::langStr(MsgKey::sPressFinger));
    m_count->setText(QString::number(Engine->EnrollCount()));
    paintFinger(f, kEnrolling);
    m_ellipse->show();
    m_msg->show();
    m_count->show();
    showEllipsePicture(m_framePicture, true);
    SetLedStage(1);
    Engine->StartEnrollment();
    PlaySound("WaitFor.wav", true);
}

void TFMRegister::showEllipsePicture(const QImage& picture, bool transparent) {
    m_ellipsePicture = picture;
    m_ellipse->setPixmap(transparent ? whiteTransparent(picture) : QPixmap::fromImage(picture));
}

void TFMRegister::DoImageReceived(bool) {
    if (!Engine->IsRegister()) return;
    QImage bitmap(m_ellipse->size(), QImage::Format_RGB32);
    bitmap.fill(QColor(192, 192, 192));
    {
        QPainter painter(&bitmap);
        Engine->DrawImage(&painter, 10, 15, bitmap.width() - 20, bitmap.height() - 25);
        painter.drawPixmap(0, 0, whiteTransparent(m_framePicture));
    }
    showEllipsePicture(bitmap, false);
    m_ellipse->repaint();
    PlaySound("Acquired.wav", false);
}

void TFMRegister::DrawCross() {
    const int M = 35, T = 40, b = 15, c = 15;
    const int e = m_ellipse->width() - 2 * M;
    const int f = int(std::lround(double(m_ellipse->height()) / m_ellipse->width() * e));
    QImage picture = m_ellipsePicture.isNull() ? m_framePicture : m_ellipsePicture;
    picture = picture.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&picture);
        painter.setPen(Qt::red);
        painter.setBrush(Qt::red);
        painter.drawPolygon(QPolygon({QPoint(M + c, T), QPoint(M + e, T + f - b),
                                      QPoint(M + e - c, T + f), QPoint(M, T + b)}));
        painter.drawPolygon(QPolygon({QPoint(M + e - c, T), QPoint(M + e, T + b),
                                      QPoint(M + c, T + f), QPoint(M, T + f - b)}));
    }
    showEllipsePicture(picture, false);
}

void TFMRegister::DoFeatureInfo(int quality) {
    if (!Engine->IsRegister()) return;
    if (quality != 0) {
        DrawCross();
        setHint(language::langStr(MsgKey::sFingerprintQualityIsPoor));
        m_hint->repaint();
        Delay(2000);
    } else {
        setHint(language::langStr(MsgKey::sPressFinger));
        const int index = Engine->EnrollIndex();
        m_count->setText(QString::number(index - 1));
        SetLedStage(6 - index);
    }
    m_hint->repaint();
    if (Engine->EnrollIndex() > 1) PlaySound("WaitFor.wav", false);
    showEllipsePicture(m_framePicture, true);
}

void TFMRegister::DoEnroll(bool success, const engine::TemplateValue&) {
    m_ellipse->hide();
    if (success) {
        Delay(500);
        setHint(language::langStr(MsgKey::sRegisterSuccess));
        paintFinger(FingerIndex, kEnrolled);
        // A host's status string shorter than the finger's position is filled up with '0'.
        if (FingerIndex >= 1 && FingerIndex <= 10) {
            if (FingerFlags.size() < size_t(FingerIndex))
                FingerFlags.resize(size_t(FingerIndex), '0');
            FingerFlags[size_t(FingerIndex - 1)] = '1';
        }
        TemplateText = Engine->LastTemplateAsText();
        auto& tables = control::fingerTemplateTables();
        if (FingerIndex >= 1 && FingerIndex <= 10) {
            tables.registration[size_t(FingerIndex - 1)] = TemplateText;
            tables.verification[size_t(FingerIndex - 1)] =
                Engine->TemplateToText(Engine->LastTemplateValue());
        }
        m_ok->setEnabled(true);
        if (m_ok->isVisible()) m_ok->setFocus();
        PlaySound("RegSuc.wav", false);
    } else {
        setHint(language::langStr(MsgKey::sRegisterFailed));
        paintFinger(FingerIndex, kFailed);
        PlaySound("RegFail.wav", false);
    }
    ResetProgress();
    if (m_ok->isHidden()) {
        // Auto register: close once this handler has returned.
        QMetaObject::invokeMethod(
            this, [this] { close(); }, Qt::QueuedConnection);
    }
}

void TFMRegister::BitBtnOKClick() { done(QDialog::Accepted); }

void TFMRegister::BitBtnCancelClick() {
    if (m_ok->isEnabled() &&
        m_presenter.show(this, {control::MessageIcon::Warning,
                                language::langStr(MsgKey::sCancelFingerprintChanged),
                                control::MessageButtons::YesNo}) == control::MessageAnswer::Yes) {
        done(QDialog::Accepted);
        return;
    }
    TemplateText.clear();
    done(QDialog::Rejected);
}

void TFMRegister::keyPressEvent(QKeyEvent* event) {
    // Esc is the Cancel button's key, with its question; the close box closes without asking.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!m_cancel->isHidden() && m_cancel->isEnabled()) BitBtnCancelClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFMRegister::FormCloseQuery() {
    if (m_closed) return;
    m_closed = true;
    disconnectEvents();
    if (m_imgFinger) {
        m_imgFinger->hide();
        m_imgFinger->deleteLater();
        m_imgFinger = nullptr;
    }
}

void TFMRegister::done(int result) {
    FormCloseQuery();
    QDialog::done(result);
}

}  // namespace lumo::dialogs
