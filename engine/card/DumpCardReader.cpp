#include "engine/card/DumpCardReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace lumo::engine {

namespace {

// Dumps of 4K cards and of tools that pad are at most this long; anything longer is not a
// card dump that lies on this reader by intent.
constexpr std::uintmax_t kMaxDumpFileSize = 4096;

std::string errnoText() { return std::strerror(errno); }

}  // namespace

DumpCardReader::DumpCardReader(fs::path dumpFile) : m_dumpFile(std::move(dumpFile)) {}

std::optional<DumpCardReader::Loaded> DumpCardReader::load() const {
    if (m_dumpFile.empty()) return std::nullopt;
    std::error_code ec;
    const fs::file_status status = fs::status(m_dumpFile, ec);
    if (ec || status.type() == fs::file_type::not_found) return std::nullopt;
    const std::string name = m_dumpFile.string();
    if (status.type() == fs::file_type::directory) {
        throw CardReaderError("The card dump " + name + " is a folder, not a dump file");
    }
    std::ifstream in(m_dumpFile, std::ios::binary);
    if (!in) throw CardReaderError("Cannot read the card dump " + name + ": " + errnoText());
    std::vector<std::uint8_t> bytes;
    bytes.reserve(SimulatedCard::kImageSize);
    char buffer[1024];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > kMaxDumpFileSize) {
            throw CardReaderError("The card dump " + name +
                                  " is not a MIFARE Classic 1K dump: it is longer than " +
                                  std::to_string(kMaxDumpFileSize) + " bytes");
        }
    }
    if (in.bad()) throw CardReaderError("Cannot read the card dump " + name);
    if (bytes.size() < static_cast<std::size_t>(SimulatedCard::kImageSize)) {
        throw CardReaderError("The card dump " + name + " is damaged: it holds " +
                              std::to_string(bytes.size()) +
                              " bytes, a MIFARE Classic 1K dump holds 1024");
    }
    try {
        return Loaded{SimulatedCard::fromDump(bytes), std::move(bytes)};
    } catch (const std::exception& e) {
        throw CardReaderError("The card dump " + name + " is damaged: " + e.what());
    }
}

void DumpCardReader::save(const Loaded& loaded, const SimulatedCard& card) const {
    std::vector<std::uint8_t> bytes = loaded.bytes;
    const auto& image = card.image();
    std::copy(image.begin(), image.end(), bytes.begin());

    const std::string name = m_dumpFile.string();
    const fs::path folder = m_dumpFile.has_parent_path() ? m_dumpFile.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + m_dumpFile.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        throw CardReaderError("Cannot write the card dump " + name + ": " + errnoText());
    }
    auto fail = [&](const std::string& what) {
        const std::string reason = errnoText();
        ::close(fd);
        ::unlink(pattern.c_str());
        throw CardReaderError("Cannot write the card dump " + name + ": " + what + ": " + reason);
    };
    struct stat original {};
    if (::stat(m_dumpFile.c_str(), &original) == 0) ::fchmod(fd, original.st_mode & 07777);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("write");
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) fail("flush");
    if (::close(fd) != 0) {
        const std::string reason = errnoText();
        ::unlink(pattern.c_str());
        throw CardReaderError("Cannot write the card dump " + name + ": " + reason);
    }
    if (::rename(pattern.c_str(), m_dumpFile.c_str()) != 0) {
        const std::string reason = errnoText();
        ::unlink(pattern.c_str());
        throw CardReaderError("Cannot replace the card dump " + name + ": " + reason);
    }
    // The rename itself is durable only once the folder is flushed.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

std::optional<CardIdentity> DumpCardReader::request(std::uint8_t requestCode) {
    if (requestCode != 0x26 && requestCode != 0x52) return std::nullopt;
    const auto loaded = load();
    if (!loaded) return std::nullopt;
    const SimulatedCard::Block block0 = loaded->card.block(0);
    CardIdentity identity;
    std::copy_n(block0.begin(), 4, identity.uid.begin());
    identity.sak = block0[5];
    identity.atqa = {block0[6], block0[7]};
    return identity;
}

bool DumpCardReader::readBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                                std::span<std::uint8_t> out) {
    auto loaded = load();
    if (!loaded) return false;
    return loaded->card.readBlocks(keyType, firstBlock, count, key, out);
}

bool DumpCardReader::writeBlocks(std::uint8_t keyType, int firstBlock, int count, const Key& key,
                                 std::span<const std::uint8_t> data) {
    auto loaded = load();
    if (!loaded) return false;
    SimulatedCard card = loaded->card;
    if (!card.writeBlocks(keyType, firstBlock, count, key, data)) return false;
    save(*loaded, card);
    return true;
}

}  // namespace lumo::engine
