#include "mathbox/actions/EditActions.h"

#include "document/BoxShapes.h"
#include "document/CompList.h"
#include "document/ParaComp.h"
#include "document/PlotShape.h"
#include "mathbox/EditView.h"
#include "mathbox/actions/TypingAction.h"

#include <algorithm>

namespace {

void EmptyList(CompList& list) {
    list.DetachChildren();
}

} // namespace

// --- EditAction ---

EditAction::EditAction(EditView& view, uint16_t nameId, const DocRange& selection)
    : TAction(view, nameId, selection), m_saved(selection), m_selection(selection) {}

void EditAction::TakeSelection() {
    if (!m_saved.HasExtent()) {
        m_removalPoint = m_saved.start;
        return;
    }
    m_removalPoint = m_saved.RemoveContent(m_savedMaterial);
}

void EditAction::RestoreSaved() {
    if (m_savedMaterial.IsEmpty()) return;
    m_saved = m_savedMaterial.MoveInto(m_removalPoint);
    m_savedMaterial = Material();
}

void EditAction::SwapAffected() {
    if (m_affected.HasExtent()) {
        Material moving;
        const DocPos stood = m_affected.RemoveContent(moving);
        m_affected = moving.MoveInto(m_insertPoint);
        m_insertPoint = stood;
    } else {
        const DocPos old = m_affected.start;
        m_affected = DocRange::Caret(m_insertPoint);
        m_insertPoint = old;
    }
}

void EditAction::ShowCaret(const DocPos& pos) {
    ShowRange(DocRange::Caret(pos));
}

void EditAction::Release() {
    m_savedMaterial = Material();
}

void EditAction::RecoverAfterFailure() {
    RestoreSaved();
}

// --- DeleteAction ---

DeleteAction::DeleteAction(EditView& view, const DocRange& selection)
    : EditAction(view, actionname::kDelete, selection) {}

int32_t DeleteAction::DoIt() {
    if (!m_saved.HasExtent() && m_saved.start.index >= 2) --m_saved.start.index;
    TakeSelection();
    ShowCaret(m_removalPoint);
    return 0;
}

int32_t DeleteAction::UndoIt() {
    RestoreSaved();
    ShowRange(BuiltFrom());
    return 0;
}

// --- NewParagraphAction ---

NewParagraphAction::NewParagraphAction(EditView& view, const DocRange& selection, int32_t style)
    : EditAction(view, actionname::kNewParagraph, selection), m_style(style) {}

int32_t NewParagraphAction::DoIt() {
    // A redo puts back the paragraph the undo took out, indentation and identity included.
    auto fresh = m_held == nullptr ? std::make_unique<ParaComp>(m_style) : nullptr;
    TakeSelection();
    ParaComp* current = m_removalPoint.paragraph;
    CompSequence* seq = m_removalPoint.GetSequence();
    if (current == nullptr || seq == nullptr) {
        RestoreSaved();
        return 0;
    }
    const int32_t at = seq->IndexOf(current) + 1;
    int32_t tabs = 0;
    if (fresh != nullptr) {
        m_newParagraph = fresh.get();
        seq->InsertAt(std::move(fresh), at);
        if (m_style == ParaStyle::kSourceCode) tabs = current->CountLeadingTabs();
        if (tabs > 0) m_newParagraph->InsertTabs(tabs);
    } else {
        m_newParagraph = m_held->GetAt(1);
        seq->InsertHeldAt(std::move(m_held), at);
        tabs = m_newParagraph->CountLeadingTabs();
    }
    CompList* list = current->GetList(1);
    const int32_t from = m_removalPoint.TopLevelIndex(true);
    m_affected.Set(list, from, list->GetCount() + 1);
    m_insertPoint = PosAt(m_newParagraph->GetList(1), tabs + 1);
    if (m_affected.HasExtent()) SwapAffected();
    m_newParagraph->SetSizeLevel(
        static_cast<uint8_t>(m_newParagraph->GetStyle().GetRelativeSize(*m_newParagraph)));
    ShowCaret(PosAt(m_newParagraph->GetList(1), tabs + 1));
    return 0;
}

int32_t NewParagraphAction::UndoIt() {
    if (m_newParagraph == nullptr) return 0;
    if (m_affected.HasExtent()) SwapAffected();
    CompSequence* seq = BuiltFrom().start.GetSequence();
    if (seq == nullptr) seq = m_removalPoint.GetSequence();
    m_held = seq->HoldAt(seq->IndexOf(m_newParagraph));
    m_newParagraph = nullptr;
    m_affected = DocRange();
    RestoreSaved();
    ShowRange(BuiltFrom());
    return 0;
}

// --- CreateObjectAction ---

CreateObjectAction::CreateObjectAction(EditView& view, OwnedComponent component,
                                       const DocRange& selection)
    : EditAction(view, actionname::kCreateObject, selection), m_kept(std::move(component)),
      m_component(m_kept.get()) {}

