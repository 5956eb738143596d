#pragma once

// Every change the user makes to a document, and every change of the selection, runs as an
// action: the view builds one from its selection, performs it with `Do`, keeps it as its one
// last action (`UndoSlot`), and the Undo command toggles it between undone (`Undo`) and done
// again (`Redo`). Subclasses change the document in `DoIt` and revert it exactly in `UndoIt`,
// keeping what they removed while it is outside the document.
//
// Ownership: an action is owned by the one `OwnedAction` that holds it; dropping the handle
// calls `Release` (which frees what the action still holds outside the document) and deletes
// the action, so it is released exactly once on every path.

#include "document/DocRange.h"
#include "document/Str255.h"

#include <cstdint>
#include <memory>

class CompList;
class CompSequence;
class EditView;
class TAction;

struct ReleaseAction {
    void operator()(TAction* action) const;
};
using OwnedAction = std::unique_ptr<TAction, ReleaseAction>;

// The position before child `index` of `list`, where actions put carets and selections.
inline DocPos PosAt(CompList* list, int32_t index) {
    DocPos pos;
    pos.SetAt(list, index);
    return pos;
}

// The names of actions, for the Undo command's text.
namespace actionname {
inline constexpr uint16_t kCopy = 2000;
inline constexpr uint16_t kCut = 2001;
inline constexpr uint16_t kPaste = 2002;
inline constexpr uint16_t kDelete = 2003;
inline constexpr uint16_t kNewParagraph = 2004;
inline constexpr uint16_t kCreateObject = 2005;
inline constexpr uint16_t kTyping = 2006;
inline constexpr uint16_t kReduce = 2007;
inline constexpr uint16_t kInsertColumn = 2008;
inline constexpr uint16_t kInsertRow = 2009;
inline constexpr uint16_t kInsertDerivative = 2010;
inline constexpr uint16_t kInsertExpression = 2011;
inline constexpr uint16_t kRemoveParagraphBreak = 2012;
inline constexpr uint16_t kCalculation = 2013;
inline constexpr uint16_t kCannotUndo = 2014;
inline constexpr uint16_t kReplace = 2015;
} // namespace actionname

// The text of a name id; empty for an unknown id.
Str255 ActionNameText(uint16_t nameId);

class TAction {
public:
    virtual ~TAction() = default;
    TAction(const TAction&) = delete;
    TAction& operator=(const TAction&) = delete;

    // Frees what the action still holds outside the document; called once, by the owning
    // handle, just before the action is deleted.
    virtual void Release() {}
    // Whether the Undo command is offered for the action.
    virtual bool CanUndo() const { return true; }
    // Whether performing it changes the document (the view then marks the document modified).
    virtual bool ModifiesDocument() const { return true; }
    virtual Str255 GetName() const { return ActionNameText(m_nameId); }
    // `DoIt` threw: put back into the document whatever it had taken out, so that releasing the
    // action loses nothing.
    virtual void RecoverAfterFailure() {}
    // An action to perform right after this one, once its `Do` has returned; none by default.
    virtual OwnedAction TakeFollowUp() { return nullptr; }

    // The only ways the view runs an action.
    int32_t Do();
    int32_t Undo();
    // Performs it again and lays the document out from where it took place.
    int32_t Redo();
    bool IsDone() const { return m_done; }

    uint16_t GetNameId() const { return m_nameId; }
    CompSequence* GetParagraphs() const { return m_paragraphs; }
    int32_t GetParagraphNumber() const { return m_paragraphNumber; }
    int32_t GetIndex() const { return m_index; }
    EditView& GetView() const { return m_view; }

    // Puts the text into the main frame's status bar.
    void SetStatusText(const Str255& text);

protected:
    // Tied to the place of the selection's start: its paragraph's number in the document and
    // its top-level index there. A selection in no document gives paragraph number 0.
    TAction(EditView& view, uint16_t nameId, const DocRange& selection);
    // Tied to no selection: no paragraph, index 1.
    TAction(EditView& view, uint16_t nameId);

    virtual int32_t DoIt() = 0;
    virtual int32_t UndoIt() { return 0; }

    // Lays the document out from where the action took place, makes the range the view's
    // selection and scrolls it into sight; every editing step ends with it.
    void ShowRange(const DocRange& range);
    void SetIndex(int32_t index) { m_index = index; }
    // For an action whose edit shows first in another paragraph than the selection's.
    void SetPlace(int32_t paragraphNumber, int32_t index) {
        if (m_paragraphs == nullptr) return;
        m_paragraphNumber = paragraphNumber;
        m_index = index;
    }
    void SetDone(bool done) { m_done = done; }

private:
    void RelayoutView();

    EditView& m_view;
    CompSequence* m_paragraphs = nullptr; // not owned
    int32_t m_paragraphNumber = 0;
    int32_t m_index = 1;
    uint16_t m_nameId;
    bool m_done = false;
};

// Scrolls the view the least that brings the frame into sight: its bottom to the window's
// bottom edge when it lies below, its top to the top when it lies above, and to its corner when
// it lies beside the window.
void BringIntoView(EditView& view, const Rect& frame);

inline void ReleaseAction::operator()(TAction* action) const {
    action->Release();
    delete action;
}

template <typename A, typename... Args>
std::unique_ptr<A, ReleaseAction> MakeAction(Args&&... args) {
    return std::unique_ptr<A, ReleaseAction>(new A(std::forward<Args>(args)...));
}
