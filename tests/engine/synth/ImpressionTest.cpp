#include "engine/synth/Impression.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "engine/synth/GroundTruthJson.h"

namespace lumo::engine::synth {
namespace {

const MasterFingerprint& master()
{
    static const MasterFingerprint m = [] {
        MasterParameters p;
        p.width = 256;
        p.height = 320;
        return MasterFingerprint::generate(77, p);
    }();
    return m;
}

TEST(Impression, SizeResolutionAndDeterminism)
{
    const Impression a = Impression::take(master(), 5);
    const Impression b = Impression::take(master(), 5);
    const Impression c = Impression::take(master(), 6);
    EXPECT_EQ(a.image.width(), 256);
    EXPECT_EQ(a.image.height(), 320);
    EXPECT_EQ(a.image.format(), QImage::Format_Grayscale8);
    EXPECT_NEAR(a.image.dotsPerMeterX() * 0.0254, 500.0, 0.5);
    EXPECT_NEAR(a.image.dotsPerMeterY() * 0.0254, 500.0, 0.5);
    EXPECT_EQ(a.image, b.image);
    EXPECT_EQ(a.minutiae.minutiae.size(), b.minutiae.minutiae.size());
    EXPECT_NE(a.image, c.image);
}

// Every listed minutia lies inside the image and on the print: its neighbourhood shows ridges
// (dark and light pixels), not the blank sensor around the finger.
TEST(Impression, GroundTruthLiesOnThePrint)
{
    int listed = 0;
    for (std::uint64_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        const Impression imp = Impression::take(master(), seed);
        listed += static_cast<int>(imp.minutiae.minutiae.size());
        for (const Minutia& m : imp.minutiae.minutiae) {
            ASSERT_GE(m.x, 0);
            ASSERT_GE(m.y, 0);
            ASSERT_LT(m.x, imp.image.width());
            ASSERT_LT(m.y, imp.image.height());
            int darkest = 255, lightest = 0;
            for (int dy = -6; dy <= 6; ++dy)
                for (int dx = -6; dx <= 6; ++dx) {
                    const int x = std::clamp(m.x + dx, 0, imp.image.width() - 1);
                    const int y = std::clamp(m.y + dy, 0, imp.image.height() - 1);
                    const int g = imp.image.constScanLine(y)[x];
                    darkest = std::min(darkest, g);
                    lightest = std::max(lightest, g);
                }
            EXPECT_GT(lightest - darkest, 60) << "minutia at " << m.x << "," << m.y;
        }
    }
    EXPECT_GT(listed, 6 * 8);
}

// The same master minutia appears in two impressions at places that the two placements explain:
// listed minutiae move together, as a rigid turn and shift plus a little stretch.
TEST(Impression, GroundTruthFollowsThePlacement)
{
    const Impression a = Impression::take(master(), 21);
    const Impression b = Impression::take(master(), 22);
    int paired = 0;
    for (const Minutia& ma : a.minutiae.minutiae)
        for (const Minutia& mb : b.minutiae.minutiae) {
            // Undo each placement's turn and shift about the finger centre and compare.
            auto back = [&](const Impression& i, const Minutia& m, double& x, double& y) {
                const double cx = master().model().centreX() + i.shiftX, cy = master().model().centreY() + i.shiftY;
                const double c = std::cos(i.rotation), s = std::sin(i.rotation);
                x = master().model().centreX() + c * (m.x - cx) - s * (m.y - cy);
                y = master().model().centreY() + s * (m.x - cx) + c * (m.y - cy);
            };
            double xa, ya, xb, yb;
            back(a, ma, xa, ya);
            back(b, mb, xb, yb);
            if (std::hypot(xa - xb, ya - yb) < 12 && ma.type == mb.type) ++paired;
        }
    const auto fewer = std::min(a.minutiae.minutiae.size(), b.minutiae.minutiae.size());
    EXPECT_GE(paired, static_cast<int>(fewer) / 2);
}

TEST(GroundTruthJson, ListsEveryMinutia)
{
    const Impression imp = Impression::take(master(), 3);
    const std::string json = groundTruthJson(imp, "4_3.png", 4, 3, master().model().fingerClass());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject o = doc.object();
    EXPECT_EQ(o["image"].toString(), "4_3.png");
    EXPECT_EQ(o["finger"].toInt(), 4);
    EXPECT_EQ(o["impression"].toInt(), 3);
    EXPECT_EQ(o["width"].toInt(), 256);
    EXPECT_EQ(o["resolution"].toInt(), 500);
    const QJsonArray list = o["minutiae"].toArray();
    ASSERT_EQ(list.size(), static_cast<qsizetype>(imp.minutiae.minutiae.size()));
    for (qsizetype i = 0; i < list.size(); ++i) {
        const Minutia& m = imp.minutiae.minutiae[static_cast<std::size_t>(i)];
        const QJsonObject p = list[i].toObject();
        EXPECT_EQ(p["x"].toInt(), m.x);
        EXPECT_EQ(p["y"].toInt(), m.y);
        EXPECT_NEAR(p["angle"].toDouble(), m.angle, 1e-4);
        EXPECT_EQ(p["type"].toString(), m.type == MinutiaType::Ending ? "ending" : "bifurcation");
    }
}

}  // namespace
}  // namespace lumo::engine::synth
