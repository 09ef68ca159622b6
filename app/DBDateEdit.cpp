#include "app/DBDateEdit.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QWidgetAction>

#include "app/KestrelSkin.h"

namespace lumo::app {

DBDateEdit::DBDateEdit(const DateMask& mask, QWidget* parent) : QWidget(parent), m_mask(mask) {
    m_edit = new QLineEdit(this);
    m_edit->setInputMask(m_mask.inputMask());
    m_edit->setMaxLength(10);
    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("btnCalendar"));
    m_button->setText(QStringLiteral("▾"));
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::PointingHandCursor);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textEdited, this, &DBDateEdit::edited);
    connect(m_button, &QToolButton::clicked, this, &DBDateEdit::dropDown);
}

void DBDateEdit::setDate(const QDate& date) { m_edit->setText(m_mask.toText(date)); }

QString DBDateEdit::text() const { return m_edit->text(); }

void DBDateEdit::setText(const QString& text) { m_edit->setText(text); }

void DBDateEdit::dropDown() {
    QMenu popup(this);
    auto* calendar = new QCalendarWidget(&popup);
    calendar->setGridVisible(false);
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    const DateMask::Parsed current = m_mask.parse(m_edit->text());
    calendar->setSelectedDate(current.date.isValid() ? current.date : QDate::currentDate());
    auto* action = new QWidgetAction(&popup);
    action->setDefaultWidget(calendar);
    popup.addAction(action);
    connect(calendar, &QCalendarWidget::clicked, &popup, [&](const QDate& date) {
        setDate(date);
        emit edited();
        popup.close();
    });
    popup.exec(m_edit->mapToGlobal(QPoint(0, m_edit->height())));
}

}  // namespace lumo::app
