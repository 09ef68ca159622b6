// A Kestrel run inside the test process: a private registry, a program folder holding a
// temporary database and the shipped language files, a scripted control, and every message
// box recorded and answered instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <memory>

#include "FakeLumoHost.h"
#include "ModalHelper.h"
#include "TempRegistry.h"
#include "TestDatabase.h"
#include "app/KestrelSkin.h"
#include "app/Language.h"
#include "app/Login.h"
#include "app/Main.h"
#include "app/SkinnedMessageBox.h"

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_app_forms";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        auto* app = new QApplication(argc, argv);  // lives until the process ends
        lumo::app::applyKestrelSkin(*app);
    }
}

struct ShownMessage {
    lumo::app::SkinnedMessageBox::Kind kind;
    QString text;
};

class FormsFixture : public ::testing::Test {
protected:
    using Kind = lumo::app::SkinnedMessageBox::Kind;

    void SetUp() override {
        ensureApplication();
        for (const char* file :
             {"English.ini", "Chinese Simplified.ini", "Chinese Traditional.ini", "Spanish.ini"})
            QFile::copy(QStringLiteral(LUMO_SOURCE_DIR "/app/resources/") + file,
                        m_db.folder() + "/" + file);
        lumo::app::setProgramFolder(m_db.folder());
        lumo::app::languageTable().resetToDefaults();
        lumo::app::SkinnedMessageBox::setResponder([this](Kind kind, const QString& text) {
            m_messages.push_back({kind, text});
            if (m_answers.empty()) return true;
            const bool answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    }

    void TearDown() override {
        m_main.reset();
        lumo::app::SkinnedMessageBox::setResponder({});
        lumo::app::setProgramFolder(QString());
        lumo::app::languageTable().resetToDefaults();
    }

    // Creates the main window; the login dialog gets the password typed and Login clicked,
    // until one is accepted (each password in turn).
    lumo::app::TfrmMain& start(QStringList passwords = {"907531"}, bool show = true) {
        scheduleLogin(passwords);
        m_main = std::make_unique<lumo::app::TfrmMain>(
            [this] { return std::make_unique<FakeLumoHost>(&m_controlLog, &m_script); });
        if (show && !m_main->loginCancelled()) {
            m_main->show();
            QApplication::processEvents();
        }
        return *m_main;
    }

    void scheduleLogin(QStringList passwords) {
        whenModal([this, passwords](QWidget* modal) mutable {
            auto* login = qobject_cast<lumo::app::TfrmLogin*>(modal);
            ASSERT_NE(login, nullptr);
            m_loginShown = true;
            for (const QString& password : passwords) {
                login->edtPassword->setText(password);
                login->btnOk->click();
                if (login->isLoginAccepted()) return;
            }
            // Nothing accepted: the test ends the run through Cancel.
            login->btnCancel->click();
        });
    }

    QStringList messageTexts() const {
        QStringList texts;
        for (const ShownMessage& m : m_messages) texts << m.text;
        return texts;
    }

    TempRegistry m_registry;
    TestDatabase m_db;
    QStringList m_controlLog;
    FakeLumoHost::Script m_script;
    std::vector<ShownMessage> m_messages;
    std::deque<bool> m_answers;
    bool m_loginShown = false;
    std::unique_ptr<lumo::app::TfrmMain> m_main;
};
