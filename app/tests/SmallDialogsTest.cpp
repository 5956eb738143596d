// The small dialogs: their titles, labels, presets and ranges, driven as a user would; the
// structures the creation dialogs make, with undo; Page Numbering and Text Preferences through
// their commands; About; and the Link Properties limits.

#include "app/SmallDialogs.h"

#include "app/ChildFrame.h"
#include "app/CommandIds.h"
#include "app/LinkDialog.h"
#include "app/TessaryView.h"
#include "app/tests/ShellFixture.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/DocSettings.h"
#include "document/ParaComp.h"
#include "document/TessaryDoc.h"
#include "document/TextFontPrefs.h"
#include "mathbox/FontFiles.h"
#include "mathbox/GridBox.h"
#include "mathbox/StyleManager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>

#include <memory>

using namespace shelltest;

namespace {

// The label a form shows beside a field.
QString LabelOf(QWidget* field) {
    auto* form = qobject_cast<QFormLayout*>(field->parentWidget()->layout());
    if (form == nullptr) {
        for (QFormLayout* inner : field->parentWidget()->findChildren<QFormLayout*>())
            if (inner->labelForField(field) != nullptr) form = inner;
    }
    if (form == nullptr) return QString();
    auto* label = qobject_cast<QLabel*>(form->labelForField(field));
    return label != nullptr ? label->text() : QString();
}

// A family as the drawing layer finds it: the font database's name without its foundry tag.
QString PlainFamily(QString family) {
    static const QRegularExpression tag(QStringLiteral(" \\[[^\\[\\]]*\\]$"));
    return family.remove(tag);
}

// Types `text` into a field as a user would, replacing what it held.
void TypeInto(QLineEdit* box, const char* text) {
    box->clear();
    QTest::keyClicks(box, QLatin1String(text));
}

// Presses OK on a shown dialog; a range message that opens is recorded and closed. True when
// the dialog closed as confirmed.
bool PressOk(QDialog& dialog, QString* message = nullptr) {
    auto context = std::make_unique<QObject>();
    WhenModalOpens(context.get(), [&dialog, message](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box == nullptr || window == &dialog) return;
        if (message != nullptr) *message = box->text();
        box->accept();
    });
    dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
    return dialog.result() == QDialog::Accepted && !dialog.isVisible();
}

TEST(CreateDialogTest, TextsPresetsAndRanges) {
    const struct {
        CreateKind kind;
        const char* title;
        CreateCounts preset;
        bool columns;
    } cases[] = {
        {CreateKind::Matrix, "Create Matrix", {2, 2}, true},
        {CreateKind::Table, "Create Table", {3, 2}, true},
        {CreateKind::EquationSet, "Create Equation Set", {2, 1}, false},
        {CreateKind::Piecewise, "Create Split Definition", {2, 1}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        CreateDialog dialog(c.kind, c.preset, nullptr);
        dialog.show();
        EXPECT_TRUE(dialog.grab().save(OutputPath(
            QStringLiteral("dialog-%1.png").arg(QString::number(static_cast<int>(c.kind))))));
        EXPECT_EQ(dialog.windowTitle(), QLatin1String(c.title));
        QLineEdit* rows = dialog.Box(1000);
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(rows->text(), QString::number(c.preset.rows));
        EXPECT_EQ(LabelOf(rows), c.columns ? QStringLiteral("Number of Rows:")
                                           : QStringLiteral("Number of entries:"));
        QLineEdit* columns = dialog.Box(1001);
        EXPECT_EQ(columns != nullptr, c.columns);
        if (columns != nullptr) {
            EXPECT_EQ(columns->text(), QString::number(c.preset.columns));
            EXPECT_EQ(LabelOf(columns), QStringLiteral("Number of Columns:"));
        }

        // 41, 0, a sign, and no number at all keep the dialog open with the range message.
        for (const char* wrong : {"41", "0", "-3", "", "2x", "99999999999"}) {
            SCOPED_TRACE(wrong);
            TypeInto(rows, wrong);
            QString message;
            EXPECT_FALSE(PressOk(dialog, &message));
            EXPECT_EQ(message, QStringLiteral("Please enter an integer between 1 and 40."));
            EXPECT_TRUE(dialog.isVisible());
        }
        TypeInto(rows, "40");
        if (columns != nullptr) TypeInto(columns, "1");
        EXPECT_TRUE(PressOk(dialog));
        EXPECT_EQ(dialog.Counts(), (CreateCounts{40, 1}));
    }
}

TEST(PageNumberingDialogTest, TextsPresetsAndRange) {
    PageNumberingDialog dialog(false, 7, nullptr);
    dialog.show();
    EXPECT_TRUE(dialog.grab().save(OutputPath(QStringLiteral("dialog-page-numbering.png"))));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Page Numbering"));
    auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("1002"));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(), QStringLiteral("Number printed pages"));
    EXPECT_FALSE(check->isChecked());
    QLineEdit* first = dialog.Box(1000);
    EXPECT_EQ(first->text(), QStringLiteral("7"));
    EXPECT_EQ(LabelOf(first), QStringLiteral("Number pages from"));

    TypeInto(first, "0");
    QString message;
    EXPECT_FALSE(PressOk(dialog, &message));
    EXPECT_EQ(message, QStringLiteral("Please enter an integer between 1 and 32767."));
    TypeInto(first, "32768");
    EXPECT_FALSE(PressOk(dialog));
    TypeInto(first, "32767");
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_TRUE(PressOk(dialog));
    EXPECT_TRUE(dialog.NumberPages());
    EXPECT_EQ(dialog.FirstPage(), 32767);
}

