#include "document/DocRange.h"

#include "document/BoxShapes.h"
#include "document/CompList.h"
#include "document/CompSequence.h"
#include "document/DrawPort.h"
#include "document/ParaComp.h"
#include "document/TextComp.h"

#include <algorithm>
#include <vector>

namespace {

// Links, references and pictures stand in the text around them and have no face of their own
// (they answer the math face as every box does): typing beside them goes on in the face of
// what surrounds them.
bool HasFaceOfItsOwn(const TextComp& comp) {
    const TypeTag tag = comp.GetTypeTag();
    return !(tag == tags::Link || tag == tags::Reference || tag == tags::Metafile);
}

// The one face of the components from..to (exclusive) that have a face of their own; -1 when
// they differ, or none has one.
int32_t SharedFace(const CompList& list, int32_t from, int32_t to) {
    int32_t shared = -1;
    for (int32_t i = from; i < to; ++i) {
        const TextComp* comp = list.GetAt(i);
        if (comp == nullptr) return -1;
        if (!HasFaceOfItsOwn(*comp)) continue;
        if (shared >= 0 && comp->GetStyleId() != shared) return -1;
        shared = comp->GetStyleId();
    }
    return shared;
}

// The nearest component before gap `index` that has a face of its own; null when none.
const TextComp* FaceBefore(const CompList& list, int32_t index) {
    for (int32_t i = std::min(index, list.GetCount() + 1) - 1; i >= 1; --i)
        if (HasFaceOfItsOwn(*list.GetAt(i))) return list.GetAt(i);
    return nullptr;
}

// From the paragraph down to the position's own list (kind 1) or box (kinds 2 and 3): odd
// places (from 1) hold components, even places lists. Empty when the walk meets no paragraph.
std::vector<const void*> PathOf(const DocPos& pos) {
    std::vector<const void*> path;
    const TextComp* comp = pos.GetBox();
    if (pos.kind == DocPos::kInList) {
        const CompList* list = pos.GetList();
        if (list == nullptr) return {};
        path.push_back(list);
        comp = list->GetOwner();
    }
    while (comp != nullptr) {
        path.push_back(comp);
        if (comp->GetTypeTag() == tags::Paragraph) {
            std::reverse(path.begin(), path.end());
            return path;
        }
        const CompList* parent = comp->GetParent();
        if (parent == nullptr) break;
        path.push_back(parent);
        comp = parent->GetOwner();
    }
    return {};
}

// A position's place inside the deepest common component or list: its number there and
// whether it reaches into a component (1) or lies on the boundary itself (0).
struct Reach {
    int32_t number;
    int32_t extension;
};

Rect UnionOf(const Rect& a, const Rect& b) {
    return Rect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom));
}

bool IsLabelRange(const DocRange& r) {
    return r.start.IsInParagraphList() && r.InOneParagraph() && r.start.index == 0 &&
           r.end.index == 1;
}

} // namespace

