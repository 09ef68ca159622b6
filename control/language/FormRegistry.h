// FormRegistry: the top-level forms of the control library that are open, in creation order.
//
// Language loads translate exactly these forms. The control's own form and each dialog
// register themselves when they are built and unregister when they close or are destroyed:
//
//     TFMRegister::TFMRegister(QWidget* parent) : QDialog(parent) {
//         setObjectName("FMRegister");
//         lumo::language::registerForm(this);
//     }
//     TFMRegister::~TFMRegister() { lumo::language::unregisterForm(this); }
//
// A form destroyed without unregistering simply drops out of openForms(). The form's
// objectName is its name and the section of its texts in a language file.
//
// Threads: the GUI thread only.
#pragma once

#include <vector>

class QWidget;

namespace lumo::language {

// Adds the form at the end; a form already registered keeps its place.
void registerForm(QWidget* form);
void unregisterForm(QWidget* form);
bool isRegisteredForm(const QWidget* form);
// The live registered forms, in registration order.
std::vector<QWidget*> openForms();

}  // namespace lumo::language
