// The progress light: steady and blinking states.
#include <gtest/gtest.h>

#include <QTest>

#include "control/dialogs/LedLamp.h"
#include "tests/control/dialogs/DialogTestSupport.h"

namespace lumo::dialogs {
namespace {

TEST(LedLampTest, SteadyAndBlinking) {
    test::ensureDialogApplication();
    LedLamp lamp;
    EXPECT_FALSE(lamp.isLit());
    EXPECT_EQ(lamp.blinkPeriod(), 200);
    lamp.setActive(true);
    EXPECT_TRUE(lamp.isLit());
    EXPECT_FALSE(lamp.isBlinking());
    lamp.setBlinking(true);
    EXPECT_TRUE(lamp.isBlinking());
    EXPECT_TRUE(lamp.isLit());
    lamp.setBlinkPeriod(5);
    // The light alternates; wait for it to turn off once.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !lamp.isLit(); }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return lamp.isLit(); }, 2000));
    lamp.setActive(false);
    EXPECT_FALSE(lamp.isBlinking());
    EXPECT_FALSE(lamp.isLit());
}

TEST(LedLampTest, LitAndUnlitColoursShow) {
    test::ensureDialogApplication();
    LedLamp lamp;
    lamp.resize(17, 17);
    lamp.setActive(true);
    QColor lit = lamp.grab().toImage().pixelColor(8, 9);
    lamp.setActive(false);
    QColor unlit = lamp.grab().toImage().pixelColor(8, 9);
    EXPECT_GT(lit.green(), lit.red());
    EXPECT_GT(unlit.red(), unlit.green());
}

}  // namespace
}  // namespace lumo::dialogs
