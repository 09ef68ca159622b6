#include "platform/com/ComObject.h"

namespace lumo::com {

namespace internal {

std::atomic<long>& moduleObjects() {
    static std::atomic<long> count{0};
    return count;
}

std::atomic<long>& moduleLocks() {
    static std::atomic<long> count{0};
    return count;
}

}  // namespace internal

long moduleObjectCount() { return internal::moduleObjects().load(); }

long moduleLockCount() { return internal::moduleLocks().load(); }

}  // namespace lumo::com
