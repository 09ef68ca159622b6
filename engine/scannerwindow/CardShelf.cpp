#include "engine/scannerwindow/CardShelf.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

#include "engine/card/SimulatedCard.h"
#include "engine/runtime/EngineSettings.h"
#include "engine/scannerwindow/Gallery.h"
#include "platform/registry/Registry.h"

namespace fs = std::filesystem;

namespace lumo::scanner {

namespace {

constexpr const char* kCardDumpValue = "CardDump";

// Thrown by writeNewFile when the final name exists.
struct NameTaken {};

bool isDumpName(const fs::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string name = file.filename().string();
    return ext == ".mfd" && !name.empty() && name[0] != '.';
}

void writeNewFile(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    const fs::path part = file.parent_path() / ("." + file.filename().string() + ".part");
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("Cannot write the card " + file.string() + ": " +
                                 std::strerror(errno));
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(part.c_str());
            throw std::runtime_error("Cannot write the card " + file.string() + ": " +
                                     std::strerror(err));
        }
        done += static_cast<std::size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    // link() fails when the name was taken meanwhile, so an existing card is never replaced.
    if (!synced || ::link(part.c_str(), file.c_str()) != 0) {
        const int err = errno;
        ::unlink(part.c_str());
        if (err == EEXIST) throw NameTaken{};
        throw std::runtime_error("Cannot write the card " + file.string() + ": " +
                                 std::strerror(err));
    }
    ::unlink(part.c_str());
}

}  // namespace

std::optional<CardUid> dumpUid(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    if (fs::file_size(file, ec) < static_cast<std::uintmax_t>(engine::SimulatedCard::kImageSize) ||
        ec)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    char bytes[4];
    if (!in.read(bytes, 4)) return std::nullopt;
    CardUid uid;
    for (int i = 0; i < 4; ++i) uid[i] = static_cast<std::uint8_t>(bytes[i]);
    return uid;
}

std::vector<ShelfCard> listCardShelf(const fs::path& folder) {
    std::vector<ShelfCard> cards;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || !isDumpName(it->path())) continue;
        cards.push_back(ShelfCard{it->path(), it->path().stem().string(), dumpUid(it->path())});
    }
    std::sort(cards.begin(), cards.end(), [](const ShelfCard& a, const ShelfCard& b) {
        return naturalLess(a.file.filename().string(), b.file.filename().string());
    });
    return cards;
}

std::string uidText(const CardUid& uid) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", uid[0], uid[1], uid[2], uid[3]);
    return text;
}

CardUid randomCardUid() {
    std::random_device device;
    std::uniform_int_distribution<int> byte(0, 255);
    CardUid uid{};
    do {
        for (auto& b : uid) b = static_cast<std::uint8_t>(byte(device));
    } while (uid[0] == 0x88 || uid == CardUid{});
    return uid;
}

std::vector<std::uint8_t> blankCardDump(const CardUid& uid) {
    return engine::SimulatedCard(uid).dump();
}

fs::path createBlankCard(const fs::path& folder, const CardUid& uid) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        throw std::runtime_error("Cannot make the card folder " + folder.string() +
                                 (ec ? ": " + ec.message() : std::string()));
    }
    std::string hex = uidText(uid);
    hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
    const std::vector<std::uint8_t> bytes = blankCardDump(uid);
    for (int n = 1; n < 1000; ++n) {
        const fs::path file =
            folder / ("blank-" + hex + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".mfd");
        if (fs::exists(file, ec)) continue;
        try {
            writeNewFile(file, bytes);
            return file;
        } catch (const NameTaken&) {
            continue;  // taken meanwhile: the next name
        }
    }
    throw std::runtime_error("No free card name for " + hex + " in " + folder.string());
}

fs::path cardOnReader() {
    const auto value = registry::readValue(registry::Root::LocalMachine,
                                           engine::EngineSettings::kRegistryKey, kCardDumpValue);
    std::string text = value.value_or(std::string());
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    return text;
}

void putCardOnReader(const fs::path& dumpFile) {
    std::error_code ec;
    fs::path full = fs::absolute(dumpFile, ec);
    if (ec) full = dumpFile;
    registry::writeValue(registry::Root::LocalMachine, engine::EngineSettings::kRegistryKey,
                         kCardDumpValue, full.lexically_normal().string());
}

void takeCardOffReader() {
    registry::writeValue(registry::Root::LocalMachine, engine::EngineSettings::kRegistryKey,
                         kCardDumpValue, "");
}

}  // namespace lumo::scanner
