#include "app/SmallDialogs.h"

#include "app/BaseView.h"
#include "app/CommandIds.h"
#include "app/DialogButtons.h"
#include "app/ToolIcons.h"
#include "document/TextFontPrefs.h"
#include "mathbox/EquationSetBox.h"
#include "mathbox/FontFiles.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/PiecewiseBox.h"
#include "mathbox/TableBox.h"
#include "platform/Cp1252.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QVBoxLayout>

#include <charconv>
#include <string>

namespace {

// The element commands of the structures that ask for their size.
constexpr int32_t kMatrixCommand = cmd::kFirstElement + 12;

const char* CreateTitle(CreateKind kind) {
    switch (kind) {
    case CreateKind::Matrix:
        return "Create Matrix";
    case CreateKind::Table:
        return "Create Table";
    case CreateKind::EquationSet:
        return "Create Equation Set";
    case CreateKind::Piecewise:
        return "Create Split Definition";
    }
    return "";
}

// A whole number of digits (blanks around them allowed) within [low, high], or nothing.
std::optional<int32_t> ParseCount(const QString& text, int32_t low, int32_t high) {
    const std::string digits = text.trimmed().toStdString();
    int64_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, value);
    if (digits.empty() || digits.front() == '-' || result.ec != std::errc() || result.ptr != end ||
        value < low || value > high)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

// The font database names a family that several foundries supply once per foundry, tagged
// "Family [Foundry]". The family is one face to the person, and its plain name is what the
// drawing layer's font matching finds, whichever foundry it then picks.
QString PlainFamily(const QString& family) {
    static const QRegularExpression foundry(QStringLiteral("^(.*\\S) \\[[^\\[\\]]*\\]$"));
    const QRegularExpressionMatch match = foundry.match(family);
    return match.hasMatch() ? match.captured(1) : family;
}

// Whether the drawing layer can find the family by the name the profile keeps: a name in the
// code page of the stored names, short enough that the face-name field does not cut it.
bool Loadable(const QString& family) {
    if (family.isEmpty() || family.size() > kFaceNameLength) return false;
    return platform::FromCp1252(platform::ToCp1252(family)) == family;
}

// The families a font box offers, in the order listed: each once under its plain name, whatever
// its case, and only where it is loadable. Worked out once for the dialog's three boxes.
QStringList OfferedFamilies(const QStringList& families) {
    QStringList offered;
    QSet<QString> taken;
    for (const QString& listed : families) {
        const QString family = PlainFamily(listed);
        if (!Loadable(family)) continue;
        const QString key = family.toCaseFolded();
        if (taken.contains(key)) continue;
        taken.insert(key);
        offered.append(family);
    }
    return offered;
}

QComboBox* FontCombo(int32_t id, const Str255& current, const QStringList& offered,
                     QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::number(id));
    combo->addItems(offered);
    const QString name = PlainFamily(platform::FromCp1252(current.View()));
    int index = combo->findText(name, Qt::MatchFixedString);
    if (index < 0 && !name.isEmpty()) {
        combo->addItem(name);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
    return combo;
}

void StoreChoice(const QComboBox* combo, Str255& entry) {
    if (combo->currentIndex() >= 0) entry = Str255(platform::ToCp1252(combo->currentText()));
}

ElementBuilder BuildsGrid(CreateKind kind) {
    return [kind](BaseView& view) -> OwnedComponent {
        const std::optional<CreateCounts> counts = AskCreateCounts(view, kind);
        if (!counts) return nullptr;
        switch (kind) {
        case CreateKind::Matrix:
            return OwnedComponent(new MatrixBox(counts->columns, counts->rows));
        case CreateKind::Table:
            return OwnedComponent(new TableBox(counts->columns, counts->rows));
        case CreateKind::EquationSet:
            return OwnedComponent(new EquationSetBox(counts->rows));
        case CreateKind::Piecewise:
            return OwnedComponent(new PiecewiseBox(counts->rows));
        }
        return nullptr;
    };
}

} // namespace

// --- Dialogs of numbers ---

NumbersDialog::NumbersDialog(const char* title, QWidget* parent)
    : QDialog(parent), m_layout(new QVBoxLayout(this)), m_form(new QFormLayout) {
    setWindowTitle(QLatin1String(title));
    setModal(true);
    m_layout->addLayout(m_form);
}

void NumbersDialog::AddNumber(int32_t id, const char* label, int32_t value, int32_t low,
                              int32_t high) {
    auto* box = new QLineEdit(QString::number(value), this);
    box->setObjectName(QString::number(id));
    m_form->addRow(QLatin1String(label), box);
    m_fields.push_back(Field{id, box, low, high});
}

void NumbersDialog::AddButtons() {
    m_layout->addWidget(OkCancel(this));
}

