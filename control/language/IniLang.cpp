#include "IniLang.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <system_error>

#include "DatasetLabels.h"
#include "FormRegistry.h"
#include "LanguageError.h"
#include "NavigatorHints.h"
#include "platform/ini/MemIniFile.h"
#include "platform/win/Locale.h"

namespace lumo::language {

namespace {

constexpr std::string_view kOptionsSection = "LanguageOptions";
constexpr const char* kCharSetProperty = "charset";
constexpr std::uint32_t kUsEnglish = 1033;
constexpr std::uint32_t kTraditionalChinese = 1028;
constexpr std::uint32_t kSimplifiedChinese = 2052;

// Font sizes outside this range are treated as not written: they are no sizes a form can use.
constexpr int kMinFontSize = 1;
constexpr int kMaxFontSize = 144;

struct LanguageState {
    // Shared so that a translation in progress keeps its file even when code run by a text
    // change opens another one.
    std::shared_ptr<const ini::MemIniFile> current;
    FontOptions font;
};

// Function-local so that the library's load-time step finds it ready.
LanguageState& state() {
    static LanguageState languageState;
    return languageState;
}

// ---------------------------------------------------------------------------------------------
// Reading the font options

FontOptions readFontOptions(const ini::MemIniFile& file, const FontOptions& defaults) {
    FontOptions result;
    result.name = file.readString(kOptionsSection, "FontName", defaults.name);
    const std::int32_t size = file.readInteger(kOptionsSection, "FontSize", defaults.size);
    result.size = size >= kMinFontSize && size <= kMaxFontSize ? size : defaults.size;
    const std::int32_t charSet = file.readInteger(kOptionsSection, "FontCharSet", defaults.charSet);
    result.charSet = static_cast<std::uint8_t>(static_cast<std::uint32_t>(charSet) & 0xFFu);
    return result;
}

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// ---------------------------------------------------------------------------------------------
// Fonts

// Builds the family list: the face first, the family that covers the character set's script
// behind it, so that the face is used where it has the glyphs.
void setFamilies(QFont& font, const QString& face, std::uint8_t charSet) {
    QStringList families;
    if (!face.isEmpty()) families << face;
    const QString cover = familyForCharSet(charSet);
    if (!cover.isEmpty() && !families.contains(cover)) families << cover;
    if (families.isEmpty()) return;
    font.setFamily(families.first());
    font.setFamilies(families);
}

QString faceOf(const QFont& font) {
    const QStringList families = font.families();
    return families.isEmpty() ? font.family() : families.first();
}

void applyFormFont(QWidget& form, const FontOptions& options) {
    QFont font = form.font();
    const QString face = options.name.empty() ? faceOf(font) : QString::fromStdString(options.name);
    setFamilies(font, face, options.charSet);
    font.setPointSize(options.size);
    form.setFont(font);
    form.setProperty(kCharSetProperty, static_cast<int>(options.charSet));
}

// A control with a font of its own takes the face and the character set; of the sizes only the
// two standard ones (8 and 9 points) follow the file, so that designed large or small texts
// keep their size.
void applyOwnFont(QWidget& widget, const FontOptions& options) {
    QFont font = widget.font();
    const QString face = options.name.empty() ? faceOf(font) : QString::fromStdString(options.name);
    setFamilies(font, face, options.charSet);
    if (font.pointSize() == 8 || font.pointSize() == 9) font.setPointSize(options.size);
    widget.setFont(font);
    widget.setProperty(kCharSetProperty, static_cast<int>(options.charSet));
}

// ---------------------------------------------------------------------------------------------
// Properties by name

enum class NamedProperty { Caption, Hint, DataField, Filter, Title, DialogTitle };

const char* propertyName(NamedProperty property) {
    switch (property) {
        case NamedProperty::Caption:
            return "Caption";
        case NamedProperty::Hint:
            return "Hint";
        case NamedProperty::DataField:
            return "DataField";
        case NamedProperty::Filter:
            return "Filter";
        case NamedProperty::Title:
            return "Title";
        case NamedProperty::DialogTitle:
            return "DialogTitle";
    }
    return "";
}

// A string property of the object's own whose name matches without regard to letter case:
// a declared, writable property or a dynamic one holding a string.
std::optional<QByteArray> findStringProperty(const QObject& object, const char* name) {
    const QByteArray wanted = QByteArray(name).toLower();
    const QMetaObject* meta = object.metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (QByteArray(property.name()).toLower() == wanted && property.isWritable() &&
            property.metaType().id() == QMetaType::QString) {
            return QByteArray(property.name());
        }
    }
    for (const QByteArray& dynamicName : object.dynamicPropertyNames()) {
        if (dynamicName.toLower() == wanted &&
            object.property(dynamicName).metaType().id() == QMetaType::QString) {
            return dynamicName;
        }
    }
    return std::nullopt;
}

// A tab page's caption is the text of its tab.
bool setTabCaption(QWidget& page, const QString& text) {
    auto* stack = qobject_cast<QStackedWidget*>(page.parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    if (!tabs) return false;
    const int index = tabs->indexOf(&page);
    if (index < 0) return false;
    tabs->setTabText(index, text);
    return true;
}

// "Text files|*.txt|All files|*" becomes the two filters "Text files (*.txt)" and
// "All files (*)"; a filter without "|" is taken as one Qt filter.
QStringList nameFiltersFrom(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) return {filter};
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return result;
}

// The toolkit's counterpart of each named property; false when the object has none.
bool setMappedProperty(QObject& object, NamedProperty property, const QString& text) {
    auto* widget = qobject_cast<QWidget*>(&object);
    switch (property) {
        case NamedProperty::Caption:
            if (auto* box = qobject_cast<QGroupBox*>(&object)) {
                box->setTitle(text);
                return true;
            }
            if (auto* button = qobject_cast<QAbstractButton*>(&object)) {
                button->setText(text);
                return true;
            }
            if (auto* label = qobject_cast<QLabel*>(&object)) {
                label->setText(text);
                return true;
            }
            if (auto* action = qobject_cast<QAction*>(&object)) {
                action->setText(text);
                return true;
            }
            if (auto* menu = qobject_cast<QMenu*>(&object)) {
                menu->setTitle(text);
                return true;
            }
            if (widget && setTabCaption(*widget, text)) return true;
            if (widget && (widget->isWindow() || qobject_cast<QDockWidget*>(widget))) {
                widget->setWindowTitle(text);
                return true;
            }
            return false;
        case NamedProperty::Hint:
            if (widget) {
                widget->setToolTip(text);
                return true;
            }
            if (auto* action = qobject_cast<QAction*>(&object)) {
                action->setToolTip(text);
                return true;
            }
            return false;
        case NamedProperty::Filter:
            if (auto* dialog = qobject_cast<QFileDialog*>(&object)) {
                dialog->setNameFilters(nameFiltersFrom(text));
                return true;
            }
            return false;
        case NamedProperty::Title:
            if (auto* dialog = qobject_cast<QFileDialog*>(&object)) {
                dialog->setWindowTitle(text);
                return true;
            }
            return false;
        case NamedProperty::DataField:
        case NamedProperty::DialogTitle:
            return false;
    }
    return false;
}

// Sets a named property only when the object has it and the text is not empty.
void setNamedProperty(QObject& object, NamedProperty property, const std::string& decoded) {
    if (decoded.empty()) return;
    const QString text = QString::fromStdString(decoded);
    if (setMappedProperty(object, property, text)) return;
    if (std::optional<QByteArray> name = findStringProperty(object, propertyName(property)))
        object.setProperty(name->constData(), text);
}

// ---------------------------------------------------------------------------------------------
// Components

// The components of a form: its descendants with a name, parents before their children, in
// child order. The toolkit's own parts ("qt_" names) and other registered forms with their
// components are not the form's.
void collectComponents(QObject& parent, std::vector<QObject*>& out) {
    for (QObject* child : parent.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && isRegisteredForm(widget)) continue;
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) out.push_back(child);
        // A window among the components (a file dialog, say) is one component; the controls
        // it builds for itself are not the form's.
        if (!(widget && widget->isWindow())) collectComponents(*child, out);
    }
}

