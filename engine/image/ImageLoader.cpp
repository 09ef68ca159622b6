#include "engine/image/ImageLoader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/image/ImageError.h"
#include "engine/image/Resample.h"

namespace lumo::engine {
namespace {

constexpr int kMinPlausibleDpi = 250;
constexpr int kMaxPlausibleDpi = 1500;
constexpr std::size_t kMaxFileBytes = 256u * 1024u * 1024u;

enum class Format { Unknown, Bmp, Png, Jpeg, Tiff, Pgm };

Format sniff(const std::vector<std::uint8_t>& b) {
    auto starts = [&](std::initializer_list<int> magic) {
        if (b.size() < magic.size()) return false;
        std::size_t i = 0;
        for (int m : magic)
            if (b[i++] != static_cast<std::uint8_t>(m)) return false;
        return true;
    };
    if (starts({'B', 'M'})) return Format::Bmp;
    if (starts({0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a})) return Format::Png;
    if (starts({0xff, 0xd8, 0xff})) return Format::Jpeg;
    if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42})) return Format::Tiff;
    if (starts({'P', '5'}) || starts({'P', '2'})) return Format::Pgm;
    return Format::Unknown;
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint32_t be32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16 |
           static_cast<std::uint32_t>(b[at + 2]) << 8 | static_cast<std::uint32_t>(b[at + 3]);
}

[[noreturn]] void truncated(const std::string& name) {
    throw ImageError(name + " is truncated or damaged: the image data ends early");
}

// Decoders of some formats paint missing rows grey instead of failing; these checks find
// files that end before their image data does.
void checkComplete(Format f, const std::vector<std::uint8_t>& b, const std::string& name) {
    switch (f) {
        case Format::Png: {
            // Walk the chunks up to IEND; every chunk must lie inside the file.
            std::size_t at = 8;
            for (;;) {
                if (at + 12 > b.size()) truncated(name);
                const std::uint32_t len = be32(b, at);
                if (len > b.size() || at + 12 + len > b.size()) truncated(name);
                if (std::memcmp(&b[at + 4], "IEND", 4) == 0) return;
                at += 12 + len;
            }
        }
        case Format::Jpeg: {
            // The end-of-image marker must follow the last start-of-scan; inside entropy-coded
            // data 0xff is always stuffed, so FF D9 there is the real marker.
            std::size_t lastSos = 0;
            for (std::size_t i = 2; i + 1 < b.size(); ++i)
                if (b[i] == 0xff && b[i + 1] == 0xda) lastSos = i;
            if (lastSos == 0) truncated(name);
            for (std::size_t i = lastSos + 2; i + 1 < b.size(); ++i)
                if (b[i] == 0xff && b[i + 1] == 0xd9) return;
            truncated(name);
        }
        case Format::Bmp: {
            if (b.size() < 54) truncated(name);
            const std::uint32_t offset = le32(b, 10);
            const std::uint32_t headerSize = le32(b, 14);
            if (headerSize < 40) return;  // old OS/2 headers: leave to the decoder
            const auto width = static_cast<std::int32_t>(le32(b, 18));
            const auto height = static_cast<std::int32_t>(le32(b, 22));
            const unsigned bpp = b[28] | (b[29] << 8);
            const std::uint32_t compression = le32(b, 30);
            if (compression != 0 && compression != 3) return;  // RLE: sizes vary
            if (width <= 0 || bpp == 0) return;
            const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bpp + 31) / 32) * 4;
            const std::uint64_t rows = static_cast<std::uint64_t>(std::abs(static_cast<long>(height)));
            if (offset + stride * rows > b.size()) truncated(name);
            return;
        }
        default:
            return;
    }
}

int dpiFromImage(const QImage& image) {
    const int dpi = static_cast<int>(std::lround(image.dotsPerMeterX() * 0.0254));
    return (dpi >= kMinPlausibleDpi && dpi <= kMaxPlausibleDpi) ? dpi : kWorkingResolution;
}

