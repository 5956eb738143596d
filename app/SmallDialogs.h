#pragma once

// The small modal dialogs of the editor that exchange a few values: the four creation dialogs
// (the size of a matrix, table, equation set or piecewise definition), Page Numbering, Text
// Preferences and About. The Link Properties dialog is in LinkDialog.h.
//
// Every control carries its control id as its object name ("1000", ...; OK is "1" and Cancel
// "2"). A number outside its range, or no number at all, keeps the dialog open with the message
// "Please enter an integer between <low> and <high>."; the caller takes the values only when the
// dialog ends with OK.

#include "app/CreateCounts.h"
#include "app/ElementBuilders.h"
#include "document/Str255.h"

#include <QDialog>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QVBoxLayout;
struct TextFontPrefs;

// A dialog of whole numbers with ranges, each in an edit box, above OK and Cancel.
class NumbersDialog : public QDialog {
public:
    // Closes the dialog as confirmed, unless a box holds no number within its range.
    void accept() override;
    // The number in the box of `id`; only meaningful after OK.
    int32_t Number(int32_t id) const;
    QLineEdit* Box(int32_t id) const;

protected:
    NumbersDialog(const char* title, QWidget* parent);
    void AddNumber(int32_t id, const char* label, int32_t value, int32_t low, int32_t high);
    // Puts OK and Cancel under the fields; called once the fields are in.
    void AddButtons();
    QFormLayout* Form() const { return m_form; }

private:
    struct Field {
        int32_t id;
        QLineEdit* box;
        int32_t low;
        int32_t high;
    };
    std::vector<Field> m_fields;
    QVBoxLayout* m_layout;
    QFormLayout* m_form;
};

// "Create Matrix", "Create Table" (rows 1000, columns 1001), "Create Equation Set" and "Create
// Split Definition" (entries 1000): each count 1 to 40.
class CreateDialog final : public NumbersDialog {
public:
    static constexpr int32_t kMaxCount = 40;

    CreateDialog(CreateKind kind, const CreateCounts& preset, QWidget* parent);
    CreateCounts Counts() const;

private:
    CreateKind m_kind;
};

// Asks for the size of a new structure, starting from the view's preset, and tells the view
// what was confirmed; nothing when cancelled.
std::optional<CreateCounts> AskCreateCounts(BaseView& view, CreateKind kind);

// The Element commands of the four structures, which ask for their size first, for the life
// of the object.
class GridElements {
public:
    GridElements();

private:
    ElementBuilders::Registration m_matrix;
    ElementBuilders::Registration m_table;
    ElementBuilders::Registration m_equationSet;
    ElementBuilders::Registration m_piecewise;
};

// "Page Numbering": whether printed pages carry numbers (check box 1002) and the number of the
// first page (1000, 1 to 32767).
class PageNumberingDialog final : public NumbersDialog {
public:
    static constexpr int32_t kMaxFirstPage = 32767;

    PageNumberingDialog(bool numberPages, int32_t firstPage, QWidget* parent);
    bool NumberPages() const;
    int32_t FirstPage() const { return Number(1000); }

private:
    QCheckBox* m_numberPages;
};

// "Text Preferences": the text (1073), bold (1074) and italic (1075) fonts, each chosen from
// the font families given: once each under its plain family name, whatever its foundry tag
// ("Family [Foundry]") or case, and only where the drawing layer can find the font by the name
// kept. A current name that is not among them is offered too, so that confirming never changes
// a font the user did not touch.
class TextPrefsDialog final : public QDialog {
public:
    TextPrefsDialog(const TextFontPrefs& prefs, const QStringList& families, QWidget* parent);
    // Writes the chosen names into `prefs`; an entry whose box has no choice keeps its name.
    void Store(TextFontPrefs& prefs) const;
    QComboBox* Combo(int32_t id) const;

private:
    QComboBox* m_text = nullptr;
    QComboBox* m_bold = nullptr;
    QComboBox* m_italic = nullptr;
};

// "About Tessary": the program's icon, name, version and build date, and OK.
class AboutDialog final : public QDialog {
public:
    explicit AboutDialog(QWidget* parent);
};