void DocRange::Assign(const DocPos& a, const DocPos& b) {
    start.Clear();
    end.Clear();
    if (a.kind == DocPos::kNone || b.kind == DocPos::kNone) return;
    if (a.IsSameContainer(b)) {
        const bool forward = a.IsBefore(b) || a.IsEqual(b);
        start = forward ? a : b;
        end = forward ? b : a;
        if (start.kind == DocPos::kInList && start.index == 0 && end.index > 1) start.index = 1;
        return;
    }
    const std::vector<const void*> pa = PathOf(a);
    const std::vector<const void*> pb = PathOf(b);
    if (pa.empty() || pb.empty()) return;
    size_t common = 0;
    while (common < pa.size() && common < pb.size() && pa[common] == pb[common])
        ++common;

    if (common == 0) {
        CompSequence* seq = a.GetSequence();
        if (seq == nullptr || seq != b.GetSequence()) return;
        const bool aFirst = seq->IndexOf(a.paragraph) < seq->IndexOf(b.paragraph);
        const DocPos& first = aFirst ? a : b;
        const DocPos& last = aFirst ? b : a;
        const int32_t from = std::max(first.TopLevelIndex(true), 1);
        const int32_t to =
            std::max(last.TopLevelIndex(true) + (last.IsInParagraphList() ? 0 : 1), 1);
        start.SetAt(first.paragraph->GetList(1), from);
        end.SetAt(last.paragraph->GetList(1), to);
        return;
    }

    if (common % 2 == 0) {
        CompList* list = const_cast<CompList*>(static_cast<const CompList*>(pa[common - 1]));
        auto reach = [&](const DocPos& p, const std::vector<const void*>& path) {
            if (path.size() > common)
                return Reach{list->IndexOf(static_cast<const TextComp*>(path[common])), 1};
            return Reach{p.index, 0};
        };
        Reach ra = reach(a, pa);
        Reach rb = reach(b, pb);
        if (ra.number < rb.number + rb.extension) {
            if (ra.number == 0 && rb.number + rb.extension > 1) ra.number = 1;
            Set(list, ra.number, rb.number + rb.extension);
        } else {
            if (rb.number == 0 && ra.number + ra.extension > 1) rb.number = 1;
            Set(list, rb.number, ra.number + ra.extension);
        }
        return;
    }

    TextComp* box = const_cast<TextComp*>(static_cast<const TextComp*>(pa[common - 1]));
    if (const GridShape* grid = AsGrid(box)) {
        struct Cell {
            int32_t column = 0, row = 0, extension = 0;
            bool inCell = false;
            bool columns = false;
        };
        auto cellOf = [&](const DocPos& p, const std::vector<const void*>& path) {
            Cell c;
            if (path.size() > common) {
                grid->FindCell(static_cast<const CompList*>(path[common]), c.column, c.row);
                c.extension = 1;
                c.inCell = true;
            } else {
                c.columns = p.columns != 0;
                (c.columns ? c.column : c.row) = p.index;
            }
            return c;
        };
        const Cell ca = cellOf(a, pa);
        const Cell cb = cellOf(b, pb);
        bool columns;
        if (ca.inCell && cb.inCell) {
            const TypeTag tag = box->GetTypeTag();
            columns = ca.column == cb.column && (tag == tags::Matrix || tag == tags::Table);
        } else if (ca.inCell != cb.inCell) {
            columns = ca.inCell ? cb.columns : ca.columns;
        } else if (ca.columns == cb.columns) {
            columns = ca.columns;
        } else {
            start = PosBefore(box);
            end = start;
            return;
        }
        const int32_t c = columns ? ca.column : ca.row;
        const int32_t d = columns ? cb.column : cb.row;
        if (c + ca.extension > d) {
            start.SetOnGrid(box, d, columns);
            end.SetOnGrid(box, c + ca.extension, columns);
        } else {
            start.SetOnGrid(box, c, columns);
            end.SetOnGrid(box, d + cb.extension, columns);
        }
        return;
    }
    if (const DerivativeShape* derivative = AsDerivative(box)) {
        auto reach = [&](const DocPos& p, const std::vector<const void*>& path) {
            if (path.size() > common)
                return Reach{
                    derivative->IndexOfDifferential(static_cast<const CompList*>(path[common])), 1};
            return Reach{p.index, 0};
        };
        const Reach v = reach(a, pa);
        const Reach w = reach(b, pb);
        if (v.number == 0 || w.number == 0) {
            SelectComponent(box);
        } else if (w.number < v.number + v.extension) {
            start.SetInComponent(box, w.number);
            end.SetInComponent(box, v.number + v.extension);
        } else {
            start.SetInComponent(box, v.number);
            end.SetInComponent(box, w.number + w.extension);
        }
        return;
    }
    start = PosBefore(box);
    end = start;
}

void DocRange::SelectList(CompList* list) {
    Set(list, 1, list->GetCount() + 1);
}

void DocRange::SelectComponent(const TextComp* comp) {
    start = PosBefore(comp);
    end = PosAfter(comp);
}

void DocRange::SelectContents(const TextComp* comp) {
    SelectList(comp->GetList(1));
}

