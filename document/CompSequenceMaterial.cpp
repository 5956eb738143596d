// Moving paragraphs and selected material between sequences: cutting and joining sequences,
// copying ranges, wrapping selections as detached material, and putting material back.

#include "document/BoxShapes.h"
#include "document/CompSequence.h"
#include "document/Material.h"
#include "document/RefComp.h"

#include <algorithm>
#include <stdexcept>

namespace {

std::unique_ptr<ParaComp> NewParagraph(CompArray children, int32_t style) {
    return std::make_unique<ParaComp>(std::move(children), style);
}

// Puts children taken from `from` into `into` before `at`; when that fails they go back to the
// end of `from` (whose room they still have), so a failed move loses no content.
void MoveChildren(CompArray&& children, CompList& into, int32_t at, CompList& from) {
    try {
        into.InsertArrayAt(std::move(children), at);
    } catch (...) {
        if (!children.IsEmpty()) from.InsertArrayAt(std::move(children), from.GetCount() + 1);
        throw;
    }
}

// The one component a stretch of material consists of, or null.
TextComp* SoleComponent(const Material& material) {
    const DocRange& r = material.range;
    if (r.start.kind == DocPos::kInList) return r.GetSingleComponent();
    return r.start.GetBox();
}

} // namespace

std::unique_ptr<CompSequence> CompSequence::SplitAt(const DocPos& pos) {
    ParaComp* para = pos.paragraph;
    const int32_t k = IndexOf(para);
    if (k == 0) throw std::invalid_argument("CompSequence::SplitAt: position outside the sequence");
    auto tail = std::make_unique<CompSequence>(m_document);
    Unsettle(k);
    const Quiet quiet(*this);
    tail->m_paras.reserve(static_cast<size_t>(GetCount() - k + 1));
    auto head = std::make_unique<ParaComp>(para->GetStyle().GetKind());
    CompList* list = para->GetList(1);
    const int32_t at = std::max(pos.TopLevelIndex(true), 1);
    MoveChildren(list->SplitOff(at), *head->GetList(1), 1, *list);
    para->InvalidateLayout();
    tail->Append(std::move(head));
    // The paragraphs after the position move whole; inside one document they keep their numbers.
    for (int32_t j = k + 1; j <= GetCount(); ++j) {
        OwnedPara moving = std::move(m_paras[static_cast<size_t>(j - 1)]);
        moving->SetOwner(tail.get());
        tail->m_paras.push_back(std::move(moving));
    }
    m_paras.resize(static_cast<size_t>(k));
    DeferFrom(m_deferredFrom);
    if (m_touched != nullptr && m_touched->GetOwner() != this) m_touched = nullptr;
    return tail;
}

DocPos CompSequence::JoinWith(std::unique_ptr<CompSequence> other) {
    if (other == nullptr || other->IsEmpty())
        throw std::invalid_argument("CompSequence::JoinWith: nothing to join");
    MakeRoom(other->m_paras.size());
    Unsettle(GetCount());
    const Quiet quiet(*this);
    DocPos seam;
    size_t from = 0;
    if (IsEmpty()) {
        seam = other->StartPosition();
    } else {
        // The other's first paragraph merges into this one's last and goes; its children move
        // once, from one owner to the other.
        ParaComp* last = m_paras.back().get();
        CompList* into = last->GetList(1);
        seam.SetAt(into, into->GetCount() + 1);
        ParaComp* first = other->m_paras.front().get();
        MoveChildren(first->GetList(1)->DetachChildren(), *into, seam.index, *first->GetList(1));
        last->SetStyle(first->GetStyle().GetKind());
        other->Release(*first);
        other->m_paras.front().reset();
        from = 1;
    }
    for (size_t j = from; j < other->m_paras.size(); ++j) {
        OwnedPara moving = std::move(other->m_paras[j]);
        moving->SetOwner(this);
        m_paras.push_back(std::move(moving));
    }
    other->m_paras.clear();
    return seam;
}

