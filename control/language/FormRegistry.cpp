#include "FormRegistry.h"

#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace lumo::language {

namespace {

std::vector<QPointer<QWidget>>& forms() {
    static std::vector<QPointer<QWidget>> registered;
    return registered;
}

void dropDeadForms() {
    auto& list = forms();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [](const QPointer<QWidget>& form) { return form.isNull(); }),
               list.end());
}

}  // namespace

void registerForm(QWidget* form) {
    if (!form || isRegisteredForm(form)) return;
    forms().emplace_back(form);
}

void unregisterForm(QWidget* form) {
    auto& list = forms();
    list.erase(std::remove_if(
                   list.begin(), list.end(),
                   [form](const QPointer<QWidget>& f) { return f.isNull() || f.data() == form; }),
               list.end());
}

bool isRegisteredForm(const QWidget* form) {
    dropDeadForms();
    const auto& list = forms();
    return form && std::any_of(list.begin(), list.end(),
                               [form](const QPointer<QWidget>& f) { return f.data() == form; });
}

std::vector<QWidget*> openForms() {
    dropDeadForms();
    std::vector<QWidget*> result;
    for (const QPointer<QWidget>& form : forms()) result.push_back(form.data());
    return result;
}

}  // namespace lumo::language
