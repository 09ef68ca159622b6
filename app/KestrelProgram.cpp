#include "app/KestrelProgram.h"

#include "app/KestrelSkin.h"
#include "app/SkinnedMessageBox.h"

namespace lumo::app {

bool refuseSecondCopy(lumo::win::SingleInstanceLock& lock) {
    // A lock that cannot be made at all does not stop the program (tryAcquire is true then).
    if (lock.tryAcquire()) return false;
    // The skin does not exist yet: the toolkit's plain box.
    SkinnedMessageBox::showPlainError(QString::fromLatin1(kAlreadyRunningMessage));
    return true;
}

int runKestrel(QApplication& app, const TfrmMain::ControlFactory& createControl) {
    app.setApplicationName(applicationTitle());
    applyKestrelSkin(app);
    try {
        TfrmMain main(createControl);
        if (main.loginCancelled()) return 0;
        main.show();
        if (main.terminated()) return 1;
        return app.exec();
    } catch (const std::exception& e) {
        // The window could not be made: the control is not registered or does not load.
        SkinnedMessageBox::showUnhandledError(nullptr, QString::fromUtf8(e.what()));
        return 1;
    }
}

}  // namespace lumo::app
