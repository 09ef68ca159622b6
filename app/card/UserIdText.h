// UserIdText: the user id typed in the card enrollment dialog, as the number written onto the
// card.
//
// The text may carry blanks around it and one sign; what remains must be decimal digits whose
// value fits the card's 4-byte user id. Anything else (blanks only, letters, a decimal point,
// hexadecimal) throws UserIdError naming the text, so nothing is written to a card. Pure
// function; any thread.
#pragma once

#include <QString>
#include <stdexcept>

namespace lumo::app {

class UserIdError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The most characters the user id box takes.
inline constexpr int kCardUserIdLength = 9;

int parseCardUserId(const QString& text);

}  // namespace lumo::app
