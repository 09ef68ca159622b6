#include "control/core/QtMessagePresenter.h"

#include <QMessageBox>

#include "control/core/DialogPlacement.h"

namespace lumo::control {

MessageAnswer QtMessagePresenter::show(QWidget* owner, const MessageBoxRequest& request) {
    QMessageBox::Icon icon = QMessageBox::Critical;
    switch (request.icon) {
        case MessageIcon::Error:
            icon = QMessageBox::Critical;
            break;
        case MessageIcon::Warning:
            icon = QMessageBox::Warning;
            break;
        case MessageIcon::Information:
            icon = QMessageBox::Information;
            break;
        case MessageIcon::Question:
            icon = QMessageBox::Question;
            break;
    }
    const bool yesNo = request.buttons == MessageButtons::YesNo;
    QMessageBox box(icon, QString(), QString::fromStdString(request.text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, owner);
    if (yesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    box.adjustSize();
    placeOverUsersWindow(box);
    const int chosen = box.exec();
    if (!yesNo) return MessageAnswer::Ok;
    return chosen == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace lumo::control
