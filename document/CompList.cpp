#include "document/CompList.h"

#include "document/CharBlock.h"
#include "document/DocStream.h"
#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "document/LatexWriter.h"
#include "document/Layout.h"
#include "document/ListParser.h"
#include "document/RunFactory.h"
#include "document/TextComp.h"
#include "mathbox/CharTable.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int32_t kTextFace = 0;

bool IsChar(const TextComp* comp) {
    return comp != nullptr && !comp->IsNotChar();
}

// Characters are classified by their stored code: the face decides which map turns the byte
// into a table index.
int32_t ClassOf(const TextComp& ch, int32_t face) {
    return CharInfoFor(ch.GetCharCode(), face).charClass;
}

} // namespace

CompList::CompList() = default;

CompList::CompList(CompArray&& children) : m_children(children.ReleaseAll()) {
    for (TextComp* child : m_children)
        Adopt(child);
}

CompList::CompList(const Str255& text, int32_t face) {
    for (int32_t i = 0; i < text.GetLength(); ++i)
        if (TextComp* glyph = gGlyphSource->GetGlyph(face, text.GetAt(i))) m_children.Add(glyph);
}

CompList::~CompList() {
    DeleteRuns();
    for (TextComp* child : m_children)
        child->Destroy();
    if (m_packed != nullptr)
        for (TextComp* comp : m_packed->components)
            comp->Destroy();
}

void CompList::CheckPosition(int32_t i, int32_t last, const char* operation) const {
    if (i < 1 || i > last)
        throw std::out_of_range(std::string(operation) + ": position " + std::to_string(i) +
                                " outside 1 to " + std::to_string(last));
}

int32_t CompList::IndexOf(const TextComp* comp) const {
    const PtrArray<TextComp>& items = Items();
    const auto found = std::find(items.begin(), items.end(), comp);
    return found == items.end() ? 0 : static_cast<int32_t>(found - items.begin()) + 1;
}

// A list inside a box changes the box's size: the owners up to the paragraph are laid out again
// too, or text typed into a box would not show.
void CompList::Adopt(TextComp* comp) {
    comp->SetParent(this);
    comp->SetSizeLevel(m_sizeLevel);
    InvalidateLayout();
}

void CompList::Release(TextComp* comp) {
    if (comp->GetParent() == this) comp->SetParent(nullptr);
    InvalidateLayout();
}

void CompList::Append(TextComp* comp) {
    Items().Add(comp);
    Adopt(comp);
}

void CompList::InsertAt(TextComp* comp, int32_t i) {
    CheckPosition(i, GetCount() + 1, "InsertAt");
    Items().InsertAt(i - 1, comp);
    Adopt(comp);
}

void CompList::InsertArrayAt(CompArray&& array, int32_t i) {
    CheckPosition(i, GetCount() + 1, "InsertArrayAt");
    // Room first: once the array gives its components up, nothing may fail.
    Items().Reserve(GetCount() + array.GetCount());
    const PtrArray<TextComp> taken = array.ReleaseAll();
    // One move of the children after i, not one per inserted component: pasting a long run into
    // a long list stays linear.
    Items().InsertAll(i - 1, taken);
    for (TextComp* comp : taken)
        Adopt(comp);
}

OwnedComponent CompList::SetAt(TextComp* comp, int32_t i) {
    CheckPosition(i, GetCount() + 1, "SetAt");
    if (i == GetCount() + 1) {
        Append(comp);
        return nullptr;
    }
    OwnedComponent old(Items().GetAt(i - 1));
    Items().SetAt(i - 1, comp);
    Release(old.get());
    Adopt(comp);
    return old;
}

OwnedComponent CompList::RemoveAt(int32_t i) {
    CheckPosition(i, GetCount(), "RemoveAt");
    OwnedComponent comp(Items().RemoveAt(i - 1));
    Release(comp.get());
    return comp;
}

CompArray CompList::ExtractRange(int32_t from, int32_t to) {
    if (to < from) return CompArray();
    CheckPosition(from, GetCount(), "ExtractRange");
    CheckPosition(to, GetCount(), "ExtractRange");
    CompArray taken = CompArray::Adopt(Items().RemoveRange(from - 1, to - from + 1));
    for (TextComp* comp : taken)
        Release(comp);
    return taken;
}

