#include "app/DateMask.h"

#include <QRegularExpression>
#include <QVariant>

namespace lumo::app {

DateMask::Order DateMask::orderOfFormat(const QString& format) {
    const qsizetype d = format.indexOf(QLatin1Char('d'));
    const qsizetype m = format.indexOf(QLatin1Char('M'));
    const qsizetype y = format.indexOf(QLatin1Char('y'));
    if (y >= 0 && (d < 0 || y < d) && (m < 0 || y < m)) return Order::YearMonthDay;
    if (d >= 0 && m >= 0 && d < m) return Order::DayMonthYear;
    return Order::MonthDayYear;
}

DateMask DateMask::forLocale(const QLocale& locale) {
    return DateMask(orderOfFormat(locale.dateFormat(QLocale::ShortFormat)));
}

QString DateMask::inputMask() const {
    return m_order == Order::YearMonthDay ? QStringLiteral("0000/99/99; ")
                                          : QStringLiteral("99/99/0000; ");
}

QString DateMask::toText(const QDate& date) const {
    if (!date.isValid()) return QString();
    switch (m_order) {
        case Order::DayMonthYear:
            return date.toString(QStringLiteral("dd/MM/yyyy"));
        case Order::MonthDayYear:
            return date.toString(QStringLiteral("MM/dd/yyyy"));
        case Order::YearMonthDay:
            return date.toString(QStringLiteral("yyyy/MM/dd"));
    }
    return QString();
}

DateMask::Parsed DateMask::parse(const QString& text) const {
    Parsed result;
    QString digitsOnly = text;
    digitsOnly.remove(QRegularExpression(QStringLiteral("[^0-9]")));
    if (digitsOnly.isEmpty()) {
        result.empty = true;
        return result;
    }
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 3) return result;
    bool ok[3] = {};
    const int a = parts[0].trimmed().toInt(&ok[0]);
    const int b = parts[1].trimmed().toInt(&ok[1]);
    const int c = parts[2].trimmed().toInt(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2]) return result;
    int year = 0, month = 0, day = 0;
    switch (m_order) {
        case Order::DayMonthYear:
            day = a, month = b, year = c;
            if (parts[2].trimmed().size() != 4) return result;
            break;
        case Order::MonthDayYear:
            month = a, day = b, year = c;
            if (parts[2].trimmed().size() != 4) return result;
            break;
        case Order::YearMonthDay:
            year = a, month = b, day = c;
            if (parts[0].trimmed().size() != 4) return result;
            break;
    }
    result.date = QDate(year, month, day);
    return result;
}

QString DateMask::storedText(const QDate& date) {
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

QDate DateMask::fromStored(const QVariant& value) {
    if (value.isNull()) return {};
    const QString text = value.toString().trimmed();
    QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    return date;
}

}  // namespace lumo::app
