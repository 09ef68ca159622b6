// DateMask: the masked date box of the main window, "!99/99/0000;1; ", with its digits in the
// order of the system's short date format.
//
//     DateMask mask = DateMask::forLocale(QLocale::system());
//     mask.inputMask();                        // "99/99/0000; "
//     mask.toText(QDate(1984, 3, 12));         // "03/12/1984" for month-day-year locales
//     mask.parse("12/03/1984")                 // a valid QDate, or an error
//
// The database keeps a date as "YYYY-MM-DD" text (storedText / fromStored). Locales whose short
// format puts the year first get "0000/99/99; " so that the box still reads in their order.
// A box with no digits at all is an empty date (NULL in the database). Thread-safe value type.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace lumo::app {

class DateMask {
public:
    enum class Order { DayMonthYear, MonthDayYear, YearMonthDay };

    explicit DateMask(Order order = Order::MonthDayYear) : m_order(order) {}
    static DateMask forLocale(const QLocale& locale);
    // From a short date format such as "M/d/yy" or "dd.MM.yyyy".
    static Order orderOfFormat(const QString& format);

    Order order() const { return m_order; }
    // The QLineEdit input mask (blank as the space character).
    QString inputMask() const;
    // The box's text for a date; "" for an invalid date.
    QString toText(const QDate& date) const;

    struct Parsed {
        bool empty = false;  // no digits typed
        QDate date;          // valid when not empty and the digits make a date
    };
    // The box's text (as QLineEdit::text() gives it, blanks removed). A partly filled box or
    // an impossible date gives an invalid date with empty false.
    Parsed parse(const QString& text) const;

    static QString storedText(const QDate& date);
    static QDate fromStored(const QVariant& value);

private:
    Order m_order;
};

}  // namespace lumo::app
