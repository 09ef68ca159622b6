// blankcard FILE UID: writes a factory-fresh MIFARE Classic 1K dump (1024 bytes) with the 4-byte
// UID given as 8 hexadecimal digits: block 0 with the UID, its BCC and the maker bytes, every
// data block zero, every trailer FF x 6 | FF 07 80 69 | FF x 6 (factory keys, transport access).
//
// An existing FILE is kept as it is (a card someone has written stays written); the new file
// is written under a temporary name and renamed, so no half card is ever left behind.
// Exit status 0 when the file exists afterwards, 1 when it cannot be written, 2 for a wrong
// command line.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "engine/card/SimulatedCard.h"

namespace {

bool parseUid(const std::string& text, lumo::engine::SimulatedCard::Uid& uid) {
    if (text.size() != 8) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string pair = text.substr(2 * i, 2);
        if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
        uid[i] = static_cast<std::uint8_t>(std::strtoul(pair.c_str(), nullptr, 16));
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    namespace fs = std::filesystem;
    lumo::engine::SimulatedCard::Uid uid{};
    if (argc != 3 || !parseUid(argv[2], uid)) {
        std::fputs("usage: blankcard FILE UID   (UID: 8 hexadecimal digits, e.g. 5A31C007)\n",
                   stderr);
        return 2;
    }
    const fs::path file = argv[1];
    std::error_code error;
    if (fs::exists(file, error)) return 0;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), error);

    const lumo::engine::SimulatedCard card(uid);
    const auto& image = card.image();
    const fs::path temporary = file.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "blankcard: cannot write %s\n", temporary.c_str());
            fs::remove(temporary, error);
            return 1;
        }
    }
    fs::rename(temporary, file, error);
    if (error) {
        std::fprintf(stderr, "blankcard: cannot write %s: %s\n", file.c_str(),
                     error.message().c_str());
        fs::remove(temporary, error);
        return 1;
    }
    return 0;
}
