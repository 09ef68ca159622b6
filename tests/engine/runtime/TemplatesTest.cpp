// FPEngine without a sensor: templates from image files, conversions, 1:1 matching with
// learning, images saved and drawn, and the identification buffers.
#include <QImage>
#include <QPainter>
#include <fstream>

#include "RuntimeTestSupport.h"
#include "engine/synth/SyntheticFeatures.h"
#include "engine/template/TemplateForms.h"

using namespace lumo::engine;
using namespace lumo::test;

namespace {

class EngineTemplates : public ::testing::Test {
protected:
    void SetUp() override { ensureGuiApplication(); }

    std::string reg(const std::string& file) {
        std::string text;
        EXPECT_TRUE(engine.RegTemplateFromImageFile(file, 0, text)) << file;
        return text;
    }
    std::string ver(const std::string& file) {
        std::string text;
        EXPECT_TRUE(engine.VerTemplateFromImageFile(file, 0, text)) << file;
        return text;
    }
    bool match(std::string regText, const std::string& verText) {
        bool changed = true;
        const bool m = engine.MatchTemplateStrings(regText, verText, false, changed);
        EXPECT_FALSE(changed);
        return m;
    }
    template <typename F>
    std::string errorOf(F f) {
        try {
            f();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "(no error)";
    }

    FPEngine engine{[] { return EngineSettings{}; }};
    TempFolder temp;
};

TEST_F(EngineTemplates, DefaultsAreThePersistedOnes) {
    EXPECT_EQ(engine.EnrollCount(), 3);
    EXPECT_EQ(engine.OneToOneThreshold(), 10);
    EXPECT_EQ(engine.Threshold(), 10);
    EXPECT_EQ(engine.FPEngineVersion(), "9");
    EXPECT_FALSE(engine.Active());
    EXPECT_FALSE(engine.IsRegister());
    EXPECT_EQ(engine.EnrollIndex(), 0);
    EXPECT_EQ(engine.SensorSN(), "");
    EXPECT_EQ(engine.LastTemplateAsText(), "");
    EXPECT_TRUE(engine.LastTemplateValue().empty());
}

TEST_F(EngineTemplates, RejectsSettingsOutOfRange) {
    for (const char* v : {"8", "11", "", "09"}) {
        SCOPED_TRACE(v);
        EXPECT_THROW(engine.setFPEngineVersion(v), EngineError);
        EXPECT_EQ(engine.FPEngineVersion(), "9");
    }
    for (int count : {0, -1, 11}) {
        SCOPED_TRACE(count);
        EXPECT_THROW(engine.setEnrollCount(count), EngineError);
        EXPECT_EQ(engine.EnrollCount(), 3);
    }
}

TEST_F(EngineTemplates, SameFingerMatchesOtherFingerDoesNot) {
    const std::string regText = reg(print("103_1"));
    ASSERT_FALSE(regText.empty());
    EXPECT_EQ(engine.LastTemplateAsText(), regText);
    EXPECT_TRUE(match(regText, ver(print("103_7"))));
    EXPECT_FALSE(match(regText, ver(print("104_1"))));
    EXPECT_FALSE(match(regText, ver(print("107_2"))));
}

TEST_F(EngineTemplates, TemplatesAreMadeInTheCurrentGeneration) {
    for (const char* generation : {"9", "10"}) {
        SCOPED_TRACE(generation);
        engine.setFPEngineVersion(generation);
        const std::string text = reg(print("103_1"));
        const Template t = TemplateForms::decodeText(text);
        EXPECT_EQ(generationText(t.generation), generation);
        // Both generations are read and matched whatever the current one is.
        engine.setFPEngineVersion(std::string(generation) == "9" ? "10" : "9");
        EXPECT_TRUE(match(text, ver(print("103_2"))));
    }
}

TEST_F(EngineTemplates, ConversionsRoundTrip) {
    engine.setFPEngineVersion("10");
    const std::string text = reg(print("103_1"));
    const TemplateValue value = engine.TextToTemplate(text);
    EXPECT_EQ(engine.TemplateToText(value), text);
    EXPECT_EQ(engine.LastTemplateValue(), value);

    const TemplateValue compact = engine.CompressTemplateText(text);
    EXPECT_LT(compact.size(), value.size());
    // A compressed value is a template value too; it still matches its finger.
    const std::string fromCompact = engine.TemplateToText(compact);
    EXPECT_TRUE(match(fromCompact, ver(print("103_2"))));

    TemplateValue card;
    const int cardLength = engine.TextToCardTemplate(text, card);
    EXPECT_EQ(cardLength, static_cast<int>(card.size()));
    EXPECT_LE(card.size(), 406u);
    std::string fromCard;
    EXPECT_GT(engine.CardTemplateToText(card, fromCard), 0);
    EXPECT_TRUE(match(fromCard, ver(print("103_2"))));
}

TEST_F(EngineTemplates, LearningUpdatesTheRegistrationOnlyOnAMatch) {
    std::string regText = reg(print("103_1"));
    const std::string original = regText;
    bool changed = false;
    ASSERT_TRUE(engine.MatchTemplateStrings(regText, ver(print("103_2")), true, changed));
    EXPECT_TRUE(changed);
    EXPECT_NE(regText, original);
    // The learned template still reads and still knows its finger.
    EXPECT_TRUE(match(regText, ver(print("103_7"))));

    std::string untouched = original;
    EXPECT_FALSE(engine.MatchTemplateStrings(untouched, ver(print("108_1")), true, changed));
    EXPECT_FALSE(changed);
    EXPECT_EQ(untouched, original);
}

TEST_F(EngineTemplates, MalformedTemplateStringsGiveClearErrors) {
    const std::string good = reg(print("101_1"));
    std::string flipped = good;
    flipped[good.size() / 2] = flipped[good.size() / 2] == 'A' ? 'B' : 'A';
    const struct {
        const char* name;
        std::string text;
        const char* says;
    } cases[] = {
        {"empty", "", "empty"},
        {"blank", "  \n", "empty"},
        {"not base64", "!!!!", "Base64"},
        {"base64 of nothing", "YWJj", "damaged"},
        {"truncated", good.substr(0, good.size() / 2), "Template"},
        {"one character changed", flipped, "damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string regCopy = c.text;
        bool changed = false;
        std::string t;
        TemplateValue v;
        int score = 0, rank = 0;
        const int handle = engine.CreateFPCacheDB();
        const std::vector<std::string> errors = {
            errorOf([&] { engine.TextToTemplate(c.text); }),
            errorOf([&] { engine.CompressTemplateText(c.text); }),
            errorOf([&] { engine.TextToCardTemplate(c.text, v); }),
            errorOf([&] { engine.MatchTemplateStrings(regCopy, good, false, changed); }),
            errorOf([&] {
                std::string r = good;
                engine.MatchTemplateStrings(r, c.text, false, changed);
            }),
            errorOf([&] { engine.AddRegTemplateStrToFPCacheDB(handle, 1, c.text); }),
            errorOf([&] { engine.IdentificationFromStrInFPCacheDB(handle, c.text, score, rank); }),
        };
        for (const std::string& e : errors) EXPECT_NE(e.find(c.says), std::string::npos) << e;
        EXPECT_NE(errors[3].find("Registration template: "), std::string::npos) << errors[3];
        EXPECT_NE(errors[4].find("Verification template: "), std::string::npos) << errors[4];
        EXPECT_EQ(regCopy, c.text);
    }
    // Damaged values.
    TemplateValue value = engine.TextToTemplate(good);
    value[value.size() / 2] ^= 0x40;
    std::string t;
    EXPECT_NE(errorOf([&] { engine.TemplateToText(value); }).find("damaged"), std::string::npos);
    EXPECT_NE(errorOf([&] { engine.CardTemplateToText({}, t); }).find("damaged"),
              std::string::npos);
    EXPECT_NE(errorOf([&] {
                  engine.TemplateToText({1, 2, 3});
              }).find("damaged"),
              std::string::npos);
}

TEST_F(EngineTemplates, MalformedImagesGiveClearErrors) {
    const std::string garbage = (temp / "garbage.png").string();
    std::ofstream(garbage) << "this is not a picture";
    const std::string tiny = (temp / "tiny.png").string();
    QImage small(20, 20, QImage::Format_Grayscale8);
    small.fill(128);
    ASSERT_TRUE(small.save(QString::fromStdString(tiny)));
    const struct {
        std::string file;
        int dpi;
        const char* says;
    } cases[] = {
        {(temp / "missing.tif").string(), 0, "missing.tif"},
        {garbage, 0, "garbage.png"},
        {tiny, 0, "small"},
        {print("101_1"), 50, "resolution"},
        {print("101_1"), -3, "resolution"},
        {"", 0, "No image file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " " + std::to_string(c.dpi));
        std::string text = "left over";
        EXPECT_NE(errorOf([&] { engine.AddImageFromFile(c.file, c.dpi); }).find(c.says),
                  std::string::npos);
        EXPECT_NE(
            errorOf([&] { engine.RegTemplateFromImageFile(c.file, c.dpi, text); }).find(c.says),
            std::string::npos);
        EXPECT_EQ(text, "");
        EXPECT_NE(
            errorOf([&] { engine.VerTemplateFromImageFile(c.file, c.dpi, text); }).find(c.says),
            std::string::npos);
    }
}

TEST_F(EngineTemplates, APoorImageGivesNoTemplate) {
    const std::string blank = (temp / "blank.png").string();
    QImage white(300, 300, QImage::Format_Grayscale8);
    white.fill(255);
    ASSERT_TRUE(white.save(QString::fromStdString(blank)));
    std::string text = "left over";
    EXPECT_FALSE(engine.RegTemplateFromImageFile(blank, 500, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(engine.VerTemplateFromImageFile(blank, 500, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(engine.LastTemplateAsText(), "");
    // The image is still the latest one.
    EXPECT_EQ(engine.lastImage().width, 300);
}

TEST_F(EngineTemplates, RegistrationFromAFileEndsTheEnrollment) {
    engine.setEnrollCount(1);
    engine.StartEnrollment();
    EXPECT_TRUE(engine.IsRegister());
    EXPECT_EQ(engine.EnrollIndex(), 1);
    std::string text;
    EXPECT_TRUE(engine.RegTemplateFromImageFile(print("106_1"), 500, text));
    EXPECT_FALSE(engine.IsRegister());
    EXPECT_EQ(engine.EnrollCount(), 1);
}

TEST_F(EngineTemplates, SavesTheLatestImageInFilesAViewerOpens) {
    EXPECT_NE(errorOf([&] {
                  engine.SaveImageAsBitmap((temp / "none.bmp").string());
              }).find("no fingerprint image"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp / "none.bmp"));

    reg(print("101_1"));
    const GrayImage& image = engine.lastImage();
    const struct {
        const char* name;
        const char* format;
        void (FPEngine::*save)(const std::string&);
    } cases[] = {{"finger.bmp", "BMP", &FPEngine::SaveImageAsBitmap},
                 {"finger.jpg", "JPEG", &FPEngine::SaveImageAsJpeg}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = (temp / c.name).string();
        (engine.*c.save)(file);
        QImage back;
        ASSERT_TRUE(back.load(QString::fromStdString(file), c.format));
        EXPECT_EQ(back.width(), image.width);
        EXPECT_EQ(back.height(), image.height);
        // Same picture: compare a dark and a light spot loosely (JPEG is lossy).
        const QImage grey = back.convertToFormat(QImage::Format_Grayscale8);
        long diff = 0;
        for (int y = 0; y < image.height; y += 7)
            for (int x = 0; x < image.width; x += 7)
                diff += std::abs(int(grey.pixelColor(x, y).red()) - int(image.at(x, y)));
        EXPECT_LT(diff / ((image.width / 7 + 1) * (image.height / 7 + 1)), 8);
        const std::string unwritable = (temp / "no-such-folder" / c.name).string();
        EXPECT_NE(errorOf([&] { (engine.*c.save)(unwritable); }).find("Cannot write"),
                  std::string::npos);
    }
}

TEST_F(EngineTemplates, DrawsTheLatestImageIntoTheRectangle) {
    QImage canvas(200, 100, QImage::Format_RGB32);
    canvas.fill(Qt::red);
    {
        QPainter painter(&canvas);
        engine.DrawImage(&painter, 10, 10, 100, 50);  // no image yet: nothing happens
    }
    EXPECT_EQ(canvas.pixelColor(60, 35), QColor(Qt::red));
    reg(print("101_1"));  // 288 x 384: fits 100 x 50 as 38 x 50, centred
    {
        QPainter painter(&canvas);
        engine.DrawImage(&painter, 10, 10, 100, 50);
    }
    EXPECT_EQ(canvas.pixelColor(15, 35), QColor(Qt::red));  // beside the picture
    EXPECT_EQ(canvas.pixelColor(60, 5), QColor(Qt::red));   // above the rectangle
    const QColor inside = canvas.pixelColor(60, 35);
    EXPECT_EQ(inside.red(), inside.green());  // grey
    EXPECT_THROW(engine.DrawImage(nullptr, 0, 0, 10, 10), EngineError);
}

TEST_F(EngineTemplates, SavesTemplateFiles) {
    const TemplateValue value = engine.TextToTemplate(reg(print("101_1")));
    const std::string file = (temp / "Lumo.tpl").string();
    EXPECT_EQ(engine.SaveTemplateToFile(file, value), static_cast<int>(value.size()));
    std::ifstream in(file, std::ios::binary);
    const TemplateValue back((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    EXPECT_EQ(back, value);
    EXPECT_THROW(engine.SaveTemplateToFile((temp / "none" / "x.tpl").string(), value), EngineError);
    EXPECT_THROW(engine.SaveTemplateToFile("", value), EngineError);
}

// --- identification buffers -------------------------------------------------------------------

TEST_F(EngineTemplates, BufferHandlesAndStatuses) {
    const int a = engine.CreateFPCacheDB();
    const int b = engine.CreateFPCacheDB();
    EXPECT_NE(a, b);
    const std::string t1 = reg(print("101_1"));
    EXPECT_EQ(engine.AddRegTemplateStrToFPCacheDB(a, 7, t1), 1);
    EXPECT_EQ(engine.AddRegTemplateStrToFPCacheDB(a, 7, t1), 2);
    int score = -5, rank = -5;
    EXPECT_EQ(engine.IdentificationFromStrInFPCacheDB(b, t1, score, rank), -1);  // b is empty
    EXPECT_EQ(rank, 0);
    EXPECT_EQ(engine.IdentificationFromStrInFPCacheDB(a, ver(print("101_2")), score, rank), 7);
    EXPECT_GE(score, 10);
    EXPECT_EQ(rank, 1);
    EXPECT_EQ(engine.RemoveTemplateFromFPCacheDB(a, 7), 1);
    EXPECT_EQ(engine.RemoveTemplateFromFPCacheDB(a, 7), 0);
    engine.ReleaseFPCacheDB(a);
    for (int handle : {a, 0, -1, 99}) {
        SCOPED_TRACE(handle);
        const std::string says = "Unknown cache handle " + std::to_string(handle);
        EXPECT_EQ(errorOf([&] { engine.AddRegTemplateStrToFPCacheDB(handle, 1, t1); }), says);
        EXPECT_EQ(errorOf([&] { engine.AddRegTemplateStrToFPCacheDB(handle, 1, "junk"); }), says);
        EXPECT_EQ(errorOf([&] { engine.RemoveTemplateFromFPCacheDB(handle, 1); }), says);
        EXPECT_EQ(
            errorOf([&] { engine.IdentificationFromStrInFPCacheDB(handle, t1, score, rank); }),
            says);
        EXPECT_EQ(errorOf([&] { engine.ReleaseFPCacheDB(handle); }), says);
    }
    EXPECT_GT(engine.CreateFPCacheDB(), b);  // handles are not reused
}

TEST_F(EngineTemplates, IdentifiesTheRightFingerAmongAThousand) {
    using lumo::engine::synth::SyntheticFeatures;
    const int handle = engine.CreateFPCacheDB();
    for (int id = 0; id < 1000; ++id) {
        const Template t{TemplateGeneration::Gen9, SyntheticFeatures::finger(5000 + id)};
        ASSERT_EQ(engine.AddRegTemplateStrToFPCacheDB(handle, id, TemplateForms::toText(t)), 1);
    }
    // Real prints among the synthetic ones.
    engine.setFPEngineVersion("10");
    for (int finger = 101; finger <= 107; ++finger) {
        ASSERT_EQ(engine.AddRegTemplateStrToFPCacheDB(handle, 10000 + finger,
                                                      reg(print(std::to_string(finger) + "_1"))),
                  1);
    }
    int score = 0, rank = 0;
    for (int id : {3, 537, 999}) {
        SCOPED_TRACE(id);
        lumo::engine::synth::FeatureImpressionParameters gentle;  // a clean second press
        gentle.partialChance = 0;
        const FeatureSet probe =
            SyntheticFeatures::impression(SyntheticFeatures::finger(5000 + id), 77 + id, gentle);
        const std::string probeText = TemplateForms::toText({TemplateGeneration::Gen10, probe});
        EXPECT_EQ(engine.IdentificationFromStrInFPCacheDB(handle, probeText, score, rank), id);
        EXPECT_GE(score, 10);
        EXPECT_GT(rank, 0);
    }
    for (const char* name : {"103_7", "107_6"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(engine.IdentificationFromStrInFPCacheDB(handle, ver(print(name)), score, rank),
                  10000 + std::stoi(name));
    }
    // A finger that is not stored.
    EXPECT_EQ(engine.IdentificationFromStrInFPCacheDB(handle, ver(print("109_2")), score, rank),
              -1);
    EXPECT_LT(score, 10);
}

}  // namespace
