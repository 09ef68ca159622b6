// FingerTemplateTables: the two per-finger template tables of the control library.
//
// Ten template strings each, indexed by finger number 1 to 10: the registration table holds
// the template text of the last successful enrollment of each finger, the verification table
// the same enrollment's template value turned into text. The enrollment dialog empties both
// when it is created and fills an entry on each success; GetRegFingerTemplate and
// GetVerFingerTemplate read them.
//
// One instance per process (fingerTemplateTables()), shared by every control instance and
// kept until the library is unloaded. GUI thread only.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace lumo::control {

struct FingerTemplateTables {
    std::array<std::string, 10> registration;
    std::array<std::string, 10> verification;

    // The entry of a finger, or std::nullopt for a number outside 1 to 10.
    static std::optional<std::string> entry(const std::array<std::string, 10>& table, int finger);
    // Empties all twenty entries.
    void clear();
};

FingerTemplateTables& fingerTemplateTables();

}  // namespace lumo::control