CompArray CompList::SplitOff(int32_t from) {
    if (from > GetCount()) return CompArray();
    return ExtractRange(from, GetCount());
}

CompArray CompList::DetachChildren() {
    PtrArray<TextComp> fresh;
    for (TextComp* child : Items())
        Release(child);
    return CompArray::Adopt(std::exchange(Items(), std::move(fresh)));
}

CompArray CompList::CopyRange(int32_t from, int32_t to) const {
    CompArray copy;
    if (to <= from) return copy;
    CheckPosition(from, GetCount(), "CopyRange");
    CheckPosition(to, GetCount() + 1, "CopyRange");
    copy.Reserve(to - from);
    for (int32_t i = from; i < to; ++i)
        copy.Add(Items().GetAt(i - 1)->Clone());
    return copy;
}

CompArray CompList::CopyChildren() const {
    return CopyRange(1, GetCount() + 1);
}

std::unique_ptr<CompList> CompList::Clone() const {
    return std::make_unique<CompList>(CopyChildren());
}

Str255 CompList::GetText() const {
    Str255 text;
    for (const TextComp* child : Items())
        if (IsChar(child)) text.AppendChar(static_cast<char>(child->GetCharCode()));
    return text;
}

bool CompList::HasSpaceOrSignAfterFirst() const {
    for (int32_t i = 2; i <= GetCount(); ++i) {
        const uint8_t code = Items().GetAt(i - 1)->GetCharCode();
        if (code == ' ' || code == '+' || code == '-' || code == '/') return true;
    }
    return false;
}

bool CompList::IsEqual(const CompList& other) const {
    if (GetCount() != other.GetCount()) return false;
    for (int32_t i = 0; i < GetCount(); ++i)
        if (!Items().GetAt(i)->IsEqual(*other.Items().GetAt(i))) return false;
    return true;
}

void CompList::ApplyStyle(int32_t face, int32_t from, int32_t to) {
    for (int32_t i = std::max(from, 1); i < to && i <= GetCount(); ++i) {
        TextComp* child = Items().GetAt(i - 1);
        if (!IsChar(child)) {
            child->ApplyStyle(face);
        } else if (child->GetStyleId() != face) {
            if (TextComp* glyph = gGlyphSource->GetGlyph(face, child->GetCharCode()))
                SetAt(glyph, i); // the old character is shared: disposing of it does nothing
        }
    }
    m_needsLayout = true;
}

void CompList::SetSizeLevel(uint8_t level) {
    m_sizeLevel = level;
    // Characters keep no size of their own: a packed list tells only its components.
    for (TextComp* child : m_children)
        child->SetSizeLevel(level);
    if (m_packed != nullptr)
        for (TextComp* comp : m_packed->components)
            comp->SetSizeLevel(level);
    m_needsLayout = true;
}

void CompList::SetOwner(TextComp* owner, int32_t mode) {
    m_owner = owner;
    m_placeholderMode = mode;
}

void CompList::InvalidateLayout() {
    m_needsLayout = true;
    if (m_owner != nullptr) m_owner->InvalidateLayout();
}

void CompList::InvalidateAll() {
    for (TextComp* child : m_children)
        child->InvalidateAll();
    if (m_packed != nullptr)
        for (TextComp* comp : m_packed->components)
            comp->InvalidateAll();
    m_needsLayout = true;
}

void CompList::DeleteRuns() {
    m_runs = RunArray();
}

void CompList::AddRunToBounds(const ::Layout& run) {
    const Rect& box = run.GetBox();
    m_bounds.top = std::min(m_bounds.top, box.top);
    m_bounds.bottom = std::max(m_bounds.bottom, box.bottom);
    m_bounds.right += box.Width();
}

