#pragma once

// Every change of the selection that a key, a key typed inside a structure or a click causes
// is an action: it computes a new range from the view's current one, installs it, and can put
// the old one back. The document itself never changes.

#include "document/DocRange.h"
#include "mathbox/actions/TAction.h"

#include <cstdint>
#include <memory>

class RefComp;

class SelectionAction : public TAction {
public:
    bool ModifiesDocument() const override { return false; }
    const DocRange& GetRange() const { return m_range; }

protected:
    SelectionAction(EditView& view, const DocRange& selection, bool extend);

    int32_t DoIt() override;
    int32_t UndoIt() override;
    // Replaces `m_range` by the new selection; the base keeps it.
    virtual void ComputeSelection() {}

    void CaretAt(const DocPos& pos) { m_range = DocRange::Caret(pos); }

    DocRange m_range;
    DocRange m_saved;
    bool m_extend;

private:
    void Install(const DocRange& range);
};

// One class per movement; each names the key or edit code that creates it.
#define TESSARY_SELECTION_ACTION(Name)                                                             \
    class Name final : public SelectionAction {                                                    \
    public:                                                                                        \
        Name(EditView& view, const DocRange& selection, bool extend = false)                       \
            : SelectionAction(view, selection, extend) {}                                          \
                                                                                                   \
    protected:                                                                                     \
        void ComputeSelection() override;                                                          \
    };
TESSARY_SELECTION_ACTION(DocStartAction)         // Ctrl+Home
TESSARY_SELECTION_ACTION(DocEndAction)           // Ctrl+End
TESSARY_SELECTION_ACTION(LineStartAction)        // Home
TESSARY_SELECTION_ACTION(LineEndAction)          // End
TESSARY_SELECTION_ACTION(ExtendLeftAction)       // 807
TESSARY_SELECTION_ACTION(SelectWordAction)       // a word selection request
TESSARY_SELECTION_ACTION(ExitLeftAction)         // 805
TESSARY_SELECTION_ACTION(ExitRightAction)        // 806
TESSARY_SELECTION_ACTION(AfterOwnerAction)       // 904
TESSARY_SELECTION_ACTION(BeforeOwnerAction)      // 905
TESSARY_SELECTION_ACTION(ColumnBoundaryAction)   // 908
TESSARY_SELECTION_ACTION(RowBoundaryAction)      // 909
TESSARY_SELECTION_ACTION(VariableBoundaryAction) // 1301
TESSARY_SELECTION_ACTION(NextCellRightAction)    // 907
TESSARY_SELECTION_ACTION(NextCellDownAction)     // 906
TESSARY_SELECTION_ACTION(NextVariableAction)     // 1302
#undef TESSARY_SELECTION_ACTION

// Left, Up, Right and Down (virtual-key codes 37 to 40); `into` (Ctrl) steps into boxes.
class ArrowAction final : public SelectionAction {
public:
    static constexpr uint8_t kLeft = 37, kUp = 38, kRight = 39, kDown = 40;
    ArrowAction(EditView& view, const DocRange& selection, bool extend, uint8_t key, bool into)
        : SelectionAction(view, selection, extend), m_key(key), m_into(into) {}

protected:
    void ComputeSelection() override;

private:
    uint8_t m_key;
    bool m_into;
};

// 902 and 903: one row, column or variable boundary on (back); `grow` (Shift) selects from the
// other end instead.
class NextBoundaryAction final : public SelectionAction {
public:
    NextBoundaryAction(EditView& view, const DocRange& selection, bool grow)
        : SelectionAction(view, selection, false), m_grow(grow) {}

protected:
    void ComputeSelection() override;

private:
    bool m_grow;
};

class PrevBoundaryAction final : public SelectionAction {
public:
    PrevBoundaryAction(EditView& view, const DocRange& selection, bool grow)
        : SelectionAction(view, selection, false), m_grow(grow) {}

protected:
    void ComputeSelection() override;

private:
    bool m_grow;
};

// A click on a reference selects the contents of its target, when it has one.
class FollowReferenceAction final : public SelectionAction {
public:
    FollowReferenceAction(EditView& view, const DocRange& selection, RefComp* reference)
        : SelectionAction(view, selection, false), m_reference(reference) {}

protected:
    void ComputeSelection() override;

private:
    RefComp* m_reference; // not owned
};

// The selection action an edit code creates, or none for a code that creates none; `shift` is
// the grow flag of 902 and 903.
OwnedAction MakeSelectionAction(EditView& view, const DocRange& selection, int32_t code,
                                bool shift);
