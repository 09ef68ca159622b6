#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/image/ImageError.h"
#include "engine/image/ImageLoader.h"

using namespace lumo::engine;

namespace {

const std::string kFvc = std::string(LUMO_SHARED_DATA_DIR) + "/fingerprints/fvc2000_db1_b/101_1.tif";

// A grey test pattern with a known pixel at (3, 5).
QImage pattern(int w, int h, QImage::Format format = QImage::Format_Grayscale8) {
    QImage img(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.scanLine(y)[x] = static_cast<uchar>((x * 7 + y * 3) % 256);
    img.scanLine(5)[3] = 17;
    return img.convertToFormat(format);
}

std::vector<std::uint8_t> encode(const QImage& img, const char* format, int dpi = 0) {
    QImage copy = img;
    if (dpi > 0) {
        copy.setDotsPerMeterX(static_cast<int>(dpi / 0.0254 + 0.5));
        copy.setDotsPerMeterY(static_cast<int>(dpi / 0.0254 + 0.5));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(copy.save(&buffer, format, format == std::string("JPEG") ? 100 : -1)) << format;
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> pgm(int w, int h, bool binary) {
    std::string header = (binary ? "P5\n" : "P2\n") + std::string("# comment\n") + std::to_string(w) + " " +
                         std::to_string(h) + "\n255\n";
    std::vector<std::uint8_t> out(header.begin(), header.end());
    for (int i = 0; i < w * h; ++i) {
        const int v = (i * 7) % 256;
        if (binary) {
            out.push_back(static_cast<std::uint8_t>(v));
        } else {
            const std::string s = std::to_string(v) + " ";
            out.insert(out.end(), s.begin(), s.end());
        }
    }
    return out;
}

std::string messageOf(const std::vector<std::uint8_t>& bytes) {
    try {
        decodeImage(bytes, 0, "test.img");
    } catch (const ImageError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ImageLoader, DecodesEveryFormatToGreyAt500Dpi) {
    struct Case {
        const char* format;
        QImage::Format pixelFormat;
        bool exact;
    };
    const Case cases[] = {
        {"BMP", QImage::Format_Grayscale8, true},
        {"BMP", QImage::Format_RGB32, true},
        {"PNG", QImage::Format_Grayscale8, true},
        {"PNG", QImage::Format_ARGB32, true},
        {"JPEG", QImage::Format_Grayscale8, false},
        {"TIFF", QImage::Format_Grayscale8, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format) + " format " + std::to_string(c.pixelFormat));
        const GrayImage img = decodeImage(encode(pattern(120, 90, c.pixelFormat), c.format));
        EXPECT_EQ(img.width, 120);
        EXPECT_EQ(img.height, 90);
        EXPECT_EQ(img.resolution, 500);
        ASSERT_EQ(img.pixels.size(), 120u * 90u);
        if (c.exact) {
            EXPECT_EQ(img.at(3, 5), 17);
            EXPECT_EQ(img.at(10, 20), (10 * 7 + 20 * 3) % 256);
        } else {
            EXPECT_NEAR(img.at(60, 40), (60 * 7 + 40 * 3) % 256, 12);
        }
    }
}

TEST(ImageLoader, ReadsPgmBinaryAndPlain) {
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "P5" : "P2");
        const GrayImage img = decodeImage(pgm(80, 70, binary));
        EXPECT_EQ(img.width, 80);
        EXPECT_EQ(img.height, 70);
        EXPECT_EQ(img.at(5, 1), ((80 + 5) * 7) % 256);
    }
}

TEST(ImageLoader, LoadsTheFvcTiffFiles) {
    const GrayImage img = loadImage(kFvc);
    EXPECT_EQ(img.width, 300);
    EXPECT_EQ(img.height, 300);
    EXPECT_EQ(img.resolution, 500);
}

TEST(ImageLoader, UsesTheFileResolutionOrTheCallers) {
    const auto bytes = encode(pattern(200, 100), "PNG", 1000);
    EXPECT_EQ(decodeImage(bytes).width, 100);        // 1000 dpi -> halved
    EXPECT_EQ(decodeImage(bytes, 500).width, 200);   // caller says 500 dpi
    EXPECT_EQ(decodeImage(encode(pattern(200, 100), "PNG", 96)).width, 200);  // editor's 96 dpi ignored
}

TEST(ImageLoader, RejectsTruncatedFiles) {
    for (const char* format : {"BMP", "PNG", "JPEG", "TIFF"}) {
        SCOPED_TRACE(format);
        auto bytes = encode(pattern(160, 160), format);
        bytes.resize(bytes.size() * 2 / 3);
        const std::string message = messageOf(bytes);
        EXPECT_NE(message.find("test.img"), std::string::npos) << message;
    }
    auto p = pgm(100, 100, true);
    p.resize(p.size() - 10);
    EXPECT_NE(messageOf(p).find("truncated"), std::string::npos);
}

TEST(ImageLoader, RejectsCorruptAndUnknownData) {
    auto png = encode(pattern(100, 100), "PNG");
    for (std::size_t i = 40; i < png.size() - 20; ++i) png[i] ^= 0x5a;
    EXPECT_FALSE(messageOf(png).empty());
    EXPECT_NE(messageOf({'h', 'e', 'l', 'l', 'o'}).find("not a supported image"), std::string::npos);
    EXPECT_NE(messageOf({}).find("empty"), std::string::npos);
    EXPECT_NE(messageOf({'P', '5', '\n', 'x'}).find("PGM"), std::string::npos);
}

TEST(ImageLoader, RejectsImagesTooSmallOrTooLarge) {
    struct Case {
        int w, h;
        const char* word;
    };
    for (const Case c : {Case{63, 200, "too small"}, Case{200, 40, "too small"}, Case{2001, 100, "too large"}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        EXPECT_NE(messageOf(encode(pattern(c.w, c.h), "PNG")).find(c.word), std::string::npos);
        EXPECT_NE(messageOf(pgm(c.w, c.h, true)).find(c.word), std::string::npos);
    }
    EXPECT_EQ(decodeImage(encode(pattern(64, 2000), "PNG")).height, 2000);
}

TEST(ImageLoader, ReportsMissingFilesByName) {
    try {
        loadImage("/nonexistent/finger.png");
        FAIL();
    } catch (const ImageError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/finger.png"), std::string::npos);
    }
}

TEST(ImageLoader, TakesScannerFrames) {
    std::vector<std::uint8_t> frame(256 * 360, 128);
    frame[10] = 3;
    const GrayImage img = imageFromRaw(256, 360, 500, frame.data(), frame.size());
    EXPECT_EQ(img.at(10, 0), 3);
    const GrayImage resampled = imageFromRaw(256, 360, 1000, frame.data(), frame.size());
    EXPECT_EQ(resampled.width, 128);
    EXPECT_EQ(resampled.height, 180);
    EXPECT_THROW(imageFromRaw(256, 360, 500, frame.data(), frame.size() - 1), ImageError);
    EXPECT_THROW(imageFromRaw(256, 360, 500, nullptr, 0), ImageError);
    EXPECT_THROW(imageFromRaw(32, 360, 500, frame.data(), frame.size()), ImageError);
    EXPECT_THROW(imageFromRaw(256, 360, 0, frame.data(), frame.size()), ImageError);
}
