// Gallery: the sample finger images the virtual scanner window offers to press.
//
// A gallery folder holds one subfolder per finger, named after it ("Anna - right index"), with
// that finger's impressions inside as image files (.png, .tif, .tiff, .bmp, .jpg, .jpeg, .pgm,
// any letter case). Images lying loose in the gallery folder itself form one more finger,
// labelled with the gallery folder's name, after the subfolders. Fingers and impressions come
// in name order, numbers inside names compared by value ("print 9" before "print 10"); names
// starting with "." are skipped, and so are subfolders without images. A missing or unreadable
// folder is an empty gallery.
//
// Free functions; any thread; never throw.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lumo::scanner {

struct GalleryFinger {
    std::string label;
    std::vector<std::filesystem::path> impressions;
    bool operator==(const GalleryFinger&) const = default;
};

// One entry per impression, in gallery order: what the window shows as thumbnails.
struct GalleryImage {
    std::string label;   // the finger's label
    int impression = 0;  // 1 for the finger's first impression
    std::filesystem::path file;
    bool operator==(const GalleryImage&) const = default;
};

bool isGalleryImageName(const std::string& fileName);
// Name order with runs of digits compared as numbers, then plain order to break ties.
bool naturalLess(const std::string& a, const std::string& b);

std::vector<GalleryFinger> listGallery(const std::filesystem::path& folder);
std::vector<GalleryImage> galleryImages(const std::vector<GalleryFinger>& fingers);

}  // namespace lumo::scanner
