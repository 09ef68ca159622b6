#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QWidget>
#include <string>

#include "LanguageTestSupport.h"
#include "control/language/DatasetLabels.h"
#include "control/language/FormRegistry.h"
#include "control/language/IniLang.h"
#include "control/language/LanguageError.h"
#include "control/language/NavigatorHints.h"
#include "platform/ini/MemIniFile.h"

namespace lumo::language {
namespace {

using test::LanguageTest;

class FakeDataset : public QObject, public DatasetLabels {
public:
    QStringList labels{"id", "name", "born"};
    int fieldCount() const override { return static_cast<int>(labels.size()); }
    void setDisplayLabel(int field, const QString& label) override { labels[field] = label; }
};

class FakeNavigator : public QObject, public NavigatorHints {
public:
    QStringList hints{"unset"};
    void setHints(const QStringList& h) override { hints = h; }
};

// A form with one component of each kind the translation knows.
struct Fixture {
    QWidget form;
    QLabel* label;
    QPushButton* button;
    QCheckBox* check;
    QGroupBox* group;
    QLineEdit* edit;
    QPlainTextEdit* memo;
    QTreeWidget* listView;
    QTableView* grid;
    QStandardItemModel* gridModel;
    QTabWidget* tabs;
    QWidget* page;
    QAction* action;
    FakeDataset* dataset;
    FakeNavigator* navigator;
    QObject* query;
    QFileDialog* openDialog;
    QLabel* unnamed;

    Fixture() {
        form.setObjectName("FMTest");
        form.setWindowTitle("Designed");
        label = named(new QLabel("label", &form), "lblName");
        button = named(new QPushButton("button", &form), "btnOK");
        group = named(new QGroupBox("group", &form), "gbData");
        check = named(new QCheckBox("check", group), "chkKeep");  // nested component
        edit = named(new QLineEdit("edit", &form), "edtName");
        memo = named(new QPlainTextEdit("memo", &form), "mmNotes");
        listView = named(new QTreeWidget(&form), "lvRows");
        listView->setHeaderLabels({"c0", "c1", "c2"});
        grid = named(new QTableView(&form), "grdRows");
        gridModel = new QStandardItemModel(0, 2, grid);
        gridModel->setHorizontalHeaderLabels({"g0", "g1"});
        grid->setModel(gridModel);
        tabs = named(new QTabWidget(&form), "tabs");
        page = named(new QWidget, "tsFirst");
        tabs->addTab(page, "page");
        action = named(new QAction("action", &form), "tbtnOpen");
        dataset = named(new FakeDataset, "qryUsers");
        dataset->setParent(&form);
        navigator = named(new FakeNavigator, "navUsers");
        navigator->setParent(&form);
        query = named(new QObject(&form), "dsUsers");
        query->setProperty("DataField", QString("old"));
        query->setProperty("DialogTitle", QString("old title"));
        openDialog = named(new QFileDialog(&form), "dlgOpen");
        openDialog->setOption(QFileDialog::DontUseNativeDialog);
        unnamed = new QLabel("unnamed", &form);
    }

