#include "app/FindDialog.h"

#include "app/BaseView.h"
#include "document/CompSequence.h"
#include "document/Finder.h"
#include "document/Material.h"
#include "mathbox/actions/ReplaceAction.h"
#include "platform/Cp1252.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

Str255 EditText(const QLineEdit* edit) {
    return Str255(platform::ToCp1252(edit->text()));
}

} // namespace

FindDialog::FindDialog(BaseView& view, Finder& finder)
    : QDialog(&view), m_view(view), m_finder(finder), m_find(new QLineEdit(this)),
      m_replace(new QLineEdit(this)), m_matchShown(finder.IsStarted()) {
    const char* const texts[] = {"Find", "Replace", "Replace and Find", "Replace All"};
    for (int i = 0; i < 4; ++i)
        m_buttons[i] = new QPushButton(QString::fromLatin1(texts[i]), this);
    setWindowTitle(QStringLiteral("Find"));
    m_shownPattern = platform::FromCp1252(finder.GetPattern().GetText().View());
    m_find->setText(m_shownPattern);
    m_find->setMaxLength(255);
    m_replace->setMaxLength(255);

    auto* layout = new QGridLayout(this);
    auto* findLabel = new QLabel(QStringLiteral("Find:"), this);
    auto* replaceLabel = new QLabel(QStringLiteral("Replace:"), this);
    findLabel->setBuddy(m_find);
    replaceLabel->setBuddy(m_replace);
    layout->addWidget(findLabel, 0, 0);
    layout->addWidget(m_find, 0, 1);
    layout->addWidget(replaceLabel, 1, 0);
    layout->addWidget(m_replace, 1, 1);
    auto* column = new QVBoxLayout();
    for (QPushButton* button : m_buttons)
        column->addWidget(button);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    column->addWidget(cancel);
    column->addStretch();
    layout->addLayout(column, 0, 2, 3, 1);
    layout->setRowStretch(2, 1);
    layout->setColumnMinimumWidth(1, 220);

    m_buttons[0]->setDefault(true);
    connect(m_buttons[0], &QPushButton::clicked, this, &FindDialog::Find);
    connect(m_buttons[1], &QPushButton::clicked, this, &FindDialog::Replace);
    connect(m_buttons[2], &QPushButton::clicked, this, &FindDialog::ReplaceAndFind);
    connect(m_buttons[3], &QPushButton::clicked, this, &FindDialog::ReplaceAll);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QPushButton* FindDialog::Button(ButtonId id) const {
    return m_buttons[id - kFind];
}

void FindDialog::TakePattern() {
    const QString text = m_find->text();
    if (text == m_shownPattern) return;
    m_finder.SetPattern(EditText(m_find));
    m_shownPattern = text;
    m_matchShown = false;
}

bool FindDialog::SelectNext() {
    if (!m_finder.FindNext()) return false;
    m_view.SelectRange(m_finder.GetMatch());
    m_matchShown = true;
    return true;
}

void FindDialog::Find() {
    TakePattern();
    SelectNext();
}

bool FindDialog::PrepareReplace() {
    if (!m_view.CanEdit()) {
        m_view.Beep();
        return false;
    }
    TakePattern();
    m_finder.SetReplacement(EditText(m_replace));
    return m_finder.GetPattern().GetCount() > 0;
}

bool FindDialog::ReplaceCurrent() {
    // Nothing is replaced that the user was not shown.
    if (m_matchShown)
        if (OwnedAction action =
                ReplaceAction::MakeReplace(m_view, m_finder, m_view.GetSelection()))
            return m_view.DoAction(std::move(action));
    SelectNext();
    return false;
}

void FindDialog::Replace() {
    if (PrepareReplace()) ReplaceCurrent();
}

void FindDialog::ReplaceAndFind() {
    if (PrepareReplace() && ReplaceCurrent()) SelectNext();
}

void FindDialog::ReplaceAll() {
    if (!PrepareReplace()) return;
    if (OwnedAction action = ReplaceAction::MakeReplaceAll(m_view, m_finder, m_view.GetSelection()))
        m_view.DoAction(std::move(action));
}

std::unique_ptr<Finder> FinderAtSelection(BaseView& view) {
    CompSequence* page = view.Page();
    if (page == nullptr) return nullptr;
    const DocRange selection = view.GetSelection();
    auto finder = std::make_unique<Finder>(*page);
    if (selection.HasExtent() && selection.InOneParagraph()) {
        Material copy = selection.ExtractContent();
        if (!copy.IsEmpty() && copy.sequence->GetCount() > 0)
            finder->SetPattern(copy.sequence->GetAt(1)->GetList(1)->DetachChildren());
    }
    finder->Reset(selection.start);
    finder->SetStarted(selection.HasExtent());
    return finder;
}

void RunFindDialog(BaseView& view) {
    const std::unique_ptr<Finder> finder = FinderAtSelection(view);
    if (finder == nullptr) return;
    FindDialog dialog(view, *finder);
    dialog.exec();
}
