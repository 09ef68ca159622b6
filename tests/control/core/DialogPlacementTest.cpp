// Where the control's modal windows open when their owner, the control's form, is hidden.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "control/core/DialogPlacement.h"
#include "tests/control/core/ControlFixture.h"

namespace lumo::control {
namespace {

QPoint centreOf(const QWidget& w) { return w.geometry().center(); }

TEST(DialogPlacement, AWindowOfAHiddenFormOpensOverTheUsersWindowOrTheScreen) {
    test::ensureApplication();
    QWidget hiddenForm;  // never shown, as in a host that keeps the control off its window

    QDialog overScreen(&hiddenForm);
    overScreen.resize(200, 120);
    placeOverUsersWindow(overScreen);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((centreOf(overScreen) - screen.center()).manhattanLength(), 2);

    QWidget usersWindow;
    usersWindow.setGeometry(300, 200, 500, 400);
    usersWindow.show();
    usersWindow.activateWindow();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &usersWindow);
    QDialog overWindow(&hiddenForm);
    overWindow.resize(200, 120);
    placeOverUsersWindow(overWindow);
    EXPECT_LE((centreOf(overWindow) - usersWindow.frameGeometry().center()).manhattanLength(), 2);

    // A visible owner is left to Qt, which centres its windows over it.
    QDialog ownedByVisible(&usersWindow);
    ownedByVisible.move(5, 7);
    placeOverUsersWindow(ownedByVisible);
    EXPECT_EQ(ownedByVisible.pos(), QPoint(5, 7));
}

}  // namespace
}  // namespace lumo::control