TEST(TextPrefsDialogTest, ListsEachFaceOnceAndKeepsNamesNotListed) {
    TextFontPrefs prefs;
    prefs.textFont = Str255("Alpha");
    prefs.boldFont = Str255("Not Installed");
    prefs.italicFont = Str255("gamma"); // listed, in another case
    const QStringList families = {QStringLiteral("Alpha"), QStringLiteral("Beta"),
                                  QStringLiteral("alpha"), QStringLiteral("Gamma"),
                                  QStringLiteral("Beta")};
    TextPrefsDialog dialog(prefs, families, nullptr);
    dialog.show();
    EXPECT_TRUE(dialog.grab().save(OutputPath(QStringLiteral("dialog-text-preferences.png"))));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Text Preferences"));
    const struct {
        int32_t id;
        const char* label;
        const char* shown;
        int count;
    } boxes[] = {
        {1073, "Text font", "Alpha", 3},
        {1074, "Bold font", "Not Installed", 4}, // added, so that OK keeps it
        {1075, "Italic font", "Gamma", 3},
    };
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.label);
        QComboBox* combo = dialog.Combo(b.id);
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->objectName(), QString::number(b.id));
        EXPECT_FALSE(combo->isEditable());
        EXPECT_EQ(LabelOf(combo), QLatin1String(b.label));
        EXPECT_EQ(combo->count(), b.count);
        EXPECT_EQ(combo->currentText(), QLatin1String(b.shown));
    }
    // Confirming as shown stores no empty name; a box without a choice keeps its entry.
    TextFontPrefs stored = prefs;
    dialog.Combo(1075)->setCurrentIndex(-1);
    dialog.Store(stored);
    EXPECT_EQ(stored.textFont.ToCString(), "Alpha");
    EXPECT_EQ(stored.boldFont.ToCString(), "Not Installed");
    EXPECT_EQ(stored.italicFont.ToCString(), "gamma");
    EXPECT_EQ(stored.codeFont.ToCString(), prefs.codeFont.ToCString());
    dialog.Combo(1074)->setCurrentIndex(dialog.Combo(1074)->findText(QStringLiteral("Beta")));
    dialog.Store(stored);
    EXPECT_EQ(stored.boldFont.ToCString(), "Beta");
}

