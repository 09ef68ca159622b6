#include "control/core/FingerTemplateTables.h"

namespace lumo::control {

std::optional<std::string> FingerTemplateTables::entry(const std::array<std::string, 10>& table,
                                                       int finger) {
    if (finger < 1 || finger > 10) return std::nullopt;
    return table[std::size_t(finger - 1)];
}

void FingerTemplateTables::clear() {
    registration.fill({});
    verification.fill({});
}

FingerTemplateTables& fingerTemplateTables() {
    static FingerTemplateTables tables;
    return tables;
}

}  // namespace lumo::control
