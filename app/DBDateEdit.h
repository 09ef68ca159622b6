// DBDateEdit: the masked date box of the detail panel with its drop-down calendar.
//
// A QLineEdit with the input mask of DateMask (digits in the system's short date order,
// blanks as placeholders) and a small button that drops down a calendar; picking a day fills
// the box. dateText() is the box's text for DateMask::parse; the box does not judge it.
#pragma once

#include <QWidget>

#include "app/DateMask.h"

class QLineEdit;
class QToolButton;

namespace lumo::app {

class DBDateEdit final : public QWidget {
    Q_OBJECT
public:
    explicit DBDateEdit(const DateMask& mask, QWidget* parent = nullptr);

    const DateMask& mask() const { return m_mask; }
    QLineEdit* lineEdit() const { return m_edit; }
    QToolButton* calendarButton() const { return m_button; }

    // Shows a date (an invalid date empties the box).
    void setDate(const QDate& date);
    QString text() const;
    void setText(const QString& text);
    // Opens the calendar (the button's action).
    void dropDown();

signals:
    // The user changed the date (typing or picking).
    void edited();

private:
    DateMask m_mask;
    QLineEdit* m_edit;
    QToolButton* m_button;
};

}  // namespace lumo::app
