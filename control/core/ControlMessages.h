// controlMessage(): the text the control shows for one of its message keys.
//
// Keys are the names of the control's message table ("sNotConnectSensor"). The control reads
// a message at the moment it shows it, so a later change of language shows at once.
//
// The text comes from the control library's message table (control/language/LangStr.h), which
// the control's SetLanguageFile fills; tests may install another source with
// setControlMessageSource() (an empty source restores the table). GUI thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace lumo::control {

std::string controlMessage(std::string_view key);

// The built-in English default of a key; empty for a name that is not a key.
std::string_view controlMessageDefault(std::string_view key);

using ControlMessageSource = std::function<std::string(std::string_view key)>;
void setControlMessageSource(ControlMessageSource source);

}  // namespace lumo::control