class FormTranslator {
public:
    FormTranslator(const ini::MemIniFile& file, std::string_view section)
        : m_file(file), m_section(section) {}

    std::optional<std::string> value(const std::string& key) const {
        return m_file.value(m_section, key);
    }
    std::optional<std::string> decoded(const std::string& key) const {
        std::optional<std::string> raw = value(key);
        if (!raw) return std::nullopt;
        return decodeEscapes(*raw);
    }
    void setNamed(QObject& object, const std::string& key, NamedProperty property) const {
        if (std::optional<std::string> text = decoded(key))
            setNamedProperty(object, property, *text);
    }

    void translateComponent(QObject& component, const FontOptions& options) const {
        const std::string name = component.objectName().toStdString();
        const std::string prefix = std::string(m_section) + "." + name;

        if (auto* widget = qobject_cast<QWidget*>(&component);
            widget && widget->testAttribute(Qt::WA_SetFont)) {
            applyOwnFont(*widget, options);
        }
        setNamed(component, prefix + ".Caption", NamedProperty::Caption);
        setNamed(component, prefix + ".Hint", NamedProperty::Hint);

        if (translateMemo(component, prefix) || translateListView(component, prefix) ||
            translateDataset(component, prefix) || translateNavigator(component, prefix)) {
            return;
        }
        setNamed(component, prefix + ".DataField", NamedProperty::DataField);
        setNamed(component, prefix + ".Filter", NamedProperty::Filter);
        setNamed(component, prefix + ".Title", NamedProperty::Title);
        setNamed(component, prefix + ".DialogTitle", NamedProperty::DialogTitle);
    }

private:
    static QString plainLines(const std::string& text) {
        QString result = QString::fromStdString(text);
        result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return result;
    }