int32_t CreateObjectAction::DoIt() {
    CompList* list = m_saved.end.GetList();
    if (list == nullptr || m_kept == nullptr) return 0;
    list->InsertAt(m_kept.get(), m_saved.end.index);
    m_kept.release();
    m_affected.SelectComponent(m_component);
    m_moved = false;
    if (!m_saved.HasExtent()) {
        ShowCaret(m_component->GetCaretAfterInsert());
    } else if (m_component->SelectsOnInsert() && m_saved.InOneParagraph()) {
        m_insertPoint = m_component->GetCaretAfterInsert();
        m_affected = m_saved;
        SwapAffected();
        m_moved = true;
        ShowCaret(m_affected.end);
    } else {
        TakeSelection();
        ShowCaret(m_component->GetCaretAfterInsert());
    }
    return 0;
}

int32_t CreateObjectAction::UndoIt() {
    if (m_kept != nullptr) return 0;
    if (m_moved) SwapAffected();
    CompList* parent = m_component->GetParent();
    m_kept = parent->RemoveAt(parent->IndexOf(m_component));
    RestoreSaved();
    ShowRange(BuiltFrom());
    return 0;
}

void CreateObjectAction::Release() {
    EditAction::Release();
    m_kept.reset();
}

// --- ReduceAction ---

ReduceAction::ReduceAction(EditView& view, const DocRange& selection)
    : EditAction(view, actionname::kReduce, selection),
      m_structure(selection.start.GetComponent()) {}

int32_t ReduceAction::DoIt() {
    if (m_structure == nullptr || m_structure->GetList(1) == nullptr) return 0;
    // A caret before the structure reduces it as if it were selected, so that the structure
    // itself goes and not only its contents.
    if (!m_saved.HasExtent()) m_saved.SelectComponent(m_structure);
    m_affected.SelectList(m_structure->GetList(1));
    m_insertPoint =
        m_affected.HasExtent() ? m_affected.RemoveContent(m_contents) : m_affected.start;
    TakeSelection();
    m_affected = m_contents.IsEmpty() ? DocRange::Caret(m_removalPoint)
                                      : m_contents.MoveInto(m_removalPoint);
    m_contents = Material();
    ShowRange(m_affected);
    return 0;
}

int32_t ReduceAction::UndoIt() {
    if (m_structure == nullptr || !HoldsSaved()) return 0;
    if (m_affected.HasExtent()) m_affected.RemoveContent(m_contents);
    RestoreSaved();
    if (!m_contents.IsEmpty()) m_contents.MoveInto(m_insertPoint);
    m_contents = Material();
    ShowRange(BuiltFrom());
    return 0;
}

// --- InsertCellsAction ---

InsertCellsAction::InsertCellsAction(EditView& view, const DocRange& selection, What what)
    : EditAction(view,
                 what == What::Column ? actionname::kInsertColumn
                 : what == What::Row  ? actionname::kInsertRow
                                      : actionname::kInsertDerivative,
                 selection),
      m_what(what) {}

int32_t InsertCellsAction::DoIt() {
    const DocPos& at = m_saved.start;
    TextComp* box = at.GetBox();
    GridShape* grid = AsGrid(box);
    DerivativeShape* derivative = AsDerivative(box);
    const bool fits = m_what == What::Variable ? at.kind == DocPos::kOnVariable && derivative
                                               : at.kind == DocPos::kOnGrid && grid;
    if (!fits) return 0;
    TakeSelection();
    const int32_t i = m_removalPoint.index;
    DocPos first = m_removalPoint;
    DocPos after = m_removalPoint;
    after.Advance();
    switch (m_what) {
    case What::Column: {
        if (grid->GetColumnCount() == 0) break;
        OwnedComponent column = grid->CopyColumns(1, 1);
        for (int32_t r = 1; r <= grid->GetRowCount(); ++r)
            EmptyList(*AsGrid(column.get())->GetCell(1, r));
        grid->InsertColumnsFrom(std::move(column), i);
        first.SetOnGrid(box, i, true);
        after.SetOnGrid(box, i + 1, true);
        break;
    }
    case What::Row: {
        if (grid->GetRowCount() == 0) break;
        OwnedComponent row = grid->CopyRows(1, 1);
        for (int32_t c = 1; c <= grid->GetColumnCount(); ++c)
            EmptyList(*AsGrid(row.get())->GetCell(c, 1));
        grid->InsertRowsFrom(std::move(row), i);
        first.SetOnGrid(box, i, false);
        after.SetOnGrid(box, i + 1, false);
        break;
    }
    case What::Variable: {
        OwnedComponent variable = derivative->CopyDifferentials(1, 1);
        TextComp* differential = AsDerivative(variable.get())->GetDifferential(1);
        EmptyList(*differential->GetList(1));
        EmptyList(*differential->GetList(2));
        derivative->InsertDifferentialsFrom(i, std::move(variable));
        first.SetInComponent(box, i);
        after.SetInComponent(box, i + 1);
        break;
    }
    }
    box->InvalidateLayout();
    m_affected.Assign(first, after);
    ShowCaret(after);
    return 0;
}