    template <typename T>
    static T* named(T* object, const char* name) {
        object->setObjectName(name);
        return object;
    }
};

class TranslateTest : public LanguageTest {
protected:
    void translate(Fixture& f, const std::string& text, std::string section = "FMTest") {
        const ini::MemIniFile file = ini::MemIniFile::fromText(text, "lumo.en");
        translateComponent(f.form, file, section);
    }
};

TEST_F(TranslateTest, EveryKindOfComponent) {
    Fixture f;
    translate(f,
              "[FMTest]\n"
              "FMTest.Caption=Form\\ttitle\n"
              "FMTest.lblName.Caption=Name:\n"
              "FMTest.lblName.Hint=The person's name\n"
              "FMTest.btnOK.Caption=\\x41ccept\n"
              "FMTest.gbData.Caption=Data\n"
              "FMTest.chkKeep.Caption=Keep\n"
              "FMTest.edtName.Hint=Type a name\n"
              "FMTest.mmNotes.lines=one\\ntwo\n"
              "FMTest.lvRows.Caption[0]=Id\n"
              "FMTest.lvRows.Caption[1]=Name\\t(raw)\n"
              "FMTest.lvRows.Caption[2]=\n"
              "FMTest.grdRows.Caption[1]=Born\n"
              "FMTest.tsFirst.Caption=General\n"
              "FMTest.tbtnOpen.Caption=Open\n"
              "FMTest.tbtnOpen.Hint=Open a file\n"
              "FMTest.qryUsers.DisplayLabel[0]=User id\n"
              "FMTest.qryUsers.DisplayLabel[2]=\n"
              "FMTest.navUsers.Hints=First\\nPrior\\nNext\n"
              "FMTest.dsUsers.DataField=USER_ID\n"
              "FMTest.dsUsers.DialogTitle=Pick\\x21\n"
              "FMTest.dlgOpen.Title=Open picture\n"
              "FMTest.dlgOpen.Filter=Pictures|*.bmp;*.jpg|All files|*\n");

    EXPECT_EQ(f.form.windowTitle(), "Form\ttitle");
    EXPECT_EQ(f.label->text(), "Name:");
    EXPECT_EQ(f.label->toolTip(), "The person's name");
    EXPECT_EQ(f.button->text(), "Accept");
    EXPECT_EQ(f.group->title(), "Data");
    EXPECT_EQ(f.check->text(), "Keep");
    EXPECT_EQ(f.edit->toolTip(), "Type a name");
    EXPECT_EQ(f.memo->toPlainText(), "one\ntwo");
    EXPECT_EQ(f.memo->document()->blockCount(), 2);
    // Column captions are taken as written and set even when empty.
    EXPECT_EQ(f.listView->headerItem()->text(0), "Id");
    EXPECT_EQ(f.listView->headerItem()->text(1), "Name\\t(raw)");
    EXPECT_EQ(f.listView->headerItem()->text(2), "");
    EXPECT_EQ(f.gridModel->headerData(0, Qt::Horizontal).toString(), "g0");
    EXPECT_EQ(f.gridModel->headerData(1, Qt::Horizontal).toString(), "Born");
    EXPECT_EQ(f.tabs->tabText(0), "General");
    EXPECT_EQ(f.action->text(), "Open");
    EXPECT_EQ(f.action->toolTip(), "Open a file");
    EXPECT_EQ(f.dataset->labels, (QStringList{"User id", "name", ""}));
    EXPECT_EQ(f.navigator->hints, (QStringList{"First", "Prior", "Next"}));
    EXPECT_EQ(f.query->property("DataField").toString(), "USER_ID");
    EXPECT_EQ(f.query->property("DialogTitle").toString(), "Pick!");
    EXPECT_EQ(f.openDialog->windowTitle(), "Open picture");
    EXPECT_EQ(f.openDialog->nameFilters(),
              (QStringList{"Pictures (*.bmp *.jpg)", "All files (*)"}));
    EXPECT_EQ(f.unnamed->text(), "unnamed");
}

TEST_F(TranslateTest, SectionAndKeysInOtherLetterCase) {
    Fixture f;
    translate(f, "[fmtest]\nfmtest.CAPTION=Form\nFMTEST.LBLNAME.caption=Name\n", "FMTest");
    EXPECT_EQ(f.form.windowTitle(), "Form");
    EXPECT_EQ(f.label->text(), "Name");
}

TEST_F(TranslateTest, FirstEntryCounts) {
    Fixture f;
    translate(f,
              "[FMTest]\nFMTest.btnOK.Caption=First\nFMTest.btnOK.Caption=Second\n"
              "[FMTEST]\nFMTest.lblName.Caption=Hidden\n");
    EXPECT_EQ(f.button->text(), "First");
    EXPECT_EQ(f.label->text(), "label");
}

TEST_F(TranslateTest, EmptyValuesOfNamedPropertiesChangeNothing) {
    Fixture f;
    translate(f,
              "[FMTest]\nFMTest.Caption=\nFMTest.lblName.Caption=\nFMTest.lblName.Hint=\n"
              "FMTest.dsUsers.DataField=\nFMTest.mmNotes.lines=\nFMTest.navUsers.Hints=\n");
    EXPECT_EQ(f.form.windowTitle(), "Designed");
    EXPECT_EQ(f.label->text(), "label");
    EXPECT_EQ(f.query->property("DataField").toString(), "old");
    // Memo text and navigator hints are set even when empty.
    EXPECT_EQ(f.memo->toPlainText(), "");
    EXPECT_TRUE(f.navigator->hints.isEmpty());
}

TEST_F(TranslateTest, KeysForPropertiesAComponentLacksAreIgnored) {
    Fixture f;
    translate(f,
              "[FMTest]\nFMTest.edtName.Caption=No caption\nFMTest.lblName.DataField=X\n"
              "FMTest.dsUsers.Filter=none\nFMTest.mmNotes.DataField=X\n"
              "FMTest.nothing.Caption=Nobody\n");
    EXPECT_EQ(f.edit->text(), "edit");
    EXPECT_FALSE(f.label->property("DataField").isValid());
    EXPECT_FALSE(f.query->property("Filter").isValid());
    EXPECT_FALSE(f.memo->property("DataField").isValid());
}

TEST_F(TranslateTest, FontsOfFormAndComponents) {
    Fixture f;
    f.form.setFont(QFont("DejaVu Sans", 8));
    QFont big("DejaVu Sans", 12);
    f.label->setFont(big);
    QFont eight("DejaVu Sans", 8);
    f.button->setFont(eight);
    QFont nine("DejaVu Sans", 9);
    f.check->setFont(nine);
    // The edit box keeps the form's font: it is not its own.
    ASSERT_TRUE(loadLanguageFile(
        file("lumo.chs", "[LanguageOptions]\nFontName=Noto Sans\nFontSize=11\nFontCharSet=134\n")));
    translateComponent(f.form, *currentLanguageFile(), "FMTest");

    EXPECT_EQ(f.form.font().families().value(0), "Noto Sans");
    EXPECT_EQ(f.form.font().pointSize(), 11);
    EXPECT_EQ(fontCharSet(f.form), 134);

    EXPECT_EQ(f.label->font().families(), (QStringList{"Noto Sans", "Noto Sans CJK SC"}));
    EXPECT_EQ(f.label->font().pointSize(), 12);  // other sizes stay
    EXPECT_EQ(fontCharSet(*f.label), 134);
    EXPECT_EQ(f.button->font().pointSize(), 11);
    EXPECT_EQ(f.check->font().pointSize(), 11);
    EXPECT_EQ(f.button->font().families().value(0), "Noto Sans");

    EXPECT_FALSE(f.edit->testAttribute(Qt::WA_SetFont));
    EXPECT_EQ(f.edit->font().pointSize(), 11);  // inherited from the form
    EXPECT_EQ(fontCharSet(*f.edit), 134);
}

TEST_F(TranslateTest, TahomaOnlyFileOnTheControlForm) {
    QWidget form;
    form.setObjectName("LumoMain");
    form.setFont(QFont("DejaVu Sans", 10));
    registerForm(&form);
    const bool loaded = loadLanguageFile(file("lumo.en", "[LanguageOptions]\nFontName=Tahoma\n"));
    unregisterForm(&form);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(form.font().families().value(0), "Tahoma");
    EXPECT_EQ(form.font().pointSize(), 8);
    EXPECT_EQ(fontCharSet(form), 1);
}

TEST_F(TranslateTest, BadEscapeStopsTranslation) {
    Fixture f;
    EXPECT_THROW(translate(f,
                           "[FMTest]\nFMTest.lblName.Caption=Before\n"
                           "FMTest.btnOK.Caption=\\400\nFMTest.edtName.Hint=After\n"),
                 LanguageError);
    EXPECT_EQ(f.label->text(), "Before");
    EXPECT_EQ(f.button->text(), "button");
    EXPECT_EQ(f.edit->toolTip(), "");
}

TEST_F(TranslateTest, OpenFormsInRegistrationOrderAndOwnComponentsOnly) {
    QWidget main;
    main.setObjectName("LumoMain");
    QWidget dialog(&main, Qt::Dialog);  // a form of its own, though owned by the first
    dialog.setObjectName("FMCheck");
    auto* mainLabel = Fixture::named(new QLabel("m", &main), "lblInfo");
    auto* dialogLabel = Fixture::named(new QLabel("d", &dialog), "lblInfo");
    registerForm(&main);
    registerForm(&dialog);
    registerForm(&main);  // already registered: keeps its place
    ASSERT_EQ(openForms(), (std::vector<QWidget*>{&main, &dialog}));

    ASSERT_TRUE(loadLanguageFile(file("lumo.en",
                                      "[LumoMain]\nLumoMain.lblInfo.Caption=main text\n"
                                      "[FMCheck]\nFMCheck.lblInfo.Caption=dialog text\n")));
    EXPECT_EQ(mainLabel->text(), "main text");
    EXPECT_EQ(dialogLabel->text(), "dialog text");

    {
        QWidget transient;
        registerForm(&transient);
    }
    EXPECT_EQ(openForms().size(), 2u);  // a destroyed form drops out
    unregisterForm(&dialog);
    unregisterForm(&main);
    EXPECT_TRUE(openForms().empty());
}

TEST_F(TranslateTest, PlacedControlFormTakesItsCaption) {
    QWidget host;
    QWidget form(&host);  // placed on a host window: no window of its own
    form.setObjectName("LumoMain");
    form.setWindowTitle("LUMO 3.0.0");
    const ini::MemIniFile file =
        ini::MemIniFile::fromText("[LumoMain]\nLumoMain.Caption=Lumo\n", "lumo.en");
    translateComponent(form, file, "LumoMain");
    EXPECT_EQ(form.windowTitle(), "Lumo");
}

TEST_F(TranslateTest, ADialogComponentIsOneComponent) {
    Fixture f;
    auto* inner = f.openDialog->findChild<QLabel*>("fileNameLabel");
    ASSERT_NE(inner, nullptr);
    const QString before = inner->text();
    translate(f, "[FMTest]\nFMTest.fileNameLabel.Caption=Not mine\n");
    EXPECT_EQ(inner->text(), before);
}

TEST_F(TranslateTest, LoadStartedByATextChangeDuringTranslation) {
    QWidget form;
    form.setObjectName("FMTest");
    auto* action = Fixture::named(new QAction("a", &form), "actFirst");
    auto* label = Fixture::named(new QLabel("l", &form), "lblLast");
    const auto second = file("lumo.second", "[FMTest]\nFMTest.lblLast.Caption=from second\n");
    bool nested = false;
    QObject::connect(action, &QAction::changed, [&] {
        if (nested) return;
        nested = true;
        EXPECT_TRUE(loadLanguageFile(second));
    });
    registerForm(&form);
    const bool loaded = loadLanguageFile(file(
        "lumo.first", "[FMTest]\nFMTest.actFirst.Caption=x\nFMTest.lblLast.Caption=from first\n"));
    unregisterForm(&form);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(nested);
    // The outer load finished with its own file; the nested one stays current.
    EXPECT_EQ(label->text(), "from first");
    EXPECT_EQ(currentLanguageFile()->fileName(), second);
}

TEST_F(TranslateTest, CharSetStopsAtWindowsAndOwnFonts) {
    QWidget form;
    setFontCharSet(form, 134);
    QWidget child(&form);
    QWidget ownFont(&form);
    ownFont.setFont(QFont("DejaVu Sans", 12));
    QWidget dialog(&form, Qt::Dialog);
    EXPECT_EQ(fontCharSet(child), 134);
    EXPECT_EQ(fontCharSet(ownFont), 1);
    EXPECT_EQ(fontCharSet(dialog), 1);
}

}  // namespace
}  // namespace lumo::language
