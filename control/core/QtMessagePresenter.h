// QtMessagePresenter: shows message boxes as modal QMessageBox dialogs.
//
// Needs the host's QApplication; an answer for a Yes/No box is Yes or No, for an OK box Ok
// (closing a box with Esc or the title bar answers No or Ok).
#pragma once

#include "control/core/MessagePresenter.h"

namespace lumo::control {

class QtMessagePresenter : public MessagePresenter {
public:
    MessageAnswer show(QWidget* owner, const MessageBoxRequest& request) override;
};

}  // namespace lumo::control
