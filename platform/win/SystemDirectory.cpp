#include "platform/win/SystemDirectory.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace lumo::win {

namespace {

namespace fs = std::filesystem;

std::string withSlash(std::string dir) {
    if (dir.empty()) return "./";
    if (dir.back() != '/') dir += '/';
    return dir;
}

std::string folderOf(const fs::path& file) {
    std::error_code ec;
    fs::path full = fs::weakly_canonical(file, ec);
    if (ec || full.empty()) full = file;
    return withSlash(full.parent_path().string());
}

}  // namespace

std::string systemDirectoryOf(const void* addressInLibrary) {
    if (const char* dir = std::getenv("LUMO_SYSTEM_DIR"); dir != nullptr && *dir != '\0')
        return withSlash(dir);
    Dl_info info{};
    // For the main program dladdr may give its name as typed on the command line (or none);
    // /proc/self/exe is the reliable answer there.
    if (addressInLibrary != nullptr && ::dladdr(addressInLibrary, &info) != 0 &&
        info.dli_fname != nullptr && info.dli_fname[0] == '/')
        return folderOf(info.dli_fname);
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return folderOf(exe);
    if (info.dli_fname != nullptr && info.dli_fname[0] != '\0') return folderOf(info.dli_fname);
    return "./";
}

std::string systemDirectory() {
    return systemDirectoryOf(reinterpret_cast<const void*>(&systemDirectory));
}

}  // namespace lumo::win
