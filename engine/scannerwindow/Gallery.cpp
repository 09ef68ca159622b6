#include "engine/scannerwindow/Gallery.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace fs = std::filesystem;

namespace lumo::scanner {

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool hidden(const fs::path& p) {
    const std::string name = p.filename().string();
    return name.empty() || name[0] == '.';
}

// Images directly inside a folder, in natural name order.
std::vector<fs::path> imagesIn(const fs::path& folder) {
    std::vector<fs::path> images;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (hidden(it->path())) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (isGalleryImageName(it->path().filename().string())) images.push_back(it->path());
    }
    std::sort(images.begin(), images.end(), [](const fs::path& a, const fs::path& b) {
        return naturalLess(a.filename().string(), b.filename().string());
    });
    return images;
}

}  // namespace

bool isGalleryImageName(const std::string& fileName) {
    const std::string ext = lowered(fs::path(fileName).extension().string());
    static const char* const known[] = {".png", ".tif", ".tiff", ".bmp", ".jpg", ".jpeg", ".pgm"};
    return std::any_of(std::begin(known), std::end(known), [&](const char* k) { return ext == k; });
}

bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            // Compare the numbers without leading zeros: first by length, then digit by digit.
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            if (ei - si != ej - sj) return ei - si < ej - sj;
            const int c = a.compare(si, ei - si, b, sj, ej - sj);
            if (c != 0) return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        const char ca = static_cast<char>(std::tolower(static_cast<unsigned char>(a[i])));
        const char cb = static_cast<char>(std::tolower(static_cast<unsigned char>(b[j])));
        if (ca != cb) return ca < cb;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;
}

std::vector<GalleryFinger> listGallery(const fs::path& folder) {
    std::vector<GalleryFinger> fingers;
    std::vector<fs::path> subfolders;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (hidden(it->path())) continue;
        std::error_code typeError;
        if (it->is_directory(typeError)) subfolders.push_back(it->path());
    }
    std::sort(subfolders.begin(), subfolders.end(), [](const fs::path& a, const fs::path& b) {
        return naturalLess(a.filename().string(), b.filename().string());
    });
    for (const fs::path& sub : subfolders) {
        GalleryFinger finger{sub.filename().string(), imagesIn(sub)};
        if (!finger.impressions.empty()) fingers.push_back(std::move(finger));
    }
    GalleryFinger loose;
    loose.impressions = imagesIn(folder);
    if (!loose.impressions.empty()) {
        fs::path name = folder.lexically_normal();
        if (name.filename().empty()) name = name.parent_path();
        loose.label = name.filename().string();
        fingers.push_back(std::move(loose));
    }
    return fingers;
}

std::vector<GalleryImage> galleryImages(const std::vector<GalleryFinger>& fingers) {
    std::vector<GalleryImage> images;
    for (const GalleryFinger& finger : fingers) {
        int n = 0;
        for (const fs::path& file : finger.impressions)
            images.push_back(GalleryImage{finger.label, ++n, file});
    }
    return images;
}

}  // namespace lumo::scanner
