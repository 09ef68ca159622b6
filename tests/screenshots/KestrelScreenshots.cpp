// kestrel_screenshots OUTPUT_DIR PROGRAM_DIR: pictures of Kestrel as a person sees it, in each
// shipped language: the login dialog, the main window with the sample persons, and for English
// also the language selection, change-password dialog and a confirmation box.
// Runs on the offscreen platform with fontconfig (see kestrel.sh); the fingerprint control is a
// stand-in, since Kestrel keeps the control hidden anyway.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/ChangePwd.h"
#include "app/KestrelSkin.h"
#include "app/Language.h"
#include "app/Login.h"
#include "app/Main.h"
#include "app/Setting.h"
#include "platform/registry/Registry.h"
#include "tests/app/FakeLumoHost.h"
#include "tests/app/ModalHelper.h"

using namespace lumo::app;

namespace {

bool save(QWidget* widget, const QString& path) {
    const bool ok = widget->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

void copyFolder(const QString& from, const QString& to) {
    QDir source(from);
    QDir().mkpath(to);
    for (const QFileInfo& entry :
         source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            copyFolder(entry.filePath(), to + "/" + entry.fileName());
        else if (entry.suffix() == "ini" || entry.suffix() == "mdb" || entry.suffix() == "jpg")
            QFile::copy(entry.filePath(), to + "/" + entry.fileName());
    }
}

void processFor(int ms) { QTest::qWait(ms); }

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: kestrel_screenshots OUTPUT_DIR PROGRAM_DIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString bin = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    app.setApplicationName(applicationTitle());
    applyKestrelSkin(app);

    const struct {
        const char* file;
        const char* tag;
    } languages[] = {{"English.ini", "en"},
                     {"Chinese Simplified.ini", "chs"},
                     {"Chinese Traditional.ini", "cht"},
                     {"Spanish.ini", "es"}};
    bool ok = true;
    for (const auto& language : languages) {
        QTemporaryDir registry;
        qputenv("LUMO_REGISTRY", registry.path().toUtf8());
        QTemporaryDir program;
        copyFolder(bin, program.path());
        setProgramFolder(program.path());
        lumo::registry::writeValue(lumo::registry::Root::LocalMachine, "SOFTWARE\\LUMO", "Language",
                                   (program.path() + "/" + language.file).toStdString());
        const QString tag = QString::fromLatin1(language.tag);

        whenModal([&](QWidget* modal) {
            auto* login = qobject_cast<TfrmLogin*>(modal);
            if (!login) return;
            processFor(150);
            login->edtPassword->setText("907531");
            ok &= save(login, out + "/login-" + tag + ".png");
            login->btnOk->click();
        });
        QStringList log;
        TfrmMain main([&] { return std::make_unique<FakeLumoHost>(&log); });
        main.show();
        processFor(300);
        ok &= save(&main, out + "/main-" + tag + ".png");

        if (tag == "en" || tag == "chs") {
            // The detail panel while a person is being edited.
            main.tBtnEditClick();
            processFor(150);
            ok &= save(&main, out + "/main-editing-" + tag + ".png");
            main.tBtnCancelClick();

            whenModal([&](QWidget* modal) {
                processFor(150);
                ok &= save(modal, out + "/language-" + tag + ".png");
                qobject_cast<QDialog*>(modal)->reject();
            });
            main.tbtnLanguage1Click();

            whenModal([&](QWidget* modal) {
                auto* dialog = qobject_cast<TfrmChangePwd*>(modal);
                if (dialog) dialog->edtOldPwd->setText("907531");
                processFor(150);
                ok &= save(modal, out + "/password-" + tag + ".png");
                qobject_cast<QDialog*>(modal)->reject();
            });
            main.tbtnPassword1Click();

            whenModal([&](QWidget* modal) {
                processFor(150);
                ok &= save(modal, out + "/confirm-" + tag + ".png");
                if (auto* no = modal->findChild<QPushButton*>("btnNo")) no->click();
            });
            main.tBtnExitClick();
        }
        setProgramFolder(QString());
        main.hide();
    }
    return ok ? 0 : 1;
}
