// The hand picture: its shipped drawing, the finger map, the hit test through real mouse
// events, colouring, stretching and painting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <set>

#include "control/dialogs/HandMap.h"
#include "control/dialogs/ImgFinger.h"
#include "tests/control/dialogs/DialogTestSupport.h"

namespace lumo::dialogs {
namespace {

const QColor kLime(0, 255, 0);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

class ImgFingerTest : public ::testing::Test {
protected:
    void SetUp() override { finger.LoadHand(); }
    // A mouse move event to a client point, delivered as the window system's would be.
    void moveTo(QPoint p) {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), finger.mapToGlobal(QPointF(p)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&finger, &move);
    }

    // The application exists before the first widget, also when a case runs alone.
    struct Application {
        Application() { test::ensureDialogApplication(); }
    } application;
    TImgFinger finger;
};

TEST(HandPictureTest, IsTheShippedSizeOnWhite) {
    test::ensureDialogApplication();
    QImage hand = loadPictureResource(QStringLiteral("HAND"));
    EXPECT_EQ(hand.size(), QSize(257, 150));
    EXPECT_EQ(hand.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(hand.pixel(0, 149) & 0xFFFFFF, 0xFFFFFFu);
    QImage raw(QStringLiteral(LUMO_SOURCE_DIR "/control/resources/images/HAND.bmp"));
    EXPECT_EQ(raw.depth(), 32);  // read 24-bit bitmaps come back as RGB32
    EXPECT_EQ(raw.format(), QImage::Format_RGB32);
}

TEST_F(ImgFingerTest, EachSeedGrowsOneFingerAndNothingElse) {
    const HandMap& map = finger.handMap();
    const QImage& picture = finger.Picture();
    std::set<std::pair<int, int>> owned;
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        const auto& region = map.region(n);
        EXPECT_GE(region.size(), 350u);
        EXPECT_LE(region.size(), 1200u);
        int minX = 999, maxX = -1, minY = 999, maxY = -1;
        for (QPoint p : region) {
            EXPECT_TRUE(owned.insert({p.x(), p.y()}).second)
                << "shared pixel " << p.x() << "," << p.y();
            EXPECT_EQ(picture.pixel(p) & 0xFFFFFF, 0xFFFFFFu);
            minX = std::min(minX, p.x());
            maxX = std::max(maxX, p.x());
            minY = std::min(minY, p.y());
            maxY = std::max(maxY, p.y());
        }
        // A finger: long and narrow, away from the picture's edges.
        EXPECT_GT(minX, 0);
        EXPECT_GT(minY, 0);
        EXPECT_LT(maxX, 256);
        EXPECT_LT(maxY, 149);
        EXPECT_GE(std::max(maxX - minX, maxY - minY), 25);
        EXPECT_LT(std::min(maxX - minX, maxY - minY), 45);
        EXPECT_EQ(map.fingerAt(HandMap::seed(n)), n);
    }
    // Left fingers left of the middle, right fingers right of it.
    for (int n = 1; n <= 5; ++n) EXPECT_LT(HandMap::seed(n).x(), 128);
    for (int n = 6; n <= 10; ++n) EXPECT_GT(HandMap::seed(n).x(), 128);
}

TEST_F(ImgFingerTest, BackgroundPalmsAndOutlinesBelongToNoFinger) {
    const HandMap& map = finger.handMap();
    const struct {
        const char* what;
        QPoint point;
    } cases[] = {
        {"background top left", {2, 2}},
        {"background middle", {128, 60}},
        {"background bottom", {128, 148}},
        {"palm L", {58, 112}},
        {"palm R", {198, 112}},
        {"palm L near wrist", {60, 135}},
        {"between thumbs", {128, 110}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(map.fingerAt(c.point), 0);
    }
    // Whole background: the fill from a corner reaches the edges, and no finger pixel.
    auto background = HandMap::fill(finger.Picture(), {0, 0});
    EXPECT_GT(background.size(), 15000u);
    for (size_t i = 0; i < background.size(); i += 7) ASSERT_EQ(map.fingerAt(background[i]), 0);
    // The palms' insides are closed areas of their own.
    auto palm = HandMap::fill(finger.Picture(), {60, 135});
    EXPECT_GT(palm.size(), 1500u);
    EXPECT_LT(palm.size(), 8000u);
}

TEST_F(ImgFingerTest, MouseMoveTellsFingerColourAndCursor) {
    const struct {
        QPoint point;
        int finger;
    } cases[] = {{{99, 113}, 1}, {{238, 46}, 10}, {{88, 53}, 2},
                 {{168, 55}, 7}, {{58, 112}, 0},  {{5, 5}, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.point.x());
        moveTo(c.point);
        EXPECT_EQ(finger.CurFinger(), c.finger);
        EXPECT_EQ(finger.CurColor(), c.finger ? kWhite : kBlack);
        EXPECT_EQ(finger.cursor().shape(), c.finger ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    // An outline pixel next to a finger is no finger.
    QPoint outline = HandMap::seed(3);
    while (finger.Picture().pixel(outline) == qRgb(255, 255, 255)) outline.rx()++;
    moveTo(outline);
    EXPECT_EQ(finger.CurFinger(), 0);
}

TEST_F(ImgFingerTest, PaintingColoursOneFingerAndKeepsTheMap) {
    QImage before = finger.Picture();
    finger.PaintFinger(3, kLime);
    moveTo({66, 48});
    EXPECT_EQ(finger.CurFinger(), 3);
    EXPECT_EQ(finger.CurColor(), kLime);
    // Only finger 3's pixels changed.
    int changed = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (before.pixel(x, y) != finger.Picture().pixel(x, y)) ++changed;
    EXPECT_EQ(size_t(changed), finger.handMap().region(3).size());
    finger.PaintFinger(3, kWhite);
    moveTo({66, 49});
    EXPECT_EQ(finger.CurColor(), kWhite);
    EXPECT_EQ(finger.Picture(), before);
    for (int n : {0, 11, -1}) {
        SCOPED_TRACE(n);
        finger.PaintFinger(n, kLime);
        EXPECT_EQ(finger.Picture(), before);
    }
}

TEST_F(ImgFingerTest, StretchScalesMousePointsToPicturePixels) {
    finger.setStretch(true);
    finger.resize(514, 300);
    EXPECT_DOUBLE_EQ(finger.horizontalScale(), 0.5);
    EXPECT_DOUBLE_EQ(finger.verticalScale(), 0.5);
    moveTo({198, 226});
    EXPECT_EQ(finger.CurFinger(), 1);
    finger.setStretch(false);
    EXPECT_DOUBLE_EQ(finger.horizontalScale(), 1.0);
    moveTo({198, 226});
    EXPECT_EQ(finger.CurFinger(), 0);
}

TEST_F(ImgFingerTest, ClickIsRaisedByARealPressAndRelease) {
    QSignalSpy clicks(&finger, &TImgFinger::clicked);
    moveTo({191, 49});
    QTest::mouseClick(&finger, Qt::LeftButton, {}, {191, 49});
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(finger.CurFinger(), 8);
    QTest::mouseClick(&finger, Qt::RightButton, {}, {191, 49});
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ImgFingerTest, TransparentPaintingLeavesWhiteUndrawn) {
    QWidget parent;
    parent.setAutoFillBackground(true);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(10, 20, 200));
    parent.setPalette(pal);
    parent.resize(257, 150);
    finger.setParent(&parent);
    finger.move(0, 0);
    finger.PaintFinger(2, QColor(255, 255, 0));
    finger.setTransparent(true);
    QImage shot = parent.grab().toImage();
    EXPECT_EQ(shot.pixelColor(HandMap::seed(2)), QColor(255, 255, 0));  // painted finger shows
    EXPECT_EQ(shot.pixelColor(HandMap::seed(3)), QColor(10, 20, 200));  // white finger: parent
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(10, 20, 200));
    finger.setTransparent(false);
    shot = parent.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), kWhite);
    finger.setParent(nullptr);
}

TEST(HandMapTest, FillKeepsOnlyTheLastPointsOfAHugeArea) {
    // A 400 x 400 area of one colour: more than the work list keeps, so the points taken
    // first are dropped from the region.
    QImage big(400, 400, QImage::Format_RGB32);
    big.fill(Qt::white);
    auto region = HandMap::fill(big, {0, 0});
    EXPECT_LT(region.size(), size_t(400 * 400));
    EXPECT_GT(region.size(), 0u);
    EXPECT_LE(region.size(), HandMap::kWorkListTrim + 4);
    // A small picture keeps every point.
    QImage small(20, 10, QImage::Format_RGB32);
    small.fill(Qt::white);
    EXPECT_EQ(HandMap::fill(small, {5, 5}).size(), 200u);
    EXPECT_TRUE(HandMap::fill(small, {50, 5}).empty());
}

}  // namespace
}  // namespace lumo::dialogs
