// Where the control's modal windows open.
//
// They are owned by the control's form, which a host often never shows (Kestrel keeps it
// hidden); Qt would then place them over that invisible form's corner of the screen. A window
// whose owner is not on screen opens centred over the window the user works in instead, or
// over the screen when no window is active.
#pragma once

class QWidget;

namespace lumo::control {

// Call before exec(), once the window has its size.
void placeOverUsersWindow(QWidget& window);

}  // namespace lumo::control