bool DocRange::IsInnerSpanInTextParagraph() const {
    return start.kind == DocPos::kInList && start.paragraph != nullptr && InOneParagraph() &&
           start.paragraph->IsEquation() && 0 < start.index && start.index < end.index;
}

TextComp* DocRange::GetSingleComponent() const {
    if (start.kind != DocPos::kInList || !start.IsSameContainer(end)) return nullptr;
    if (start.index < 1 || end.index != start.index + 1) return nullptr;
    return start.GetComponent();
}

bool DocRange::Contains(const DocPos& p) const {
    if (p.IsEqual(start)) return false;
    DocRange probe;
    probe.Assign(start, p);
    return probe.start.IsEqual(start) && (probe.end.IsEqual(end) || probe.end.IsBefore(end));
}

bool DocRange::ContainsPoint(Point pt) const {
    return GetHighlightRegion().PtInRegion(pt);
}

bool DocRange::AllParagraphsHaveStyle(int32_t style) const {
    const std::vector<CompList*> lists = CollectParagraphLists();
    return !lists.empty() && std::all_of(lists.begin(), lists.end(), [style](CompList* list) {
        return list->GetOwner()->GetParagraph()->GetStyle().GetKind() == style;
    });
}

std::vector<CompList*> DocRange::CollectParagraphLists() const {
    std::vector<CompList*> lists;
    const CompSequence* seq = start.GetSequence();
    if (seq == nullptr) return lists;
    for (int32_t k = seq->IndexOf(start.paragraph); k >= 1 && k <= seq->IndexOf(end.paragraph); ++k)
        lists.push_back(seq->GetAt(k)->GetList(1));
    return lists;
}

int32_t DocRange::GetTextStyle() const {
    // The numbers below are faces (5, 6 and 7 fold onto the text styles they stand in for). A
    // paragraph answers with the face of its ordinary characters, not its style number: typed
    // into an empty equation, a letter must start in the math face like the rest of it.
    int32_t style = ParaStyle::kParagraph;
    if (start.kind == DocPos::kInList && start.paragraph != nullptr && !InOneParagraph()) {
        style = start.paragraph->GetStyle().GetTextFace();
    } else if (start.kind == DocPos::kInList && InOneParagraph() && start.index >= 1) {
        const CompList& list = *start.GetList();
        if (const int32_t selected = SharedFace(list, start.index, end.index); selected >= 0) {
            style = selected;
        } else if (const TextComp* before = FaceBefore(list, start.index)) {
            style = before->GetStyleId();
        } else if (start.IsInParagraphList()) {
            style = start.paragraph->GetStyle().GetTextFace();
        }
    }
    switch (style) {
    case 5:
        return 0;
    case 6:
        return 2;
    case 7:
        return 3;
    default:
        return style;
    }
}

void DocRange::ApplyStyle(int32_t face) {
    if (!HasExtent()) return;
    switch (start.kind) {
    case DocPos::kInList: {
        if (InOneParagraph()) {
            start.GetList()->ApplyStyle(face, std::max(start.index, 1), end.index);
            return;
        }
        const std::vector<CompList*> lists = CollectParagraphLists();
        for (size_t k = 0; k < lists.size(); ++k) {
            const int32_t from = k == 0 ? std::max(start.index, 1) : 1;
            const int32_t to = k + 1 == lists.size() ? end.index : lists[k]->GetCount() + 1;
            lists[k]->ApplyStyle(face, from, to);
        }
        return;
    }
    case DocPos::kOnGrid: {
        const GridShape* grid = AsGrid(start.GetBox());
        if (grid == nullptr) return;
        const bool columns = start.columns != 0;
        const int32_t across = columns ? grid->GetRowCount() : grid->GetColumnCount();
        for (int32_t k = start.index; k < end.index; ++k)
            for (int32_t m = 1; m <= across; ++m) {
                CompList* cell = columns ? grid->GetCell(k, m) : grid->GetCell(m, k);
                cell->ApplyStyle(face, 1, cell->GetCount() + 1);
            }
        return;
    }
    case DocPos::kOnVariable: {
        const DerivativeShape* derivative = AsDerivative(start.GetBox());
        if (derivative == nullptr) return;
        for (int32_t k = start.index; k < end.index; ++k)
            for (int32_t n = 1; n <= 2; ++n)
                if (CompList* list = derivative->GetDifferential(k)->GetList(n))
                    list->ApplyStyle(face, 1, list->GetCount() + 1);
        return;
    }
    default:
        return;
    }
}