void CompList::Layout(int16_t maxWidth) {
    if (!m_needsLayout && !m_runs.IsEmpty()) return;
    SizeGuard size(m_sizeLevel);
    DeleteRuns();
    try {
        if (GetCount() == 0) {
            m_runs.Add(gRunFactory->NewPlaceholder(this, m_placeholderMode));
            m_runs.GetAt(0)->Measure();
            m_bounds = m_runs.GetAt(0)->GetBox();
        } else {
            m_bounds = Rect();
            ::Layout* current = nullptr;
            for (int32_t i = 1; i <= GetCount(); ++i) {
                TextComp* child = Items().GetAt(i - 1);
                if (current != nullptr && IsChar(child) &&
                    current->AddChar(child->GetCharCode(), child->GetStyleId()))
                    continue;
                if (current != nullptr) {
                    current->Measure();
                    AddRunToBounds(*current);
                }
                std::unique_ptr<::Layout> run = NewRunFor(this, i, child);
                current = run.get();
                m_runs.Add(std::move(run));
            }
            current->Measure();
            AddRunToBounds(*current);
        }
        if (m_bounds.Width() > maxWidth) {
            DeleteRuns();
            m_runs.Add(gRunFactory->NewGray(this));
            m_runs.GetAt(0)->Measure();
            m_bounds = m_runs.GetAt(0)->GetBox();
        }
    } catch (...) {
        DeleteRuns();
        m_needsLayout = true;
        throw;
    }
    m_frame = m_bounds;
    m_placed = true;
}

void CompList::LayoutToPage() {
    const int32_t width = gDrawPort->GetColumnWidth() - gDrawPort->GetLeftMargin();
    Layout(static_cast<int16_t>(std::clamp<int32_t>(width, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max())));
}

void CompList::SetOrigin(Point point) {
    if (point == m_origin && !m_needsLayout) return;
    m_origin = Point(point.x - m_bounds.left, point.y);
    // All runs share the list's full height and one baseline.
    Point pen = m_origin;
    for (::Layout* run : m_runs) {
        Rect box = run->GetLineBox();
        box.top = m_bounds.top;
        box.bottom = m_bounds.bottom;
        run->SetLineBox(box);
        run->SetOrigin(pen);
        pen.x += run->GetWidth();
    }
    m_needsLayout = false;
    m_placed = false;
}

void CompList::OffsetOrigin(Point delta) {
    m_origin.x += delta.x;
    m_origin.y += delta.y;
    for (::Layout* run : m_runs)
        run->Offset(delta);
}

RunArray CompList::DetachRuns() {
    return std::exchange(m_runs, RunArray());
}

void CompList::StretchRuns(const Rect& rect) {
    for (int32_t k = 0; k < m_runs.GetCount(); ++k) {
        ::Layout* run = m_runs.GetAt(k);
        const Rect frame = run->GetFrame();
        Rect box = run->GetLineBox();
        box.top += rect.top - frame.top;
        box.bottom += rect.bottom - frame.bottom;
        if (k == 0) box.left += rect.left - frame.left;
        if (k == m_runs.GetCount() - 1) box.right += rect.right - frame.right;
        run->SetLineBox(box);
    }
}

void CompList::Draw() {
    SizeGuard size(m_sizeLevel);
    for (::Layout* run : m_runs)
        run->Draw();
}

::Layout* CompList::RunAtX(int32_t x) const {
    for (::Layout* run : m_runs)
        if (run->GetFrame().right >= x) return run;
    return nullptr;
}

TextComp* CompList::FindAt(Point point) {
    ::Layout* run = RunAtX(point.x);
    if (run == nullptr) return nullptr;
    SizeGuard size(m_sizeLevel);
    return run->ComponentAtPoint(point);
}

DocPos CompList::PosFromPoint(Point point, bool rightHalf) {
    DocPos pos;
    if (::Layout* run = RunAtX(point.x)) {
        SizeGuard size(m_sizeLevel);
        run->PosFromPoint(pos, point, rightHalf);
    } else {
        pos.SetAt(this, GetCount() + 1);
    }
    return pos;
}

Rect CompList::GetCaretRect(int32_t i) {
    if (GetCount() == 0) return GetGlobalBounds();
    if (i > GetCount()) {
        Rect r = GetCaretRect(GetCount());
        r.left = r.right;
        r.right = r.left + 1;
        return r;
    }
    if (const ::Layout* run = FindRunFor(i)) return run->GetCaretRect(i);
    // A blank that ended a broken line was dropped with its run: its caret stands at the right
    // edge of the run before it, not over the whole list.
    for (int32_t k = i - 1; k >= 1; --k)
        if (const ::Layout* before = FindRunFor(k)) {
            if (before->IsCharacterRun()) return before->GetCaretRect(before->GetEnd());
            Rect r = before->GetFrame();
            r.left = r.right = before->GetOrigin().x + before->GetBox().right;
            return r;
        }
    return GetGlobalBounds();
}

