#include "app/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/CommonPF.h"

namespace lumo::app {

namespace {

QString& programFolderOverride() {
    static QString folder;
    return folder;
}

QString withSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

bool fileExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

void applyTable(const LanguageTargets& targets) {
    const LanguageTable& table = languageTable();
    for (LanguageTarget* target : targets)
        if (target) target->applyLanguage(table);
}

}  // namespace

QString programFolder() {
    if (!programFolderOverride().isEmpty()) return programFolderOverride();
    return withSlash(QCoreApplication::applicationDirPath());
}

void setProgramFolder(const QString& folder) {
    programFolderOverride() = folder.isEmpty() ? QString() : withSlash(folder);
}

bool LoadLanguageTable(const QString& path) { return languageTable().load(path); }

void ApplyLanguage(const QString& path, const LanguageTargets& targets,
                   ControlLanguageSink* control) {
    if (!fileExists(path)) return;
    applyTable(targets);
    if (control) control->SetLanguageFile(languageTable().controlLanguageFile());
}

DefaultLanguageChoice ReadDefaultLanguage(const LanguageTargets& targets,
                                          ControlLanguageSink* control) {
    SettingsSession settings;
    DefaultLanguageChoice choice;
    choice.path =
        QString::fromStdString(ReadSetting(kSettingsSection, kLanguageValue, kMissingSetting));
    if (!fileExists(choice.path)) {
        choice.path = programFolder() + QLatin1String(kFallbackLanguageFile);
        WriteSetting(kSettingsSection, kLanguageValue, choice.path.toStdString());
    }
    choice.loaded = LoadLanguageTable(choice.path);
    if (choice.loaded) {
        ApplyLanguage(choice.path, targets, control);
    } else {
        // No language file anywhere: show the built-in English texts rather than the design
        // captions and empty messages; the control keeps the language it chose itself.
        languageTable().resetToDefaults();
        applyTable(targets);
    }
    return choice;
}

void ChangeLanguage(const QString& path, const LanguageTargets& targets,
                    ControlLanguageSink* control) {
    LoadLanguageTable(path);
    ApplyLanguage(path, targets, control);
    SettingsSession settings;
    WriteSetting(kSettingsSection, kLanguageValue, path.toStdString());
}

}  // namespace lumo::app