void DocRange::TrimBlanks() {
    if (start.kind != DocPos::kInList || !start.IsSameContainer(end) || !HasExtent()) return;
    auto isBlank = [](const TextComp* comp) {
        return comp != nullptr && comp->GetTypeTag() == tags::Char && comp->GetCharCode() == ' ';
    };
    const CompList* list = start.GetList();
    while (isBlank(list->GetAt(end.index - 1)) && end.index > start.index + 1)
        end.Retreat();
    while (isBlank(list->GetAt(start.index)) && start.index < end.index)
        start.Advance();
    if (start.index >= end.index) end = start;
}

Rect DocRange::GetBounds() const {
    // Nested lists and boxes lie where their paragraph was placed.
    for (const ParaComp* para : {start.paragraph, end.paragraph})
        if (para != nullptr) para->EnsurePlaced();
    if (IsLabelRange(*this)) return start.paragraph->GetPositionRect(start);
    switch (start.kind) {
    case DocPos::kInList: {
        CompList* list = start.GetList();
        if (!HasExtent()) {
            Rect caret = start.IsInParagraphList() ? start.paragraph->GetPositionRect(start)
                                                   : list->GetCaretRect(start.index);
            if (list->GetCount() == 0 && start.IsInParagraphList()) {
                DrawPort& port = *gDrawPort.Get();
                switch (start.paragraph->GetStyle().GetKind()) {
                case ParaStyle::kTitle:
                case ParaStyle::kPlainEquation:
                    caret.left = (port.GetLeftMargin() + port.GetColumnWidth()) / 2;
                    break;
                case ParaStyle::kNumberedEquation:
                    caret.left = (port.GetLeftMargin() + port.GetRightEdge()) / 2;
                    break;
                default:
                    break; // the list's own caret stands at the style's indent
                }
            } else if (list->GetCount() == 0) {
                if (caret.Height() == 0) {
                    SizeGuard size(static_cast<int8_t>(list->GetSizeLevel()));
                    caret.top += gDrawPort->GetPlaceholderBox().top;
                } else {
                    caret.left = (caret.left + caret.right) / 2;
                }
            }
            caret.right = caret.left + 1;
            return caret;
        }
        if (!InOneParagraph()) {
            const Rect first = start.paragraph->GetPositionRect(start);
            const Rect last = end.paragraph->GetPositionRect(end);
            return Rect(gDrawPort->GetLeftMargin(), first.top, gDrawPort->GetColumnWidth(),
                        last.bottom);
        }
        // From the first selected component to the last, not to the one after it.
        const Rect first = list->GetCaretRect(std::max(start.index, 1));
        const Rect last = list->GetCaretRect(std::max(end.index - 1, 1));
        return UnionOf(first, last).Intersection(list->GetGlobalBounds());
    }
    case DocPos::kOnGrid: {
        const GridShape* grid = AsGrid(start.GetBox());
        if (grid == nullptr) return {};
        const bool columns = start.columns != 0;
        auto band = [&](int32_t k) {
            return columns ? grid->GetColumnRect(k) : grid->GetRowRect(k);
        };
        if (!HasExtent()) {
            Rect gap = band(start.index);
            if (columns) {
                gap.left -= 2;
                gap.right = gap.left + 1;
            } else {
                gap.top -= 2;
                gap.bottom = gap.top + 1;
            }
            return gap;
        }
        return UnionOf(band(start.index), band(end.index - 1));
    }
    case DocPos::kOnVariable: {
        const DerivativeShape* derivative = AsDerivative(start.GetBox());
        if (derivative == nullptr) return {};
        if (!HasExtent()) {
            Rect gap = derivative->GetDifferentialRect(start.index);
            gap.right = gap.left + 1;
            return gap;
        }
        return UnionOf(derivative->GetDifferentialRect(start.index),
                       derivative->GetDifferentialRect(end.index - 1));
    }
    default:
        return {};
    }
}