DocPos CompSequence::InsertSequenceAt(std::unique_ptr<CompSequence> other, const DocPos& pos) {
    std::unique_ptr<CompSequence> tail = SplitAt(pos);
    JoinWith(std::move(other));
    return JoinWith(std::move(tail));
}

std::unique_ptr<CompSequence> CompSequence::CutRange(const DocRange& range) {
    std::unique_ptr<CompSequence> tail = SplitAt(range.end);
    std::unique_ptr<CompSequence> material = SplitAt(range.start);
    JoinWith(std::move(tail));
    return material;
}

std::unique_ptr<CompSequence> CompSequence::CopyRange(const DocRange& range) const {
    auto copy = std::make_unique<CompSequence>();
    const ParaComp* s = range.start.paragraph;
    const ParaComp* e = range.end.paragraph;
    const int32_t a = std::max(range.start.index, 1);
    const int32_t b = range.end.index;
    if (s == e) {
        copy->Append(NewParagraph(s->GetList(1)->CopyRange(a, b), s->GetStyle().GetKind()));
        return copy;
    }
    const CompList* first = s->GetList(1);
    copy->Append(NewParagraph(first->CopyRange(a, first->GetCount() + 1), s->GetStyle().GetKind()));
    // Paragraphs that were never laid out are found by a walk: once each end, not per step.
    for (int32_t k = IndexOf(s) + 1, last = IndexOf(e); k < last; ++k)
        copy->Append(OwnedPara(static_cast<ParaComp*>(GetAt(k)->Clone().release())));
    copy->Append(NewParagraph(e->GetList(1)->CopyRange(1, b), e->GetStyle().GetKind()));
    return copy;
}

namespace {

// A one-paragraph sequence of `document` whose paragraph holds `children`.
std::unique_ptr<CompSequence> Wrap(ParaDocument* document, CompArray children) {
    auto para = NewParagraph(std::move(children), ParaStyle::kParagraph);
    auto seq = std::make_unique<CompSequence>(document);
    seq->Append(std::move(para));
    return seq;
}

} // namespace

Material CompSequence::WrapAsSequence(ParaDocument* document, CompArray children) {
    Material material;
    material.sequence = Wrap(document, std::move(children));
    material.range.SelectContents(material.sequence->GetAt(1));
    return material;
}

Material CompSequence::WrapGridAsSequence(ParaDocument* document, OwnedComponent grid,
                                          bool columns) {
    const GridShape* shape = AsGrid(grid.get());
    if (shape == nullptr) throw std::invalid_argument("WrapGridAsSequence: not a grid box");
    TextComp* box = grid.get();
    const int32_t count = columns ? shape->GetColumnCount() : shape->GetRowCount();
    Material material;
    material.sequence = Wrap(document, CompArrayOf(std::move(grid)));
    material.range.start.SetOnGrid(box, 1, columns);
    material.range.end.SetOnGrid(box, count + 1, columns);
    return material;
}

Material CompSequence::WrapDerivativeAsSequence(ParaDocument* document, OwnedComponent derivative) {
    const DerivativeShape* shape = AsDerivative(derivative.get());
    if (shape == nullptr)
        throw std::invalid_argument("WrapDerivativeAsSequence: not a partial derivative");
    TextComp* box = derivative.get();
    const int32_t count = shape->GetDifferentialCount();
    Material material;
    material.sequence = Wrap(document, CompArrayOf(std::move(derivative)));
    material.range.start.SetInComponent(box, 1);
    material.range.end.SetInComponent(box, count + 1);
    return material;
}

Material CompSequence::WrapComponentAsSequence(ParaDocument* document, OwnedComponent component) {
    TextComp* comp = component.get();
    Material material;
    material.sequence = Wrap(document, CompArrayOf(std::move(component)));
    material.range.SelectComponent(comp);
    return material;
}

