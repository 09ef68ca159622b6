// SensorFeed: the folder through which presses reach the virtual sensor, and how files are
// named and dropped into it.
//
// A press is an image file in the feed folder. Files are taken in name order; names starting
// with "." are never taken (a dropper writes under such a name and renames the finished file,
// so a half-written image is never seen). A name may carry the image's resolution just before
// the extension, "<anything>-569dpi.tif" or "<anything>.569dpi.png"; without it the resolution
// comes from the file (see engine/image/ImageLoader.h).
//
// Free functions; any thread. Errors are SensorError with the folder or file named.
#pragma once

#include <filesystem>
#include <string>

namespace lumo::engine {

// $XDG_RUNTIME_DIR/lumo-sensor/feed, or <temp folder>/lumo-sensor-<user id>/feed without it.
std::filesystem::path defaultFeedFolder();

// Creates the folder (and its parents) when missing; throws SensorError when it cannot.
void ensureFeedFolder(const std::filesystem::path& folder);

// The resolution written in a feed file's name, 0 when the name carries none.
int feedFileDpi(const std::string& fileName);

// Copies imageFile into the folder under a new name that sorts after every earlier drop
// (and carries dpi when dpi > 0), atomically: written under a hidden name, then renamed.
// Returns the final path.
std::filesystem::path dropIntoFeed(const std::filesystem::path& folder,
                                   const std::filesystem::path& imageFile, int dpi);

}  // namespace lumo::engine
