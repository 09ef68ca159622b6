// CardKeyRules: how Kestrel's stored card key ("FPCardKey") becomes the six digit values the
// card members of the control take, and which keys a card write loads.
//
//     const CardKeyDigits key = ExtractCardKey(ReadCardKeySetting());   // throws CardKeyError
//     const CardKeyPlan plan = planCardWrite(newCard, key);
//
// The stored text is up to six decimal digits; a shorter text is completed with zeros after its
// digits ("12" and "120000" are the same key), and six zero digits are the factory key of a
// blank card. A stored text that is empty, longer than six characters, or holds anything but
// digits (a sign, a blank) throws CardKeyError before any card member sees a key: a card must
// never be keyed with something the operator did not choose. Pure functions except the two
// settings helpers, which open and close Kestrel's settings key (GUI thread, settings errors
// propagate).
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <stdexcept>

namespace lumo::app {

class CardKeyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using CardKeyDigits = std::array<int, 6>;

inline constexpr int kCardKeyDigits = 6;
// The text stored for a key of zero.
inline constexpr const char* kZeroCardKeyText = "000000";

// The six digit values of a stored key text.
CardKeyDigits ExtractCardKey(const QString& stored);
// True for the key of six zero digits (the factory key).
bool isZeroCardKey(const CardKeyDigits& digits);

// The number the card key dialog shows for a stored text ("000000" shows 0); nothing when the
// stored text is not a key.
std::optional<int> cardKeyEditValue(const QString& stored);
// The text stored for a number typed in the card key dialog: no leading zeros, "000000" for 0.
QString storedCardKeyText(int value);

// Keys for writing a card: a new or blank card is opened with the factory key and, when a
// non-zero key is stored, gets the stored key in the key-change pass; a card in use is opened
// with the stored key and keeps its keys.
struct CardKeyPlan {
    CardKeyDigits openKey{};
    std::optional<CardKeyDigits> newKey;
    bool changePwd = false;
};
CardKeyPlan planCardWrite(bool newCard, const CardKeyDigits& stored);

// "FPCardKey" of section "LUMO", "0" when missing.
QString ReadCardKeySetting();
void WriteCardKeySetting(const QString& text);

}  // namespace lumo::app