TEST(TextPrefsDialogTest, AFamilyOfSeveralFoundriesIsOneFaceUnderItsPlainName) {
    TextFontPrefs prefs;
    prefs.textFont = Str255("Gamma [old]"); // kept by an earlier version with its foundry
    prefs.boldFont = Str255("Alpha");
    prefs.italicFont = Str255("Alpha");
    const QStringList families = {
        QStringLiteral("Alpha"),
        QStringLiteral("Nimbus Sans [urw]"),
        QStringLiteral("Nimbus Sans [URW ]"),
        QStringLiteral("nimbus sans [UKWN]"),
        QStringLiteral("Gamma [new]"),
        QStringLiteral("Nimbus Sans Narrow [urw]"),
        QStringLiteral("[Bracketed]"),
        QString(32, QLatin1Char('L')) + QStringLiteral(" [urw]"), // cut by the drawing layer
        QString(31, QLatin1Char('M')),
        QStringLiteral("\u0428\u0440\u0438\u0444\u0442"), // no name the profile could keep
    };
    TextPrefsDialog dialog(prefs, families, nullptr);
    dialog.show();
    const QStringList offered = {
        QStringLiteral("Alpha"),       QStringLiteral("Nimbus Sans"),
        QStringLiteral("Gamma"),       QStringLiteral("Nimbus Sans Narrow"),
        QStringLiteral("[Bracketed]"), QString(31, QLatin1Char('M'))};
    for (int32_t id : {1073, 1074, 1075}) {
        SCOPED_TRACE(id);
        QComboBox* combo = dialog.Combo(id);
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        EXPECT_EQ(items, offered);
    }
    EXPECT_EQ(dialog.Combo(1073)->currentText(), QStringLiteral("Gamma"));

    // The person picks the family by typing its name into the closed list, and confirms.
    QComboBox* bold = dialog.Combo(1074);
    bold->setFocus();
    QTest::keyClicks(bold, QStringLiteral("Nimbus"));
    EXPECT_EQ(bold->currentText(), QStringLiteral("Nimbus Sans"));
    ASSERT_TRUE(PressOk(dialog));
    TextFontPrefs stored = prefs;
    dialog.Store(stored);
    EXPECT_EQ(stored.boldFont.ToCString(), "Nimbus Sans");
    EXPECT_EQ(stored.textFont.ToCString(), "Gamma");
}

TEST(LinkDialogTest, TextsAndTheLongestTexts) {
    LinkDialog dialog(nullptr, Str255("http://example.org"), Str255("example"));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Link Properties"));
    EXPECT_EQ(LabelOf(dialog.TargetEdit()), QStringLiteral("URL"));
    EXPECT_EQ(LabelOf(dialog.ShownEdit()), QStringLiteral("Text to display"));
    EXPECT_EQ(dialog.TargetEdit()->text(), QStringLiteral("http://example.org"));
    EXPECT_EQ(dialog.ShownEdit()->text(), QStringLiteral("example"));
    // The 256th character typed is refused, in either box.
    for (QLineEdit* box : {dialog.TargetEdit(), dialog.ShownEdit()}) {
        box->clear();
        QTest::keyClicks(box, QString(256, QLatin1Char('a')));
        EXPECT_EQ(box->text().size(), 255);
    }
    EXPECT_EQ(dialog.Target().View().size(), 255u);
    EXPECT_EQ(dialog.ShownText().View().size(), 255u);
}

class SmallDialogCommandsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        view = ShowFocusedView();
    }
    // Answers the next modal dialog: `act` fills it, then OK or Cancel.
    void Answer(bool ok, std::function<void(QDialog&)> act = {}) {
        WhenModalOpens(frame, [ok, act = std::move(act)](QWidget* window) {
            auto* dialog = static_cast<QDialog*>(window);
            if (act) act(*dialog);
            dialog->findChild<QPushButton*>(ok ? QStringLiteral("1") : QStringLiteral("2"))
                ->click();
        });
    }
    const CompList& Line() const { return *view->Page()->GetAt(1)->GetList(1); }
    std::string Bytes() {
        QTemporaryFile file;
        EXPECT_TRUE(file.open());
        EXPECT_TRUE(view->Document().OnSaveDocument(file.fileName().toStdString()));
        return file.readAll().toStdString();
    }

    TessaryView* view = nullptr;
};

