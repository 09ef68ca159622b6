#include <cstdlib>
#include <cstring>

#include "platform/win/SystemDirectory.h"

// Copies the answer into malloc'ed memory so that the test owns it.
extern "C" __attribute__((visibility("default"))) char* probeSystemDirectory() {
    return ::strdup(lumo::win::systemDirectory().c_str());
}
