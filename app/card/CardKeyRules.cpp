#include "app/card/CardKeyRules.h"

#include "app/CommonPF.h"

namespace lumo::app {

namespace {

bool allDigits(const QString& text) {
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

const char* kSetAgain = " Set the card key again (MF Card, MF Card Key) before using a card.";

}  // namespace

CardKeyDigits ExtractCardKey(const QString& stored) {
    if (stored.isEmpty())
        throw CardKeyError(std::string("The stored FP card key is empty.") + kSetAgain);
    if (stored.size() > kCardKeyDigits || !allDigits(stored)) {
        throw CardKeyError("The stored FP card key \"" + stored.toStdString() +
                           "\" is not a number of up to 6 digits." + kSetAgain);
    }
    CardKeyDigits digits{};  // missing digits are the zeros appended after the stored ones
    for (int i = 0; i < stored.size(); ++i) digits[i] = stored.at(i).unicode() - '0';
    return digits;
}

bool isZeroCardKey(const CardKeyDigits& digits) {
    for (int d : digits)
        if (d != 0) return false;
    return true;
}

std::optional<int> cardKeyEditValue(const QString& stored) {
    if (stored.isEmpty() || stored.size() > kCardKeyDigits || !allDigits(stored))
        return std::nullopt;
    return stored.toInt();
}

QString storedCardKeyText(int value) {
    const QString text = QString::number(value);
    return text == QLatin1String("0") ? QString::fromLatin1(kZeroCardKeyText) : text;
}

CardKeyPlan planCardWrite(bool newCard, const CardKeyDigits& stored) {
    CardKeyPlan plan;
    if (!newCard) {
        plan.openKey = stored;
        return plan;
    }
    plan.openKey = CardKeyDigits{};
    if (!isZeroCardKey(stored)) {
        plan.newKey = stored;
        plan.changePwd = true;
    }
    return plan;
}

QString ReadCardKeySetting() {
    SettingsSession session;
    return QString::fromStdString(ReadSetting(kSettingsSection, kCardKeyValue, kMissingSetting));
}

void WriteCardKeySetting(const QString& text) {
    SettingsSession session;
    WriteSetting(kSettingsSection, kCardKeyValue, text.toStdString());
}

}  // namespace lumo::app