int32_t InsertCellsAction::UndoIt() {
    if (!m_affected.HasExtent()) return 0;
    Material discarded;
    m_affected.RemoveContent(discarded);
    m_affected = DocRange();
    RestoreSaved();
    ShowRange(BuiltFrom());
    return 0;
}

// --- InsertExpressionAction ---

namespace {

TextComp* EnclosingPlot(const DocRange& selection) {
    TextComp* plot = selection.FindEnclosing(tags::Plot2D);
    return plot != nullptr ? plot : selection.FindEnclosing(tags::Plot3D);
}

} // namespace

InsertExpressionAction::InsertExpressionAction(EditView& view, const DocRange& selection)
    : TAction(view, actionname::kInsertExpression, selection), m_selection(selection),
      m_plot(EnclosingPlot(selection)) {}

int32_t InsertExpressionAction::DoIt() {
    PlotShape* plot = AsPlot(m_plot);
    if (plot == nullptr) return 0;
    plot->AppendExpressionList(CompArray());
    m_plot->InvalidateLayout();
    ShowRange(DocRange::Caret(PosAt(m_plot->GetList(m_plot->GetListCount()), 1)));
    return 0;
}

int32_t InsertExpressionAction::UndoIt() {
    PlotShape* plot = AsPlot(m_plot);
    if (plot == nullptr) return 0;
    plot->RemoveLastExpressionList();
    m_plot->InvalidateLayout();
    ShowRange(m_selection);
    return 0;
}

// --- RemoveParaBreakAction ---

RemoveParaBreakAction::RemoveParaBreakAction(EditView& view, const DocRange& selection,
                                             ParaComp* second)
    : TAction(view, actionname::kRemoveParagraphBreak, selection),
      m_sequence(dynamic_cast<CompSequence*>(second->GetOwner())), m_second(second),
      m_previous(nullptr), m_number(0) {
    if (m_sequence == nullptr) return;
    m_number = m_sequence->IndexOf(second);
    m_previous = m_sequence->GetAt(m_number - 1);
    // The joined paragraph is the one to lay out again.
    if (m_previous != nullptr) SetPlace(m_number - 1, 1);
}

int32_t RemoveParaBreakAction::DoIt() {
    if (m_previous == nullptr) return 0;
    CompList* target = m_previous->GetList(1);
    const int32_t join = target->GetCount() + 1;
    SetIndex(join);
    m_moved = DocRange::Caret(PosAt(target, join));
    if (m_second->GetCount() > 0) {
        DocRange contents;
        contents.SelectList(m_second->GetList(1));
        Material material;
        contents.RemoveContent(material);
        m_moved = material.MoveInto(PosAt(target, join));
    }
    m_savedStyle = m_previous->GetStyle().GetKind();
    m_previous->SetStyle(m_second->GetStyle().GetKind());
    m_kept = m_sequence->HoldAt(m_number);
    ShowRange(DocRange::Caret(PosAt(target, join)));
    return 0;
}

int32_t RemoveParaBreakAction::UndoIt() {
    if (m_kept == nullptr) return 0;
    m_sequence->InsertHeldAt(std::move(m_kept), m_number);
    m_previous->SetStyle(m_savedStyle);
    if (m_moved.HasExtent()) {
        Material material;
        m_moved.RemoveContent(material);
        material.MoveInto(PosAt(m_second->GetList(1), 1));
    }
    ShowRange(DocRange::Caret(PosAt(m_second->GetList(1), 1)));
    return 0;
}

// --- Styles ---

SetParagraphStyleAction::SetParagraphStyleAction(EditView& view, const DocRange& selection,
                                                 int32_t style)
    : TAction(view, actionname::kCannotUndo, selection), m_selection(selection),
      m_style(style >= 0 && style <= 7 ? style : ParaStyle::kParagraph) {}

int32_t SetParagraphStyleAction::DoIt() {
    const CompSequence* seq = m_selection.start.GetSequence();
    if (seq == nullptr) return 0;
    const int32_t last = seq->IndexOf(m_selection.end.paragraph);
    for (int32_t k = seq->IndexOf(m_selection.start.paragraph); k >= 1 && k <= last; ++k) {
        seq->GetAt(k)->SetStyle(m_style);
        seq->GetAt(k)->InvalidateAll();
    }
    ShowRange(m_selection);
    return 0;
}

SetTextStyleAction::SetTextStyleAction(EditView& view, const DocRange& selection, int32_t style)
    : TAction(view, actionname::kCannotUndo, selection), m_selection(selection), m_style(style) {}

int32_t SetTextStyleAction::DoIt() {
    if (m_selection.HasExtent()) {
        m_selection.ApplyStyle(m_style);
        ShowRange(m_selection);
    }
    return 0;
}

OwnedAction SetTextStyleAction::TakeFollowUp() {
    if (m_selection.HasExtent()) return nullptr;
    return MakeAction<TypingAction>(GetView(), m_selection, m_style);
}
