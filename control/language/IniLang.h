// IniLang: the control library's language files, the current language file and form
// translation.
//
// A language file is an INI text (ini::MemIniFile rules: case-insensitive names, the first
// occurrence of a section or key counts) with the font options in [LanguageOptions], the
// message texts in [MSGResource] (see LangStr.h) and one section per form, named after the
// form, whose keys name the form's components:
//
//     [LanguageOptions]
//     FontName=Noto Sans
//     FontSize=9
//     [LumoMain]
//     LumoMain.Caption=LUMO 3.0.0
//     LumoMain.Image1.Hint=Vantor
//
// Module-level state: the current language file (or none) and the font options. It is shared
// by every control instance and lives until the library is unloaded. The forms translated by a
// load are those of FormRegistry.h that are open at that moment.
//
// Qt fonts carry no character set, so a widget keeps its Windows character set number in the
// dynamic property "charset" (see fontCharSet()); applying a character set also adds a font
// family that covers its script, behind the designed face.
//
// Threads: the GUI thread only. Errors: decodeEscapes() and translateComponent() throw
// LanguageError for a numeric escape above 255; the loaders turn every error into a false
// result and never let one escape.
#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace lumo::ini {
class MemIniFile;
}

namespace lumo::language {

// Windows character set numbers that the language files use.
inline constexpr std::uint8_t kAnsiCharSet = 0;
inline constexpr std::uint8_t kDefaultCharSet = 1;
inline constexpr std::uint8_t kGb2312CharSet = 134;
inline constexpr std::uint8_t kBig5CharSet = 136;
inline constexpr std::uint8_t kArabicCharSet = 178;

// A "FontSize" outside 1 to 144 points reads as not written (the default stays); of
// "FontCharSet" only the low eight bits count.
struct FontOptions {
    std::string name = "MS Sans Serif";
    int size = 8;  // points
    std::uint8_t charSet = kDefaultCharSet;

    friend bool operator==(const FontOptions&, const FontOptions&) = default;
};

// The kind of language the current language file is for, from the end of its name.
enum class LangKind { Chs = 0, En = 1, Cht = 2, Spa = 3, My = 4, Arb = 5 };

// The current language file, or nullptr when none has been loaded.
const ini::MemIniFile* currentLanguageFile();
// The font options applied to translated forms.
const FontOptions& fontOptions();
// Forgets the current language file and restores the default font options. For tests.
void resetLanguageState();

// What the locale search needs from the system: the three-letter abbreviated language name of
// a Windows locale identifier ("ENU"), and the host program's executable.
struct LocaleEnvironment {
    std::function<std::optional<std::string>(std::uint32_t localeId)> abbreviation;
    std::filesystem::path hostProgram;
};
// The environment of this process: the system's locale table and /proc/self/exe.
LocaleEnvironment processLocaleEnvironment();

// The files the locale search tries for an abbreviation, in order: the host program's name with
// the abbreviation as its extension, "vexmora." + the abbreviation beside it, then the same two
// with the first two letters of the abbreviation.
std::vector<std::filesystem::path> localeCandidates(const std::filesystem::path& hostProgram,
                                                    std::string_view abbreviation);
// The font options a locale starts from (Traditional and Simplified Chinese have their own).
FontOptions localeFontDefaults(std::uint32_t localeId);

// Finds the language file for the locale (or, failing that, for US English, 1033) beside the
// host program; when one is found it becomes current and every open form is translated.
// Returns whether a file was found and applied without error.
bool loadLocaleLanguage(std::uint32_t localeId);
bool loadLocaleLanguage(std::uint32_t localeId, const LocaleEnvironment& environment);
// The load-time step of the library: loadLocaleLanguage() with the system's default locale.
bool loadSystemLocaleLanguage();

// Opens the language file at the path: it becomes current, the font options are read from it
// and every open form is translated. False when no file exists there (nothing changes) or when
// an error stops the work (what was done stays done).
bool loadLanguageFile(const std::filesystem::path& path);

// Applies the file's font options and texts to one form and its components; the section is
// normally the form's name. Throws LanguageError for a rejected escape.
void translateComponent(QWidget& form, const ini::MemIniFile& file, std::string_view section);

// The kind of the current language file (of "lumo.en" when none is current); std::nullopt when
// its name ends in none of the known endings.
std::optional<LangKind> languageKind();
// Gives the widget's font the character set of the current language kind, keeping face and
// size. True only for Spanish (character set 0), whose dialogs need their ANSI fonts.
bool applyLanguageCharset(QWidget& widget);

// The Windows character set of a widget's font: its own "charset" property, else its parent's,
// else 1 (default).
std::uint8_t fontCharSet(const QWidget& widget);
// Sets the widget's character set and puts a family that covers its script behind the face.
void setFontCharSet(QWidget& widget, std::uint8_t charSet);
// A family installed with the system that covers the script of the character set; empty for
// character sets the face families cover anyway.
QString familyForCharSet(std::uint8_t charSet);

// Resolves C-style escape sequences (\n, \t, \\, \x41, \101, ...). Unknown escapes, "\x"
// without hex digits and a final backslash stay as written. The value of a numeric escape is
// one byte of the UTF-8 text. Throws LanguageError("Numeric constant too large.") for an octal
// value above 255.
std::string decodeEscapes(std::string_view text);

}  // namespace lumo::language
