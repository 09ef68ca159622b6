#include "app/card/UserIdText.h"

#include <limits>

namespace lumo::app {

int parseCardUserId(const QString& text) {
    const QString trimmed = text.trimmed();
    int start = 0;
    if (!trimmed.isEmpty() &&
        (trimmed.at(0) == QLatin1Char('-') || trimmed.at(0) == QLatin1Char('+')))
        start = 1;
    bool valid = trimmed.size() > start;
    qint64 value = 0;
    for (int i = start; valid && i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            valid = false;
        else
            value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<qint32>::max() + qint64{1}) valid = false;
    }
    if (start == 1 && trimmed.at(0) == QLatin1Char('-')) value = -value;
    if (!valid || value > std::numeric_limits<qint32>::max() ||
        value < std::numeric_limits<qint32>::min()) {
        throw UserIdError("'" + text.toStdString() +
                          "' is not a valid user id: type a whole number (decimal digits only).");
    }
    return static_cast<int>(value);
}

}  // namespace lumo::app
