// Process-wide state of the COM layer: allocation counters and the per-thread error info slot.
//
// The layer is a static library, so a host and every server library it loads each carry their
// own copy of the code. BSTRs, arrays and error info still cross between those copies (a server
// sets error info, the host reads it), so all copies of one process share one state block: the
// first copy creates it and publishes its address in the environment variable
// LUMO_COM_RUNTIME together with this process image's AT_RANDOM bytes; a copy that finds a value
// made by another image (an inherited or exec'd environment) ignores it without touching the
// address. Copies built with a different layout of the block use their own.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>

namespace lumo::com::internal {

struct SharedRuntime {
    std::uint64_t magic;
    std::uint32_t version;
    std::uint32_t size;
    std::atomic<long> liveBstrs;
    std::atomic<long> liveArrays;
    std::atomic<long> badFrees;
    pthread_key_t errorInfoKey;  // holds an IErrorInfo* (one reference) per thread
};

SharedRuntime& runtime();

// Reports a misuse (double free, foreign pointer) on stderr and counts it.
void reportBadFree(const char* what, const void* pointer);

}  // namespace lumo::com::internal
