#pragma once

// The editing actions: deleting, new paragraphs, creating and reducing structures, inserting
// grid columns and rows and derivative variables, new plot expressions, joining paragraphs and
// applying styles. Each changes the document in `DoIt`, reverts it exactly in `UndoIt`, keeps
// what it removed while that is outside the document, and ends by showing the resulting caret
// or selection.
//
// Ownership: removed material travels in a `Material` and a component or paragraph taken out
// in an owning handle, both held by the action until they go back into the document; dropping
// the action frees them.

#include "document/CompSequence.h"
#include "document/DocRange.h"
#include "document/Material.h"
#include "document/TextComp.h"
#include "mathbox/actions/TAction.h"

#include <cstdint>
#include <memory>

// The replacing actions' shared steps: taking the selection out and putting it back, and moving
// an affected run of material to a second place and back.
class EditAction : public TAction {
public:
    void Release() override;
    void RecoverAfterFailure() override;
    bool HoldsSaved() const { return !m_savedMaterial.IsEmpty(); }

protected:
    EditAction(EditView& view, uint16_t nameId, const DocRange& selection);

    // Takes a selection with extent out of the document; the removal point is where it stood.
    void TakeSelection();
    // Puts taken-out material back at the removal point.
    void RestoreSaved();
    // Moves the affected material to the insert point, which becomes where it came from, so
    // that a second call moves it back.
    void SwapAffected();
    // The selection the action was built from, valid whenever the document is as it was then.
    const DocRange& BuiltFrom() const { return m_selection; }
    // What `TakeSelection` took out, while it is outside the document.
    const Material& SavedMaterial() const { return m_savedMaterial; }
    void ShowCaret(const DocPos& pos);

    DocRange m_affected;
    DocRange m_saved;
    DocPos m_insertPoint;
    DocPos m_removalPoint;

private:
    DocRange m_selection;
    Material m_savedMaterial;
};

class DeleteAction final : public EditAction {
public:
    DeleteAction(EditView& view, const DocRange& selection);

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;
};

class NewParagraphAction final : public EditAction {
public:
    NewParagraphAction(EditView& view, const DocRange& selection, int32_t style);

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    int32_t m_style;
    ParaComp* m_newParagraph = nullptr; // in the document while done
    // The new paragraph while undone; a redo puts this one back, with its identity.
    std::unique_ptr<CompSequence> m_held;
};

class CreateObjectAction final : public EditAction {
public:
    CreateObjectAction(EditView& view, OwnedComponent component, const DocRange& selection);
    void Release() override;

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    OwnedComponent m_kept; // the component while it is outside the document
    TextComp* m_component;
    bool m_moved = false; // the selection went into the component
};

class ReduceAction final : public EditAction {
public:
    ReduceAction(EditView& view, const DocRange& selection);

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    TextComp* m_structure;
    Material m_contents;
};

// A new, empty column or row of the grid whose boundary the selection is on, or a new, empty
// variable of the partial derivative, before the removal point.
class InsertCellsAction : public EditAction {
public:
    enum class What { Column, Row, Variable };

protected:
    InsertCellsAction(EditView& view, const DocRange& selection, What what);
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    What m_what;
};

class InsertColumnAction final : public InsertCellsAction {
public:
    InsertColumnAction(EditView& view, const DocRange& selection)
        : InsertCellsAction(view, selection, What::Column) {}
};

class InsertRowAction final : public InsertCellsAction {
public:
    InsertRowAction(EditView& view, const DocRange& selection)
        : InsertCellsAction(view, selection, What::Row) {}
};

class InsertDerivativeAction final : public InsertCellsAction {
public:
    InsertDerivativeAction(EditView& view, const DocRange& selection)
        : InsertCellsAction(view, selection, What::Variable) {}
};

class InsertExpressionAction final : public TAction {
public:
    InsertExpressionAction(EditView& view, const DocRange& selection);

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    DocRange m_selection;
    TextComp* m_plot; // null when the selection is in no plot
};

// Joins a paragraph to the one before it.
class RemoveParaBreakAction final : public TAction {
public:
    // `second` is the paragraph whose break goes: a paragraph of the view's document after its
    // first.
    RemoveParaBreakAction(EditView& view, const DocRange& selection, ParaComp* second);

protected:
    int32_t DoIt() override;
    int32_t UndoIt() override;

private:
    CompSequence* m_sequence;
    ParaComp* m_second;
    ParaComp* m_previous;
    int32_t m_number;
    int32_t m_savedStyle = 0;
    DocRange m_moved;
    // The second paragraph while it is joined, held with its identity.
    std::unique_ptr<CompSequence> m_kept;
};

class SetParagraphStyleAction final : public TAction {
public:
    SetParagraphStyleAction(EditView& view, const DocRange& selection, int32_t style);
    bool CanUndo() const override { return false; }

protected:
    int32_t DoIt() override;

private:
    DocRange m_selection;
    int32_t m_style;
};

class SetTextStyleAction final : public TAction {
public:
    SetTextStyleAction(EditView& view, const DocRange& selection, int32_t style);
    bool CanUndo() const override { return false; }
    // The empty typing action of the new style, which further typing joins.
    OwnedAction TakeFollowUp() override;

protected:
    int32_t DoIt() override;

private:
    DocRange m_selection;
    int32_t m_style;
};