    bool translateMemo(QObject& component, const std::string& prefix) const {
        auto* plain = qobject_cast<QPlainTextEdit*>(&component);
        auto* rich = qobject_cast<QTextEdit*>(&component);
        if (!plain && !rich) return false;
        if (std::optional<std::string> text = decoded(prefix + ".lines")) {
            if (plain)
                plain->setPlainText(plainLines(*text));
            else
                rich->setPlainText(plainLines(*text));
        }
        return true;
    }

    // Column captions are taken as written, without escape decoding.
    bool translateListView(QObject& component, const std::string& prefix) const {
        auto column = [&](int i) { return value(prefix + ".Caption[" + std::to_string(i) + "]"); };
        if (auto* tree = qobject_cast<QTreeWidget*>(&component)) {
            for (int i = 0; i < tree->columnCount(); ++i) {
                if (std::optional<std::string> text = column(i))
                    tree->headerItem()->setText(i, QString::fromStdString(*text));
            }
            return true;
        }
        if (auto* table = qobject_cast<QTableWidget*>(&component)) {
            for (int i = 0; i < table->columnCount(); ++i) {
                std::optional<std::string> text = column(i);
                if (!text) continue;
                if (QTableWidgetItem* item = table->horizontalHeaderItem(i))
                    item->setText(QString::fromStdString(*text));
                else
                    table->setHorizontalHeaderItem(
                        i, new QTableWidgetItem(QString::fromStdString(*text)));
            }
            return true;
        }
        QAbstractItemView* view = qobject_cast<QTreeView*>(&component);
        if (!view) view = qobject_cast<QTableView*>(&component);
        if (!view) return false;
        if (QAbstractItemModel* model = view->model()) {
            for (int i = 0; i < model->columnCount(); ++i) {
                if (std::optional<std::string> text = column(i))
                    model->setHeaderData(i, Qt::Horizontal, QString::fromStdString(*text));
            }
        }
        return true;
    }

    // Display labels are taken as written, without escape decoding.
    bool translateDataset(QObject& component, const std::string& prefix) const {
        auto* dataset = dynamic_cast<DatasetLabels*>(&component);
        if (!dataset) return false;
        const int fields = dataset->fieldCount();
        for (int i = 0; i < fields; ++i) {
            if (std::optional<std::string> text =
                    value(prefix + ".DisplayLabel[" + std::to_string(i) + "]")) {
                dataset->setDisplayLabel(i, QString::fromStdString(*text));
            }
        }
        return true;
    }

    bool translateNavigator(QObject& component, const std::string& prefix) const {
        auto* navigator = dynamic_cast<NavigatorHints*>(&component);
        if (!navigator) return false;
        if (std::optional<std::string> text = decoded(prefix + ".Hints")) {
            const QString lines = plainLines(*text);
            navigator->setHints(lines.isEmpty() ? QStringList{} : lines.split(QLatin1Char('\n')));
        }
        return true;
    }

    const ini::MemIniFile& m_file;
    std::string m_section;
};

void translateOpenForms(std::shared_ptr<const ini::MemIniFile> file) {
    // Guarded: a text change may run code that closes a form while the others wait.
    std::vector<QPointer<QWidget>> forms;
    for (QWidget* form : openForms()) forms.emplace_back(form);
    for (const QPointer<QWidget>& form : forms) {
        if (form) translateComponent(*form, *file, form->objectName().toStdString());
    }
}

// ---------------------------------------------------------------------------------------------
// Locale search

