#pragma once

// The "Find" dialog and the Find command. The dialog searches the view's paragraphs forward
// with a `Finder` and replaces what it finds by the text of its "Replace:" edit:
// - Find selects the next match and scrolls it into sight; nothing found changes nothing.
// - Replace replaces the match that is selected; when the finder stands at none (nothing found
//   yet, or the pattern changed) it finds first, and the next press replaces.
// - Replace and Find replaces as Replace does, then selects the next match.
// - Replace All replaces every match from the selection's start to the end of the document,
//   as one step that Undo takes back.
// The replace buttons do nothing while the view takes no edits (during a calculation) and for
// an empty pattern. A pattern the Find command took from a selected structure stays the
// pattern until the find edit's text is changed.

#include "document/Str255.h"

#include <QDialog>

#include <memory>

class BaseView;
class Finder;
class QLineEdit;
class QPushButton;

class FindDialog final : public QDialog {
public:
    // The buttons, by their dialog ids.
    enum ButtonId { kFind = 1110, kReplace = 1111, kReplaceAndFind = 1112, kReplaceAll = 1113 };

    // The dialog drives `finder` over `view`'s page; it owns neither.
    FindDialog(BaseView& view, Finder& finder);

    QLineEdit* FindEdit() const { return m_find; }
    QLineEdit* ReplaceEdit() const { return m_replace; }
    QPushButton* Button(ButtonId id) const;

    void Find();
    void Replace();
    void ReplaceAndFind();
    void ReplaceAll();

private:
    // The pattern from the find edit, unless its text is still the one shown for the pattern.
    void TakePattern();
    // Whether the replace buttons may change the page now; takes the pattern and the
    // replacement when they may.
    bool PrepareReplace();
    // Selects the next match; false when there is none.
    bool SelectNext();
    // Replaces the match the finder stands at, or finds one first; true when it replaced.
    bool ReplaceCurrent();

    BaseView& m_view;
    Finder& m_finder;
    QLineEdit* m_find;
    QLineEdit* m_replace;
    QPushButton* m_buttons[4] = {};
    QString m_shownPattern;
    // Whether the finder's match is one the user was shown selected for the current pattern:
    // a changed pattern may still match where the finder stands, over other text.
    bool m_matchShown;
};

// A finder over the view's page at its selection, past the selection when it has extent; its
// pattern is a copy of the selected components when the selection lies in one paragraph and
// has extent, else empty. Null without a page.
std::unique_ptr<Finder> FinderAtSelection(BaseView& view);
// The Find command: the dialog over such a finder, run modally.
void RunFindDialog(BaseView& view);
