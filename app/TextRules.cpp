#include "app/TextRules.h"

#include <QStringList>

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

namespace lumo::app {

QString qtFileFilter(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        // "All (*.gif;*.jpg)" already names its patterns: drop them, Qt adds its own.
        const qsizetype open = description.indexOf(QLatin1Char('('));
        if (open > 0) description = description.left(open).trimmed();
        filters << description + QStringLiteral(" (") + patterns + QStringLiteral(")");
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace lumo::app