TEST_F(SmallDialogCommandsTest, CreationDialogsMakeTheirStructuresWithUndo) {
    const struct {
        const char* name;
        int32_t id;
        CreateKind kind;
        TypeTag tag;
        const char* rows;
        const char* columns; // null for entries
        int32_t gridColumns;
        int32_t gridRows;
    } cases[] = {
        {"matrix", cmd::kFirstElement + 12, CreateKind::Matrix, tags::Matrix, "3", "4", 4, 3},
        {"table", cmd::kFirstElement + 13, CreateKind::Table, tags::Table, "1", "5", 5, 1},
        {"equation set", cmd::kFirstElement + 14, CreateKind::EquationSet, tags::EquationSet, "3",
         nullptr, 1, 3},
        {"piecewise", cmd::kFirstElement + 15, CreateKind::Piecewise, tags::Split, "4", nullptr, 2,
         4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Router().UpdateAll();
        ASSERT_TRUE(State(c.id).enabled);
        ASSERT_TRUE(State(c.id - cmd::kToolbarToMenu).enabled); // its toolbar button
        // Cancelled, nothing is made and the counts stay.
        const CreateCounts before = view->CreationPreset(c.kind);
        Answer(false);
        ASSERT_TRUE(Router().Run(c.id));
        EXPECT_EQ(Line().GetCount(), 0);
        EXPECT_EQ(view->CreationPreset(c.kind), before);

        Answer(true, [&c](QDialog& dialog) {
            TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("1000")), c.rows);
            if (c.columns != nullptr)
                TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("1001")), c.columns);
        });
        ASSERT_TRUE(Router().Run(c.id));
        ASSERT_EQ(Line().GetCount(), 1);
        auto* grid = dynamic_cast<const GridBox*>(Line().GetAt(1));
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->GetTypeTag(), c.tag);
        EXPECT_EQ(grid->GetColumnCount(), c.gridColumns);
        EXPECT_EQ(grid->GetRowCount(), c.gridRows);
        EXPECT_TRUE(view->Document().IsModified());
        // The document keeps the counts for the next dialog of the same family.
        const CreateCounts chosen = view->CreationPreset(c.kind);
        EXPECT_EQ(chosen.rows, c.gridRows);
        if (c.columns != nullptr) {
            EXPECT_EQ(chosen.columns, c.gridColumns);
        }
        const std::string made = Bytes();

        Router().UpdateAll();
        EXPECT_EQ(Action(cmd::kEditUndo)->text(), QStringLiteral("Undo create object"));
        ASSERT_TRUE(Router().Run(cmd::kEditUndo));
        EXPECT_EQ(Line().GetCount(), 0);
        ASSERT_TRUE(Router().Run(cmd::kEditUndo));
        ASSERT_EQ(Line().GetCount(), 1);
        EXPECT_EQ(Bytes(), made);
        // Empty the line for the next structure.
        ASSERT_TRUE(Router().Run(cmd::kEditUndo));
    }
    // Matrices and tables share their counts, as do equation sets and piecewise definitions.
    EXPECT_EQ(view->CreationPreset(CreateKind::Matrix), (CreateCounts{1, 5}));
    EXPECT_EQ(view->CreationPreset(CreateKind::EquationSet).rows, 4);
    // The document stores them.
    EXPECT_EQ(view->Document().GetCreateDefaults().columns, 5);
    EXPECT_EQ(view->Document().GetCreateDefaults().entries, 4);
}

TEST_F(SmallDialogCommandsTest, OutsideADocumentTheDialogsStartFromFixedCounts) {
    BaseView plain;
    EXPECT_EQ(plain.CreationPreset(CreateKind::Matrix), (CreateCounts{2, 2}));
    EXPECT_EQ(plain.CreationPreset(CreateKind::Table), (CreateCounts{3, 2}));
    EXPECT_EQ(plain.CreationPreset(CreateKind::EquationSet).rows, 2);
    EXPECT_EQ(plain.CreationPreset(CreateKind::Piecewise).rows, 2);
    // A new document starts from its stored defaults.
    EXPECT_EQ(view->CreationPreset(CreateKind::Table), (CreateCounts{2, 2}));
    // No structure is made during a calculation.
    session->connected = true;
    session->busy = true;
    Router().UpdateAll();
    EXPECT_FALSE(State(cmd::kFirstElement + 12).enabled);
}

TEST_F(SmallDialogCommandsTest, PageNumberingStoresBothValuesAndMarksTheDocument) {
    DocSettings& settings = view->Document().GetSettings();
    ASSERT_TRUE(State(cmd::kPageNumbering).enabled);
    view->Document().SetModifiedFlag(false);
    // Cancel, and OK without a change, leave the document as it was.
    Answer(false, [](QDialog& dialog) {
        TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("1000")), "9");
    });
    ASSERT_TRUE(Router().Run(cmd::kPageNumbering));
    Answer(true, [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Page Numbering"));
        EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("1002"))->isChecked());
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("1000"))->text(),
                  QStringLiteral("1"));
    });
    ASSERT_TRUE(Router().Run(cmd::kPageNumbering));
    EXPECT_EQ(settings.firstPage, 1);
    EXPECT_FALSE(view->Document().IsModified());

    Answer(true, [](QDialog& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("1002"))->setChecked(false);
        TypeInto(dialog.findChild<QLineEdit*>(QStringLiteral("1000")), "5");
    });
    ASSERT_TRUE(Router().Run(cmd::kPageNumbering));
    EXPECT_EQ(settings.firstPage, 5);
    EXPECT_EQ(settings.numberPages, 0);
    EXPECT_TRUE(view->Document().IsModified());
}