// Reads PGM (binary P5 and plain P2) with maxval up to 65535.
GrayImage decodePgm(const std::vector<std::uint8_t>& b, const std::string& name) {
    std::size_t at = 2;
    auto skipSpace = [&] {
        for (;;) {
            while (at < b.size() && std::isspace(b[at])) ++at;
            if (at < b.size() && b[at] == '#') {
                while (at < b.size() && b[at] != '\n') ++at;
                continue;
            }
            return;
        }
    };
    auto number = [&]() -> long {
        skipSpace();
        if (at >= b.size() || !std::isdigit(b[at]))
            throw ImageError(name + " is not a valid PGM file: bad header");
        long v = 0;
        while (at < b.size() && std::isdigit(b[at])) {
            v = v * 10 + (b[at++] - '0');
            if (v > 1000000) throw ImageError(name + " is not a valid PGM file: bad header");
        }
        return v;
    };
    const bool binary = b[1] == '5';
    const long w = number(), h = number(), maxval = number();
    if (maxval <= 0 || maxval > 65535) throw ImageError(name + " is not a valid PGM file: bad maximum value");
    checkImageSize(static_cast<int>(w), static_cast<int>(h), name);
    GrayImage img;
    img.width = static_cast<int>(w);
    img.height = static_cast<int>(h);
    img.resolution = kWorkingResolution;
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    img.pixels.resize(n);
    auto scale = [&](long v) {
        return static_cast<std::uint8_t>(std::clamp((v * 255 + maxval / 2) / maxval, 0L, 255L));
    };
    if (binary) {
        if (at >= b.size() || !std::isspace(b[at])) truncated(name);
        ++at;  // exactly one whitespace byte before the raster
        const std::size_t bytesPer = maxval > 255 ? 2 : 1;
        if (b.size() - at < n * bytesPer) truncated(name);
        for (std::size_t i = 0; i < n; ++i) {
            const long v = bytesPer == 2 ? (b[at + 2 * i] << 8 | b[at + 2 * i + 1]) : b[at + i];
            img.pixels[i] = scale(std::min(v, maxval));
        }
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            skipSpace();
            if (at >= b.size()) truncated(name);
            img.pixels[i] = scale(std::min(number(), maxval));
        }
    }
    return img;
}

GrayImage toGray(const QImage& decoded) {
    GrayImage img;
    img.width = decoded.width();
    img.height = decoded.height();
    img.pixels.resize(static_cast<std::size_t>(img.width) * img.height);
    if (decoded.format() == QImage::Format_Grayscale8) {
        for (int y = 0; y < img.height; ++y)
            std::memcpy(img.pixels.data() + static_cast<std::size_t>(y) * img.width,
                        decoded.constScanLine(y), static_cast<std::size_t>(img.width));
        return img;
    }
    // Transparent parts count as white paper.
    const QImage argb = decoded.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < img.width; ++x) {
            const QRgb p = row[x];
            const int a = qAlpha(p);
            const int grey = (qRed(p) * 299 + qGreen(p) * 587 + qBlue(p) * 114 + 500) / 1000;
            img.pixels[static_cast<std::size_t>(y) * img.width + x] =
                static_cast<std::uint8_t>((grey * a + 255 * (255 - a) + 127) / 255);
        }
    }
    return img;
}

}  // namespace

void checkImageSize(int width, int height, const std::string& name) {
    if (width < kMinImageSide || height < kMinImageSide)
        throw ImageError(name + " is too small (" + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels; at least " +
                         std::to_string(kMinImageSide) + " x " + std::to_string(kMinImageSide) +
                         " are needed)");
    if (width > kMaxImageSide || height > kMaxImageSide)
        throw ImageError(name + " is too large (" + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels; at most " +
                         std::to_string(kMaxImageSide) + " x " + std::to_string(kMaxImageSide) +
                         " are allowed)");
}

GrayImage decodeImage(const std::vector<std::uint8_t>& bytes, int dpi, const std::string& name) {
    if (bytes.empty()) throw ImageError(name + " is empty");
    const Format format = sniff(bytes);
    if (format == Format::Unknown)
        throw ImageError(name + " is not a supported image (BMP, PNG, JPEG, TIFF or PGM)");

    GrayImage img;
    if (format == Format::Pgm) {
        img = decodePgm(bytes, name);
    } else {
        checkComplete(format, bytes, name);
        QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        const QSize size = reader.size();
        if (size.isValid()) checkImageSize(size.width(), size.height(), name);
        QImage decoded;
        if (!reader.read(&decoded) || decoded.isNull())
            throw ImageError(name + " cannot be decoded (" + reader.errorString().toStdString() +
                             "); the file is damaged or not an image");
        checkImageSize(decoded.width(), decoded.height(), name);
        img = toGray(decoded);
        img.resolution = dpiFromImage(decoded);
    }
    if (dpi > 0) img.resolution = dpi;
    return toWorkingResolution(std::move(img));
}

GrayImage loadImage(const std::string& path, int dpi) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ImageError("cannot open the image file " + path);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) throw ImageError("cannot read the image file " + path);
    if (static_cast<std::size_t>(size) > kMaxFileBytes)
        throw ImageError("the image file " + path + " is too large to be a fingerprint image");
    in.seekg(0);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size))
        throw ImageError("cannot read the image file " + path);
    return decodeImage(bytes, dpi, "the image file " + path);
}

GrayImage imageFromRaw(int width, int height, int dpi, const std::uint8_t* data, std::size_t size) {
    const std::string name = "the scanner frame";
    checkImageSize(width, height, name);
    if (dpi < 100 || dpi > 5000)
        throw ImageError("the scanner frame has an impossible resolution of " + std::to_string(dpi) + " dpi");
    const std::size_t need = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (data == nullptr || size < need)
        throw ImageError("the scanner frame is incomplete (" + std::to_string(size) + " of " +
                         std::to_string(need) + " bytes)");
    GrayImage img;
    img.width = width;
    img.height = height;
    img.resolution = dpi;
    img.pixels.assign(data, data + need);
    return toWorkingResolution(std::move(img));
}

}  // namespace lumo::engine