Region DocRange::GetHighlightRegion() const {
    if (!HasExtent() || !start.IsInParagraphList() || IsLabelRange(*this))
        return Region(GetBounds());
    // The rectangles of the first and the last selected component. A range over paragraphs
    // may select nothing of its last one: then the last rectangle is the caret before it.
    const Rect first = start.paragraph->GetPositionRect(start);
    Rect last = end.paragraph->GetPositionRect(end);
    if (end.index > 1) {
        DocPos lastSelected = end;
        lastSelected.Retreat();
        last = end.paragraph->GetPositionRect(lastSelected);
    } else {
        last.right = last.left;
    }
    if (first.top == last.top) return Region(UnionOf(first, last));
    const int32_t left = gDrawPort->GetLeftMargin();
    const int32_t right = gDrawPort->GetColumnWidth();
    Region region(Rect(first.left, first.top, right, first.bottom));
    if (first.bottom < last.top)
        region.UnionWith(Region(Rect(left, first.bottom, right, last.top)));
    region.UnionWith(Region(Rect(left, last.top, last.right, last.bottom)));
    return region;
}

int32_t DocRange::KeyToCommand(int32_t key, bool shift, bool ctrl) const {
    constexpr int32_t kBackspace = 8, kTab = 9, kLineFeed = 10, kReturn = 13;
    auto orNone = [](int32_t code) { return code != 0 ? code : editcode::kNoEdit; };
    if (start.kind == DocPos::kNone) return editcode::kNoEdit;
    if (!HasExtent()) {
        if (key == kBackspace || key == kTab || key == kLineFeed || key == kReturn) {
            TextComp* inner = start.FindEnclosing(tags::Null);
            return inner != nullptr ? orNone(inner->HandleKey(start, key, shift, ctrl))
                                    : editcode::kNoEdit;
        }
        return start.kind == DocPos::kInList ? editcode::kInsertCharacter : editcode::kNoEdit;
    }
    auto beyond = [&](int32_t count) {
        return end.index <= count ? editcode::kBoundaryNext : editcode::kBoundaryBeyond;
    };
    switch (start.kind) {
    case DocPos::kInList: {
        if (key == kBackspace) {
            const TextComp* single = InOneParagraph() ? GetSingleComponent() : nullptr;
            return single != nullptr && single->IsPositionTarget() ? editcode::kDeleteComponent
                                                                   : editcode::kDeleteBefore;
        }
        if (start.IsInParagraphList() && key == kTab) return editcode::kInsertTab;
        if (start.IsInParagraphList() && key == kReturn)
            return ctrl ? editcode::kSplitParagraphFlagged : editcode::kSplitParagraph;
        TextComp* owner = start.GetList()->GetOwner();
        return owner != nullptr ? orNone(owner->HandleKey(start, key, shift, ctrl))
                                : editcode::kNoEdit;
    }
    case DocPos::kOnGrid: {
        const GridShape* grid = AsGrid(start.GetBox());
        if (key == kBackspace) return editcode::kDeleteBefore;
        if (grid != nullptr && start.columns == 1 && key == kTab)
            return ctrl ? editcode::kInsertColumn : beyond(grid->GetColumnCount());
        if (grid != nullptr && start.columns == 0 && key == kReturn)
            return ctrl ? editcode::kInsertRow : beyond(grid->GetRowCount());
        return editcode::kNoEdit;
    }
    case DocPos::kOnVariable: {
        const DerivativeShape* derivative = AsDerivative(start.GetBox());
        if (key == kBackspace) return editcode::kDeleteBefore;
        if (derivative != nullptr && key == kTab)
            return ctrl ? editcode::kInsertVariable : beyond(derivative->GetDifferentialCount());
        return editcode::kNoEdit;
    }
    default:
        return editcode::kNoEdit;
    }
}
