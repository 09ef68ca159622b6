// regsvr [-u] LIBRARY: registers (or with -u unregisters) an in-process server library by
// calling its DllRegisterServer (DllUnregisterServer).
//
// Exit status 0 on success; 1 when the library cannot be found or loaded, lacks the export or
// the call fails (the status as 0x%08X and the library's error description on stderr); 2 for
// a wrong command line.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "platform/com/ComError.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/ServerExports.h"

namespace {

int usage() {
    std::fputs(
        "usage: regsvr [-u] LIBRARY\n"
        "  Registers an in-process server library (calls DllRegisterServer);\n"
        "  -u unregisters it (calls DllUnregisterServer).\n",
        stderr);
    return 2;
}

int run(const std::string& library, bool unregister) {
    const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    std::error_code error;
    if (!std::filesystem::is_regular_file(library, error)) {
        std::fprintf(stderr, "regsvr: cannot find the library %s\n", library.c_str());
        return 1;
    }
    // A bare file name means the file here, not a search of the library path.
    const std::string path = library.find('/') == std::string::npos ? "./" + library : library;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        std::fprintf(stderr, "regsvr: cannot load the library %s: %s\n", library.c_str(),
                     reason ? reason : "unknown reason");
        return 1;
    }
    dlerror();
    auto entry = reinterpret_cast<DllRegisterServerFunction>(dlsym(handle, entryName));
    if (!entry) {
        std::fprintf(stderr, "regsvr: the library %s does not export %s\n", library.c_str(),
                     entryName);
        return 1;
    }
    lumo::com::clearErrorInfo();
    const HRESULT hr = entry();
    if (FAILED(hr)) {
        const std::string description = lumo::com::takeErrorDescription();
        std::fprintf(stderr, "regsvr: %s in %s failed: %s%s%s\n", entryName, library.c_str(),
                     lumo::com::formatHresult(hr).c_str(), description.empty() ? "" : " ",
                     description.c_str());
        return 1;
    }
    std::printf("regsvr: %s in %s succeeded.\n", entryName, library.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-u") {
            unregister = true;
        } else if (arg == "-h" || arg == "--help") {
            usage();
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "regsvr: unknown option %s\n", arg.c_str());
            return usage();
        } else if (library.empty()) {
            library = arg;
        } else {
            std::fputs("regsvr: only one library at a time\n", stderr);
            return usage();
        }
    }
    if (library.empty()) return usage();
    try {
        return run(library, unregister);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "regsvr: %s\n", e.what());
        return 1;
    }
}
