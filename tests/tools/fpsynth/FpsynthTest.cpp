#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <stdexcept>

#include "SynthOptions.h"

namespace {

TEST(SynthOptions, ParsesEveryOption)
{
    const SynthOptions o = parseSynthOptions({"--out", "d", "--fingers", "3", "--impressions", "2", "--seed",
                                              "9", "--size", "300x200", "--masters", "--jobs", "2"});
    EXPECT_EQ(o.outDir, "d");
    EXPECT_EQ(o.fingers, 3);
    EXPECT_EQ(o.impressions, 2);
    EXPECT_EQ(o.seed, 9u);
    EXPECT_EQ(o.width, 300);
    EXPECT_EQ(o.height, 200);
    EXPECT_TRUE(o.masters);
    EXPECT_EQ(o.jobs, 2);
    const SynthOptions d = parseSynthOptions({"--out", "d"});
    EXPECT_EQ(d.fingers, 10);
    EXPECT_EQ(d.impressions, 8);
}

TEST(SynthOptions, RejectsBadArguments)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--fingers", "2"},
        {"--out"},
        {"--out", "d", "--fingers", "0"},
        {"--out", "d", "--fingers", "two"},
        {"--out", "d", "--impressions", "-1"},
        {"--out", "d", "--size", "300"},
        {"--out", "d", "--size", "10x10"},
        {"--out", "d", "--size", "300x"},
        {"--out", "d", "--bogus"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_THROW(parseSynthOptions(args), std::invalid_argument);
    }
}

QByteArray digestOf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

int runFpsynth(const QStringList& args)
{
    QProcess p;
    p.start(QString(LUMO_BIN_DIR) + "/fpsynth", args);
    if (!p.waitForFinished(120000)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// The tool writes FINGER_IMPRESSION.png and .json, the same seed gives the same files, and
// finger 2 does not depend on how many fingers are asked for.
TEST(Fpsynth, WritesImpressionsAndGroundTruthDeterministically)
{
    QTemporaryDir a, b;
    ASSERT_EQ(runFpsynth({"--out", a.path(), "--fingers", "2", "--impressions", "2", "--seed", "4", "--size", "200x240"}), 0);
    ASSERT_EQ(runFpsynth({"--out", b.path(), "--fingers", "3", "--impressions", "1", "--seed", "4", "--size", "200x240", "--jobs", "2"}), 0);
    for (const char* name : {"1_1", "1_2", "2_1", "2_2"}) {
        SCOPED_TRACE(name);
        const QString png = QDir(a.path()).filePath(QString(name) + ".png");
        const QImage image(png);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(200, 240));
        EXPECT_TRUE(image.isGrayscale());
        EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 500, 0.5);
        QFile json(QDir(a.path()).filePath(QString(name) + ".json"));
        ASSERT_TRUE(json.open(QIODevice::ReadOnly));
        const QJsonObject o = QJsonDocument::fromJson(json.readAll()).object();
        EXPECT_EQ(o["image"].toString(), QString(name) + ".png");
        EXPECT_TRUE(o["minutiae"].isArray());
    }
    EXPECT_EQ(digestOf(QDir(a.path()).filePath("2_1.png")), digestOf(QDir(b.path()).filePath("2_1.png")));
    EXPECT_EQ(digestOf(QDir(a.path()).filePath("2_1.json")), digestOf(QDir(b.path()).filePath("2_1.json")));
    EXPECT_TRUE(QFile::exists(QDir(b.path()).filePath("3_1.png")));
    EXPECT_FALSE(QFile::exists(QDir(b.path()).filePath("3_2.png")));
}

TEST(Fpsynth, BadArgumentsExitWithUsage)
{
    EXPECT_EQ(runFpsynth({"--fingers", "2"}), 2);
    EXPECT_EQ(runFpsynth({"--help"}), 0);
}

}  // namespace
