// MessagePresenter: the one way the control and its dialogs show a modal message box.
//
// A box has an icon, a text and a set of buttons, and show() returns the button the user
// chose. The control owns one presenter per instance (QtMessagePresenter unless a host or a
// test installs another); dialogs the control creates show their boxes through the control's
// presenter, so a test records every box, and a host without a screen (lumoctl) answers them.
//
// show() may run a modal loop and process events before it returns. GUI thread only. A
// presenter must not throw.
#pragma once

#include <string>

class QWidget;

namespace lumo::control {

enum class MessageIcon { Error, Warning, Information, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct MessageBoxRequest {
    MessageIcon icon = MessageIcon::Error;
    std::string text;
    MessageButtons buttons = MessageButtons::Ok;
};

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // owner is the widget the box belongs to, or null.
    virtual MessageAnswer show(QWidget* owner, const MessageBoxRequest& request) = 0;
};

}  // namespace lumo::control
