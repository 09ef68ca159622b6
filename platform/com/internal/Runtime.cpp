#include "platform/com/internal/Runtime.h"

#include <sys/auxv.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/com/ErrorInfo.h"

namespace lumo::com::internal {

namespace {

constexpr std::uint64_t kMagic = 0x4C554D4F434F4D31ull;  // "LUMOCOM1"
constexpr std::uint32_t kVersion = 1;
constexpr const char* kVariable = "LUMO_COM_RUNTIME";

void releaseThreadErrorInfo(void* value) {
    if (value) static_cast<IErrorInfo*>(value)->Release();
}

// Sixteen hex digits that differ for every process image (the kernel's AT_RANDOM bytes).
std::uint64_t imageToken() {
    std::uint64_t token = 0;
    if (const auto* random = reinterpret_cast<const unsigned char*>(getauxval(AT_RANDOM))) {
        std::memcpy(&token, random, sizeof token);
    }
    return token ^ static_cast<std::uint64_t>(getpid());
}

SharedRuntime* findPublished() {
    const char* value = std::getenv(kVariable);
    if (!value) return nullptr;
    std::uint64_t token = 0;
    std::uintptr_t address = 0;
    if (std::sscanf(value, "%" SCNx64 ":%" SCNxPTR, &token, &address) != 2) return nullptr;
    if (token != imageToken() || address == 0) return nullptr;
    auto* state = reinterpret_cast<SharedRuntime*>(address);
    if (state->magic != kMagic || state->version != kVersion || state->size != sizeof *state) {
        return nullptr;
    }
    return state;
}

SharedRuntime* createAndPublish() {
    // Lives until the process ends, like the libraries that use it.
    auto* state = new SharedRuntime{kMagic, kVersion, sizeof(SharedRuntime), {0}, {0}, {0}, {}};
    if (pthread_key_create(&state->errorInfoKey, releaseThreadErrorInfo) != 0) {
        std::fputs("COM layer: no thread-local slot left for error info\n", stderr);
        std::abort();
    }
    char value[64];
    std::snprintf(value, sizeof value, "%016" PRIx64 ":%" PRIxPTR, imageToken(),
                  reinterpret_cast<std::uintptr_t>(state));
    setenv(kVariable, value, 1);
    return state;
}

SharedRuntime* locate() {
    if (SharedRuntime* state = findPublished()) return state;
    return createAndPublish();
}

// Joins (or founds) the shared state while the image is still loading, which in a program is
// before main() and so before any thread could read the environment concurrently.
[[maybe_unused]] const SharedRuntime& g_atLoad = runtime();

}  // namespace

SharedRuntime& runtime() {
    static SharedRuntime* const state = locate();
    return *state;
}

void reportBadFree(const char* what, const void* pointer) {
    runtime().badFrees.fetch_add(1);
    std::fprintf(stderr, "COM layer: %s %p was not allocated here or was already freed\n", what,
                 pointer);
}

}  // namespace lumo::com::internal
