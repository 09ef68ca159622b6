#include "app/TextRules.h"

namespace lumo::app {

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20) ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20) --end;
    return text.mid(begin, end - begin);
}

QString doubleQuotes(const QString& text) {
    QString result;
    result.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c.unicode() == 0) continue;
        result += c;
        if (c == QLatin1Char('\'')) result += c;
    }
    return result;
}

}  // namespace lumo::app