TEST_F(SmallDialogCommandsTest, TextPreferencesRenameTheFacesAndAreSaved) {
    ASSERT_TRUE(State(cmd::kTextPreferences).enabled);
    const QString family = PlainFamily(QFontDatabase::families().value(0));
    ASSERT_FALSE(family.isEmpty());
    // Cancel changes nothing.
    Answer(false, [&family](QDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("1073"));
        combo->setCurrentIndex(combo->findText(family));
    });
    ASSERT_TRUE(Router().Run(cmd::kTextPreferences));
    StyleManager* styles = gStyleManager.Get();
    ASSERT_NE(styles, nullptr);
    EXPECT_EQ(styles->GetFace(0)->GetName().ToCString(), "Tessary Roman");

    // The program's own face is offered although the system does not list it, and stays.
    Answer(true, [&family](QDialog& dialog) {
        auto* text = dialog.findChild<QComboBox*>(QStringLiteral("1073"));
        EXPECT_EQ(text->currentText(), QStringLiteral("Tessary Roman"));
        auto* italic = dialog.findChild<QComboBox*>(QStringLiteral("1075"));
        italic->setCurrentIndex(italic->findText(family));
    });
    ASSERT_TRUE(Router().Run(cmd::kTextPreferences));
    EXPECT_EQ(styles->GetFace(0)->GetName().ToCString(), "Tessary Roman");
    EXPECT_EQ(QString::fromStdString(styles->GetFace(1)->GetName().ToCString()), family);
    QSettings profile(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    EXPECT_EQ(profile.value(QStringLiteral("Text Prefs/Text Font")).toString(),
              QStringLiteral("Tessary Roman"));
    EXPECT_EQ(profile.value(QStringLiteral("Text Prefs/Italic Font")).toString(), family);
    EXPECT_EQ(profile.value(QStringLiteral("Text Prefs/Code Font")).toString(),
              QStringLiteral("Courier"));
}

TEST_F(SmallDialogCommandsTest, TextPreferencesOfferEachInstalledFamilyOnceByTheNameThatLoads) {
    // A family the database lists once per foundry where the machine has one.
    QString family = QFontDatabase::families().value(0);
    for (const QString& listed : QFontDatabase::families())
        if (PlainFamily(listed) != listed && PlainFamily(listed).size() <= 31)
            family = PlainFamily(listed);
    ASSERT_FALSE(family.isEmpty());

    Answer(true, [&](QDialog& dialog) {
        auto* bold = dialog.findChild<QComboBox*>(QStringLiteral("1074"));
        QStringList items;
        for (int i = 0; i < bold->count(); ++i) {
            const QString item = bold->itemText(i);
            EXPECT_EQ(PlainFamily(item), item);
            EXPECT_FALSE(items.contains(item, Qt::CaseInsensitive)) << item.toStdString();
            items.append(item);
        }
        EXPECT_TRUE(items.contains(family)) << family.toStdString();
        bold->setCurrentIndex(bold->findText(family));
    });
    ASSERT_TRUE(Router().Run(cmd::kTextPreferences));
    QSettings profile(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
    EXPECT_EQ(profile.value(QStringLiteral("Text Prefs/Bold Font")).toString(), family);
    StyleManager* styles = gStyleManager.Get();
    ASSERT_NE(styles, nullptr);
    EXPECT_EQ(QString::fromStdString(styles->GetFace(2)->GetName().ToCString()), family);
    // The name kept finds that family's own font, not a stand-in for it.
    const QRawFont font = MakeRawFont(family.toStdString(), true, false, 20);
    ASSERT_TRUE(font.isValid());
    EXPECT_EQ(PlainFamily(font.familyName()), family);
}

TEST_F(SmallDialogCommandsTest, AboutShowsTheProgramAndCloses) {
    bool shown = false;
    Answer(true, [&shown](QDialog& dialog) {
        shown = true;
        EXPECT_TRUE(dialog.grab().save(OutputPath(QStringLiteral("dialog-about.png"))));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Tessary"));
        auto* version = dialog.findChild<QLabel*>(QStringLiteral("version"));
        ASSERT_NE(version, nullptr);
        EXPECT_TRUE(version->text().startsWith(QStringLiteral("Tessary version ")));
        EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("2")), nullptr) << "OK only";
    });
    ASSERT_TRUE(Router().Run(cmd::kAppAbout));
    EXPECT_TRUE(shown);
}

} // namespace
