// controlMessage(): the text the control shows for one of its message keys.
//
// Keys are the names of the control's message table ("sNotConnectSensor"). The control reads
// a message at the moment it shows it, so a later change of language shows at once.
//
// Until a message source is installed, the built-in English defaults are used. The language
// subsystem installs its table with setControlMessageSource(); an empty source restores the
// defaults. GUI thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace lumo::control {

std::string controlMessage(std::string_view key);

// The English default of a key; empty for a name that is not a key.
std::string_view controlMessageDefault(std::string_view key);

using ControlMessageSource = std::function<std::string(std::string_view key)>;
void setControlMessageSource(ControlMessageSource source);

}  // namespace lumo::control