Material DocRange::ExtractContent() const {
    ParaDocument* document = start.paragraph != nullptr ? start.paragraph->GetDocument() : nullptr;
    switch (start.kind) {
    case DocPos::kInList: {
        if (!InOneParagraph()) {
            Material material;
            material.sequence = start.GetSequence()->CopyRange(*this);
            material.range = material.sequence->WholeRange();
            return material;
        }
        if (start.IsInParagraphList() && start.index == 0 && end.index == 1) {
            // The label: a new reference to the paragraph stands for it.
            if (RefSource* source = start.paragraph->GetNumberSource())
                return CompSequence::WrapComponentAsSequence(document,
                                                             OwnedComponent(new RefComp(*source)));
            return CompSequence::WrapAsSequence(document, CompArray());
        }
        return CompSequence::WrapAsSequence(
            document, start.GetList()->CopyRange(std::max(start.index, 1), end.index));
    }
    case DocPos::kOnGrid: {
        const GridShape* grid = AsGrid(start.GetBox());
        const int32_t last = end.index - 1;
        return CompSequence::WrapGridAsSequence(document,
                                                start.columns != 0
                                                    ? grid->CopyColumns(start.index, last)
                                                    : grid->CopyRows(start.index, last),
                                                start.columns != 0);
    }
    case DocPos::kOnVariable:
        return CompSequence::WrapDerivativeAsSequence(
            document, AsDerivative(start.GetBox())->CopyDifferentials(start.index, end.index - 1));
    default:
        return Material();
    }
}

DocPos DocRange::RemoveContent(Material& removed) {
    const DocPos where = start;
    ParaDocument* document = start.paragraph != nullptr ? start.paragraph->GetDocument() : nullptr;
    switch (start.kind) {
    case DocPos::kInList:
        if (!InOneParagraph()) {
            removed.sequence = start.GetSequence()->CutRange(*this);
            removed.range = removed.sequence->WholeRange();
        } else if (start.IsInParagraphList() && start.index == 0 && end.index == 1) {
            // Cutting the label takes nothing from the document.
            removed = ExtractContent();
        } else {
            const int32_t from = std::max(start.index, 1);
            removed = CompSequence::WrapAsSequence(
                document, start.GetList()->ExtractRange(from, end.index - 1));
        }
        break;
    case DocPos::kOnGrid: {
        GridShape* grid = AsGrid(start.GetBox());
        const bool columns = start.columns != 0;
        const int32_t last = end.index - 1;
        removed = CompSequence::WrapGridAsSequence(document,
                                                   columns ? grid->RemoveColumns(start.index, last)
                                                           : grid->RemoveRows(start.index, last),
                                                   columns);
        break;
    }
    case DocPos::kOnVariable:
        removed = CompSequence::WrapDerivativeAsSequence(
            document,
            AsDerivative(start.GetBox())->RemoveDifferentials(start.index, end.index - 1));
        break;
    default:
        removed = Material();
        return where;
    }
    *this = removed.range;
    return where;
}

namespace {

// Whether `source`'s rows (or columns) fit a grid box `target`: the same kind, and as many
// columns per row (rows per column). A grid emptied of every row or column has no size left to
// match, so any cells of its kind fit it; otherwise undoing that removal would lose them.
bool GridFits(const TextComp* source, const TextComp* target, bool columns) {
    const GridShape* from = AsGrid(source);
    const GridShape* into = AsGrid(target);
    if (from == nullptr || into == nullptr || source->GetTypeTag() != target->GetTypeTag())
        return false;
    if (into->GetColumnCount() == 0) return from->GetColumnCount() > 0;
    return columns ? from->GetRowCount() == into->GetRowCount()
                   : from->GetColumnCount() == into->GetColumnCount();
}

// The grid material stands for: grid rows or columns, or a sole grid box in a list.
const TextComp* MaterialGrid(const Material& material) {
    const TextComp* sole = SoleComponent(material);
    return AsGrid(sole) != nullptr ? sole : nullptr;
}

const TextComp* MaterialDerivative(const Material& material) {
    const TextComp* sole = SoleComponent(material);
    return AsDerivative(sole) != nullptr ? sole : nullptr;
}

// Whether the material fits at a boundary: grid material of the boundary's orientation and
// size (rows of a sole grid count at either), or derivative variables.
bool FitsBoundary(const Material& material, const DocPos& at) {
    const DocPos& m = material.range.start;
    if (at.kind == DocPos::kOnGrid) {
        const bool columns = at.columns != 0;
        if (m.kind == DocPos::kOnGrid && (m.columns != 0) != columns) return false;
        return GridFits(MaterialGrid(material), at.GetBox(), columns);
    }
    if (at.kind == DocPos::kOnVariable) return MaterialDerivative(material) != nullptr;
    return false;
}

} // namespace