::Layout* CompList::FindRunFor(int32_t i) const {
    for (::Layout* run : m_runs)
        if (run->ContainsIndex(i)) return run;
    return nullptr;
}

DocRange CompList::WordRangeAt(int32_t i) {
    DocRange range;
    if (GetCount() == 0) {
        range.Set(this, 1, 1);
        return range;
    }
    const int32_t at = std::clamp(i > GetCount() ? i - 1 : i, 1, GetCount());
    const TextComp* child = GetAt(at);
    if (!IsChar(child)) {
        range.Set(this, at, at + 1);
        return range;
    }
    // Words are classified through the text map whatever the face.
    const int32_t cls = ClassOf(*child, kTextFace);
    auto sameClass = [&](int32_t k) {
        const TextComp* c = GetAt(k);
        return IsChar(c) && ClassOf(*c, kTextFace) == cls;
    };
    int32_t first = at;
    int32_t last = at;
    while (sameClass(first - 1))
        --first;
    while (sameClass(last + 1))
        ++last;
    range.Set(this, first, last + 1);
    return range;
}

ExprNode* CompList::ToExpression() {
    if (gListParser == nullptr) return nullptr;
    if (GetCount() == 0) return gListParser->NullSymbol(*this);
    return gListParser->Parse(*this, 1, GetCount() + 1);
}

void CompList::WriteLatex(LatexWriter& writer, bool withBraces, bool alignMode) {
    writer.BeginGroup(withBraces);
    if (alignMode) {
        // Relations are classified through the math map whatever the face.
        const bool hasRelation = std::any_of(Items().begin(), Items().end(), [](auto* c) {
            return IsChar(c) && ClassOf(*c, kMathFace) == CC_RELATION;
        });
        if (!hasRelation) writer.WriteRaw(" & & ");
    }
    for (TextComp* child : Items())
        writer.WriteComponentChar(*child, alignMode);
    writer.EndGroup(withBraces);
}

void CompList::WriteKernelInput(OutBuffer& out) {
    for (TextComp* child : Items())
        child->WriteText(out);
}

void CompList::Write(DocStream& stream) const {
    // Characters are packed into blocks by the stream; the chunk's count is of records.
    stream.BeginChunk();
    stream.WriteComponents({Items().begin(), Items().end()});
    stream.EndChunk();
}

void CompList::Read(DocStream& stream) {
    if (GetCount() > 0) {
        // Read apart and joined at the end, in one move: a read that fails leaves the list as
        // it was, and what it read so far is disposed of with the other list.
        CompList read;
        read.Read(stream);
        InsertArrayAt(read.DetachChildren(), GetCount() + 1);
        m_needsLayout = true;
        return;
    }
    const int32_t count = stream.ReadLong();
    if (count < 0) stream.Fail();
    std::vector<uint16_t> items;
    std::vector<OwnedComponent> owned;
    for (int32_t k = 0; k < count; ++k) {
        OwnedComponent comp = stream.ReadComponent();
        if (comp == nullptr) continue;
        if (!comp->IsCharBlock()) {
            items.push_back(Packed::kComponent);
            owned.push_back(std::move(comp));
            continue;
        }
        static_cast<const CharBlock&>(*comp).AppendPacked(items);
    }
    m_needsLayout = true;
    if (items.empty()) return;
    auto packed = std::make_unique<Packed>();
    // A block of just its size: a long document is mostly these.
    items.shrink_to_fit();
    packed->items = std::move(items);
    packed->components.reserve(owned.size());
    // Nothing may fail once the components leave their handles.
    for (OwnedComponent& comp : owned)
        packed->components.push_back(comp.release());
    m_packed = std::move(packed);
    for (TextComp* comp : m_packed->components)
        Adopt(comp);
}

void CompList::Unpack() const {
    const auto count = static_cast<int32_t>(m_packed->items.size());
    PtrArray<TextComp> children(count);
    children.Reserve(count);
    auto component = m_packed->components.begin();
    for (const uint16_t item : m_packed->items) {
        // Faces were checked when read; a source without them throws before the list changes.
        children.Add(item == Packed::kComponent
                         ? *component++
                         : RequireGlyph(item >> 8, static_cast<uint8_t>(item & 0xFF)));
    }
    m_children = std::move(children);
    m_packed.reset();
}