std::optional<std::filesystem::path> findLocaleFile(std::uint32_t localeId,
                                                    const LocaleEnvironment& environment) {
    std::optional<std::string> abbreviation;
    if (environment.abbreviation) abbreviation = environment.abbreviation(localeId);
    if (!abbreviation || abbreviation->size() < 2 || environment.hostProgram.empty())
        return std::nullopt;
    for (const std::filesystem::path& candidate :
         localeCandidates(environment.hostProgram, *abbreviation)) {
        if (isRegularFile(candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

const ini::MemIniFile* currentLanguageFile() { return state().current.get(); }

const FontOptions& fontOptions() { return state().font; }

void resetLanguageState() {
    state().current.reset();
    state().font = FontOptions{};
}

LocaleEnvironment processLocaleEnvironment() {
    LocaleEnvironment environment;
    environment.abbreviation = [](std::uint32_t localeId) { return win::abbrevLangName(localeId); };
    std::error_code error;
    environment.hostProgram = std::filesystem::read_symlink("/proc/self/exe", error);
    return environment;
}

std::vector<std::filesystem::path> localeCandidates(const std::filesystem::path& hostProgram,
                                                    std::string_view abbreviation) {
    // Windows programs end in ".exe", whose last three letters make room for the abbreviation.
    // Programs here mostly have no extension; those get a dot instead, so that "kestrel"
    // looks for "kestrel.ENU" rather than "kestENU".
    const std::string program = hostProgram.string();
    const std::string fileName = hostProgram.filename().string();
    std::string base;
    if (fileName.size() > 4 && fileName[fileName.size() - 4] == '.')
        base = program.substr(0, program.size() - 3);
    else
        base = program + ".";
    const std::filesystem::path folder = hostProgram.parent_path();
    const std::string three(abbreviation);
    const std::string two(abbreviation.substr(0, 2));
    return {std::filesystem::path(base + three), folder / ("vexmora." + three),
            std::filesystem::path(base + two), folder / ("vexmora." + two)};
}

FontOptions localeFontDefaults(std::uint32_t localeId) {
    switch (localeId) {
        case kTraditionalChinese:
            return FontOptions{"MingLiU", 9, kBig5CharSet};
        case kSimplifiedChinese:
            return FontOptions{"\xE5\xAE\x8B\xE4\xBD\x93", 9, kGb2312CharSet};
        default:
            return FontOptions{};
    }
}

bool loadLocaleLanguage(std::uint32_t localeId, const LocaleEnvironment& environment) {
    try {
        LanguageState& s = state();
        auto search = [&](std::uint32_t id) -> std::unique_ptr<ini::MemIniFile> {
            std::optional<std::filesystem::path> path = findLocaleFile(id, environment);
            s.font = localeFontDefaults(id);
            if (!path) return nullptr;
            auto file = std::make_unique<ini::MemIniFile>(*path);
            s.font = readFontOptions(*file, s.font);
            return file;
        };
        std::shared_ptr<const ini::MemIniFile> file = search(localeId);
        if (!file) file = search(kUsEnglish);
        if (!file) return false;
        s.current = file;
        translateOpenForms(std::move(file));
        return true;
    } catch (...) {
        return false;
    }
}

bool loadLocaleLanguage(std::uint32_t localeId) {
    return loadLocaleLanguage(localeId, processLocaleEnvironment());
}

bool loadSystemLocaleLanguage() { return loadLocaleLanguage(win::systemDefaultLocale()); }

bool loadLanguageFile(const std::filesystem::path& path) {
    if (!isRegularFile(path)) return false;
    try {
        LanguageState& s = state();
        auto file = std::make_shared<const ini::MemIniFile>(path);
        s.font = readFontOptions(*file, FontOptions{});
        s.current = file;
        translateOpenForms(std::move(file));
        return true;
    } catch (...) {
        return false;
    }
}

void translateComponent(QWidget& form, const ini::MemIniFile& file, std::string_view section) {
    const FontOptions options = fontOptions();  // a copy: texts set below may start a load
    applyFormFont(form, options);

    // The form's caption is its window title, also for the control's own form, which is no
    // window of its own once a host has placed it.
    const FormTranslator translator(file, section);
    if (std::optional<std::string> caption =
            translator.decoded(form.objectName().toStdString() + ".Caption");
        caption && !caption->empty()) {
        form.setWindowTitle(QString::fromStdString(*caption));
    }

    std::vector<QObject*> components;
    collectComponents(form, components);
    for (QObject* component : components) translator.translateComponent(*component, options);
}

std::optional<LangKind> languageKind() {
    const ini::MemIniFile* file = currentLanguageFile();
    // Without a current file the kind is that of "lumo.en" in the system directory, whose
    // name ends in ".en" wherever that directory is.
    const std::string name = file ? file->fileName().string() : std::string("lumo.en");
    const std::string_view last =
        std::string_view(name).substr(name.size() >= 3 ? name.size() - 3 : 0);
    const std::string_view lastTwo = last.substr(last.size() >= 2 ? last.size() - 2 : 0);
    if (last == "chs") return LangKind::Chs;
    if (last == "cht") return LangKind::Cht;
    if (lastTwo == "en") return LangKind::En;
    if (last == "spa") return LangKind::Spa;
    if (lastTwo == "my") return LangKind::My;
    if (last == "arb") return LangKind::Arb;
    return std::nullopt;
}

bool applyLanguageCharset(QWidget& widget) {
    const std::optional<LangKind> kind = languageKind();
    if (!kind) return false;
    switch (*kind) {
        case LangKind::Chs:
            setFontCharSet(widget, kGb2312CharSet);
            return false;
        case LangKind::En:
            setFontCharSet(widget, kDefaultCharSet);
            return false;
        case LangKind::Cht:
            setFontCharSet(widget, kBig5CharSet);
            return false;
        case LangKind::Spa:
            setFontCharSet(widget, kAnsiCharSet);
            return true;
        case LangKind::My:
            setFontCharSet(widget, kDefaultCharSet);
            return false;
        case LangKind::Arb:
            setFontCharSet(widget, kArabicCharSet);
            return false;
    }
    return false;
}

std::uint8_t fontCharSet(const QWidget& widget) {
    // Follows the font's own inheritance, which stops at windows.
    for (const QWidget* w = &widget; w; w = w->parentWidget()) {
        const QVariant value = w->property(kCharSetProperty);
        if (value.isValid()) return static_cast<std::uint8_t>(value.toInt() & 0xFF);
        if (w->isWindow() || w->testAttribute(Qt::WA_SetFont)) break;
    }
    return kDefaultCharSet;
}

void setFontCharSet(QWidget& widget, std::uint8_t charSet) {
    QFont font = widget.font();
    setFamilies(font, faceOf(font), charSet);
    widget.setFont(font);
    widget.setProperty(kCharSetProperty, static_cast<int>(charSet));
}

QString familyForCharSet(std::uint8_t charSet) {
    switch (charSet) {
        case 128:
            return QStringLiteral("Noto Sans CJK JP");  // Shift-JIS
        case 129:
            return QStringLiteral("Noto Sans CJK KR");  // Hangul
        case kGb2312CharSet:
            return QStringLiteral("Noto Sans CJK SC");
        case kBig5CharSet:
            return QStringLiteral("Noto Sans CJK TC");
        case kArabicCharSet:
            return QStringLiteral("DejaVu Sans");
        default:
            return {};
    }
}

std::string decodeEscapes(std::string_view text) {
    auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };

    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            ++i;
            continue;
        }
        const char e = text[i + 1];
        switch (e) {
            case '"':
            case '\'':
            case '?':
            case '\\':
                out += e;
                i += 2;
                continue;
            case 'a':
                out += '\a';
                i += 2;
                continue;
            case 'b':
                out += '\b';
                i += 2;
                continue;
            case 'f':
                out += '\f';
                i += 2;
                continue;
            case 'n':
                out += '\n';
                i += 2;
                continue;
            case 'r':
                out += '\r';
                i += 2;
                continue;
            case 't':
                out += '\t';
                i += 2;
                continue;
            case 'v':
                out += '\v';
                i += 2;
                continue;
            default:
                break;
        }
        if (isOctal(e)) {
            int value = 0;
            std::size_t j = i + 1;
            for (int digits = 0; digits < 3 && j < text.size() && isOctal(text[j]); ++digits, ++j) {
                value = value * 8 + (text[j] - '0');
            }
            if (value > 255) throw LanguageError("Numeric constant too large.");
            out += static_cast<char>(value);
            i = j;
            continue;
        }
        if (e == 'x' && i + 2 < text.size() && hexValue(text[i + 2]) >= 0) {
            int value = hexValue(text[i + 2]);
            std::size_t j = i + 3;
            if (j < text.size() && hexValue(text[j]) >= 0) {
                value = value * 16 + hexValue(text[j]);
                ++j;
            }
            out += static_cast<char>(value);
            i = j;
            continue;
        }
        // Unknown escapes and "\x" without digits stay as written.
        out += '\\';
        out += e;
        i += 2;
    }
    return out;
}

}  // namespace lumo::language
