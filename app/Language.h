// Language: loading Kestrel's language files and putting their texts on every form.
//
//     LanguageTargets targets{&login, &main, &setting, &changePwd};   // in applying order
//     LoadLanguageTable(path);
//     ApplyLanguage(path, targets, &control);
//
// The forms implement LanguageTarget; the applying order is the order of the list (login,
// main window, language selection, change password, then the card dialogs). The control
// receives the control language file name last. ApplyLanguage does nothing when no file of
// that name exists. ReadDefaultLanguage is the start-up choice: the stored "Language" path, or
// "English.ini" in the program folder (written back) when the stored file is missing.
// GUI thread only; settings errors propagate (see CommonPF.h).
#pragma once

#include <QString>
#include <vector>

#include "app/LanguageTable.h"

namespace lumo::app {

// A form whose captions come from the text table.
class LanguageTarget {
public:
    virtual void applyLanguage(const LanguageTable& table) = 0;

protected:
    ~LanguageTarget() = default;
};

// Whoever takes the control's language file (the control's host wrapper).
class ControlLanguageSink {
public:
    virtual void SetLanguageFile(const QString& fileName) = 0;

protected:
    ~ControlLanguageSink() = default;
};

using LanguageTargets = std::vector<LanguageTarget*>;

// The program folder, ending in "/": the folder of the program file, or the folder set by
// setProgramFolder (tests run Kestrel's forms from their own binary).
QString programFolder();
void setProgramFolder(const QString& folder);

inline constexpr const char* kFallbackLanguageFile = "English.ini";

bool LoadLanguageTable(const QString& path);
void ApplyLanguage(const QString& path, const LanguageTargets& targets,
                   ControlLanguageSink* control);

// What ReadDefaultLanguage did, for the caller and for tests.
struct DefaultLanguageChoice {
    QString path;         // the file chosen (it may not exist)
    bool loaded = false;  // false: no language file at all; the forms got the English defaults
};

// Start-up: read "Language", fall back to the program folder's "English.ini" (writing the path
// back), load and apply. When even that file is missing, the table keeps its English defaults
// and the forms receive them; the control keeps its own language.
DefaultLanguageChoice ReadDefaultLanguage(const LanguageTargets& targets,
                                          ControlLanguageSink* control);

// The selection dialog's action: load and apply the path (empty when nothing is selected) and
// remember it as "Language", whether or not it names a file.
void ChangeLanguage(const QString& path, const LanguageTargets& targets,
                    ControlLanguageSink* control);

}  // namespace lumo::app