QLineEdit* NumbersDialog::Box(int32_t id) const {
    for (const Field& field : m_fields)
        if (field.id == id) return field.box;
    return nullptr;
}

int32_t NumbersDialog::Number(int32_t id) const {
    for (const Field& field : m_fields)
        if (field.id == id) return ParseCount(field.box->text(), field.low, field.high).value_or(0);
    return 0;
}

void NumbersDialog::accept() {
    for (const Field& field : m_fields) {
        if (ParseCount(field.box->text(), field.low, field.high)) continue;
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Please enter an integer between %1 and %2.")
                                 .arg(field.low)
                                 .arg(field.high));
        field.box->setFocus();
        field.box->selectAll();
        return;
    }
    QDialog::accept();
}

// --- The creation dialogs ---

CreateDialog::CreateDialog(CreateKind kind, const CreateCounts& preset, QWidget* parent)
    : NumbersDialog(CreateTitle(kind), parent), m_kind(kind) {
    if (HasColumns(kind)) {
        AddNumber(1000, "Number of Rows:", preset.rows, 1, kMaxCount);
        AddNumber(1001, "Number of Columns:", preset.columns, 1, kMaxCount);
    } else {
        AddNumber(1000, "Number of entries:", preset.rows, 1, kMaxCount);
    }
    AddButtons();
}

CreateCounts CreateDialog::Counts() const {
    return CreateCounts{Number(1000), HasColumns(m_kind) ? Number(1001) : 1};
}

std::optional<CreateCounts> AskCreateCounts(BaseView& view, CreateKind kind) {
    CreateDialog dialog(kind, view.CreationPreset(kind), &view);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const CreateCounts counts = dialog.Counts();
    view.CreationChosen(kind, counts);
    return counts;
}

GridElements::GridElements()
    : m_matrix(
          ElementBuilders::Instance().Register(kMatrixCommand, BuildsGrid(CreateKind::Matrix))),
      m_table(
          ElementBuilders::Instance().Register(kMatrixCommand + 1, BuildsGrid(CreateKind::Table))),
      m_equationSet(ElementBuilders::Instance().Register(kMatrixCommand + 2,
                                                         BuildsGrid(CreateKind::EquationSet))),
      m_piecewise(ElementBuilders::Instance().Register(kMatrixCommand + 3,
                                                       BuildsGrid(CreateKind::Piecewise))) {}

// --- Page Numbering ---

PageNumberingDialog::PageNumberingDialog(bool numberPages, int32_t firstPage, QWidget* parent)
    : NumbersDialog("Page Numbering", parent),
      m_numberPages(new QCheckBox(QStringLiteral("Number printed pages"), this)) {
    m_numberPages->setObjectName(QStringLiteral("1002"));
    m_numberPages->setChecked(numberPages);
    Form()->addRow(m_numberPages);
    AddNumber(1000, "Number pages from", firstPage, 1, kMaxFirstPage);
    AddButtons();
}

bool PageNumberingDialog::NumberPages() const {
    return m_numberPages->isChecked();
}

// --- Text Preferences ---

TextPrefsDialog::TextPrefsDialog(const TextFontPrefs& prefs, const QStringList& families,
                                 QWidget* parent)
    : QDialog(parent) {
    const QStringList offered = OfferedFamilies(families);
    m_text = FontCombo(1073, prefs.textFont, offered, this);
    m_bold = FontCombo(1074, prefs.boldFont, offered, this);
    m_italic = FontCombo(1075, prefs.italicFont, offered, this);
    setWindowTitle(QStringLiteral("Text Preferences"));
    setModal(true);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Text font"), m_text);
    layout->addRow(QStringLiteral("Bold font"), m_bold);
    layout->addRow(QStringLiteral("Italic font"), m_italic);
    layout->addRow(OkCancel(this));
}

QComboBox* TextPrefsDialog::Combo(int32_t id) const {
    switch (id) {
    case 1073:
        return m_text;
    case 1074:
        return m_bold;
    case 1075:
        return m_italic;
    default:
        return nullptr;
    }
}

void TextPrefsDialog::Store(TextFontPrefs& prefs) const {
    StoreChoice(m_text, prefs.textFont);
    StoreChoice(m_bold, prefs.boldFont);
    StoreChoice(m_italic, prefs.italicFont);
}

// --- About ---

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Tessary"));
    setModal(true);
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(48, 48));
    auto* name =
        new QLabel(QStringLiteral("Tessary version %1, built %2")
                       .arg(QStringLiteral(TESSARY_VERSION), QStringLiteral(TESSARY_BUILD_DATE)),
                   this);
    name->setObjectName(QStringLiteral("version"));
    auto* about = new QLabel(QStringLiteral("An editor for mathematical documents."), this);
    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(about);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(text);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(OkCancel(this, false));
}