bool DocRange::CanInsertContent(const Material& material) const {
    if (material.IsEmpty()) return false;
    const DocPos& m = material.range.start;
    switch (start.kind) {
    case DocPos::kInList: {
        if (m.kind == DocPos::kInList) return true;
        const TextComp* single = GetSingleComponent();
        if (m.kind == DocPos::kOnGrid)
            return single != nullptr && GridFits(m.GetBox(), single, m.columns != 0);
        return m.kind == DocPos::kOnVariable && AsDerivative(single) != nullptr;
    }
    case DocPos::kOnGrid:
    case DocPos::kOnVariable:
        return FitsBoundary(material, start);
    default:
        return false;
    }
}

DocRange Material::MoveInto(const DocPos& target) {
    if (sequence == nullptr) throw std::invalid_argument("Material::MoveInto: no material");
    DocRange placed;
    const DocPos& m = range.start;
    if (target.kind == DocPos::kInList) {
        CompList* into = target.GetList();
        if (m.kind == DocPos::kInList && !range.InOneParagraph()) {
            CompSequence* seq = target.GetSequence();
            if (seq == nullptr) throw std::invalid_argument("Material::MoveInto: no sequence");
            placed.start = target;
            placed.end = seq->InsertSequenceAt(std::move(sequence), target);
            return placed;
        }
        // List material moves all its children; a grid or derivative moves whole.
        CompList* from = m.kind == DocPos::kInList ? m.GetList() : m.GetBox()->GetParent();
        CompArray children = from->DetachChildren();
        const int32_t n = children.GetCount();
        into->InsertArrayAt(std::move(children), target.index);
        placed.Set(into, target.index, target.index + n);
    } else if (FitsBoundary(*this, target)) {
        TextComp* box = const_cast<TextComp*>(SoleComponent(*this));
        CompList* holder = box->GetParent();
        OwnedComponent taken = holder->RemoveAt(holder->IndexOf(box));
        if (target.kind == DocPos::kOnGrid) {
            const bool columns = target.columns != 0;
            const GridShape* shape = AsGrid(box);
            const int32_t n = columns ? shape->GetColumnCount() : shape->GetRowCount();
            GridShape* grid = AsGrid(target.GetBox());
            if (columns)
                grid->InsertColumnsFrom(std::move(taken), target.index);
            else
                grid->InsertRowsFrom(std::move(taken), target.index);
            placed.start.SetOnGrid(target.GetBox(), target.index, columns);
            placed.end.SetOnGrid(target.GetBox(), target.index + n, columns);
        } else {
            const int32_t n = AsDerivative(box)->GetDifferentialCount();
            AsDerivative(target.GetBox())->InsertDifferentialsFrom(target.index, std::move(taken));
            placed.start.SetInComponent(target.GetBox(), target.index);
            placed.end.SetInComponent(target.GetBox(), target.index + n);
        }
    } else {
        throw std::invalid_argument("Material::MoveInto: the material does not fit there");
    }
    sequence.reset();
    range = DocRange();
    return placed;
}
