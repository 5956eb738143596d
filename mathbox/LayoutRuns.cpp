#include "mathbox/LayoutRuns.h"

#include "document/CompList.h"
#include "document/DrawPort.h"
#include "document/RefSource.h"
#include "document/TextComp.h"
#include "mathbox/CharTable.h"
#include "mathbox/LayoutBuilder.h"
#include "mathbox/UprightNames.h"

namespace {

bool IsOperatorClass(uint8_t code) {
    // Operators are classified through the math map whatever their face.
    const CharClass cls = CharInfoFor(code, kMathFontKind).charClass;
    return cls == CC_OTHER || cls == CC_RELATION;
}

Rect ZeroWidthAt(const Rect& frame, int32_t x) {
    return Rect(x, frame.top, x, frame.bottom);
}

} // namespace

int32_t CaretIndexAt(const std::vector<int16_t>& w, int32_t d, bool nearest) {
    const int32_t n = static_cast<int32_t>(w.size()) - 1;
    int32_t i = n < 2 ? 1 : n;
    for (int32_t k = 1; k <= n - 1; ++k)
        if (w[k] >= d) {
            i = k;
            break;
        }
    if (nearest) {
        // Strictly left of a character's middle (the half truncated) is before it.
        if (i != 1 && d < (w[i - 1] + w[i]) / 2)
            --i;
        else if (i == 1 && d < w[1] / 2)
            i = 0;
    } else if (d < w[n]) {
        --i;
    }
    return i;
}

int32_t CharIndexAt(const std::vector<int16_t>& w, int32_t d) {
    const int32_t n = static_cast<int32_t>(w.size()) - 1;
    for (int32_t k = 1; k <= n; ++k)
        if (w[k] > d) return k - 1;
    return n - 1;
}

// --- Runs of one face ---

std::vector<int16_t> FaceRunLayout::PrefixWidths() const {
    gDrawPort->SetFace(m_face);
    return gDrawPort->GetPrefixWidths(MeasuredText());
}

bool FaceRunLayout::ContainsIndex(int32_t index) const {
    return index >= m_start && index < GetEnd();
}

Rect FaceRunLayout::GetCaretRect(int32_t index) const {
    const Rect frame = GetFrame();
    if (index < m_start) return ZeroWidthAt(frame, frame.left);
    if (index >= GetEnd()) return ZeroWidthAt(frame, m_origin.x + m_box.Width());
    SizeGuard size(m_list != nullptr ? m_list->GetSizeLevel() : uint8_t{0});
    const std::vector<int16_t> w = PrefixWidths();
    const int32_t i = index - m_start;
    return Rect(m_origin.x + w[i] * Scale(), frame.top, m_origin.x + w[i + 1] * Scale(),
                frame.bottom);
}

bool FaceRunLayout::PosFromPoint(DocPos& out, Point point, bool nearest) {
    const std::vector<int16_t> w = PrefixWidths();
    out.SetAt(m_list, m_start + CaretIndexAt(w, (point.x - m_origin.x) / Scale(), nearest));
    return true;
}

TextComp* FaceRunLayout::ComponentAtPoint(Point point) {
    const std::vector<int16_t> w = PrefixWidths();
    const int32_t i = CharIndexAt(w, (point.x - m_origin.x) / Scale());
    return m_list != nullptr ? m_list->GetAt(m_start + i) : nullptr;
}

// --- Characters ---

CharacterLayout::CharacterLayout(CompList* list, int32_t start, uint8_t code, int32_t face)
    : FaceRunLayout(list, start, face) {
    m_text.AppendChar(static_cast<char>(code));
}

bool CharacterLayout::HasRoomFor(int32_t face) const {
    return m_text.GetLength() < kRunCapacity && face == m_face;
}

bool CharacterLayout::AddChar(uint8_t, int32_t face) {
    return HasRoomFor(face);
}

void CharacterLayout::Measure() {
    gDrawPort->SetFace(m_face);
    SetMeasured(gDrawPort->MeasureText(MeasuredText()));
}

void CharacterLayout::Draw() {
    gDrawPort->MoveTo(m_origin);
    gDrawPort->SetFace(m_face);
    gDrawPort->DrawString(MeasuredText());
}

bool CharacterLayout::IsSame(const Layout& other) const {
    if (!Layout::IsSame(other)) return false;
    const auto& same = static_cast<const CharacterLayout&>(other);
    return same.m_face == m_face && same.m_text == m_text;
}

bool WordLayout::AddChar(uint8_t code, int32_t face) {
    if (!HasRoomFor(face) || CharInfoFor(code, face).charClass != CC_LETTER) return false;
    m_text.AppendChar(static_cast<char>(code));
    return true;
}

bool WordLayout::CanMerge(const Layout& next, bool allowSpaces) const {
    const TypeTag tag = next.GetTypeTag();
    if (tag == tags::WordRun || tag == tags::OperatorRun) {
        const auto& chars = static_cast<const CharacterLayout&>(next);
        return m_text.GetLength() + chars.GetText().GetLength() < kRunCapacity &&
               chars.GetFace() == m_face;
    }
    if (tag == tags::SpaceRun && allowSpaces) {
        const auto& blanks = static_cast<const WhiteLayout&>(next);
        return m_text.GetLength() + blanks.GetCount() < kRunCapacity && blanks.GetFace() == m_face;
    }
    return false;
}

void WordLayout::Merge(std::unique_ptr<Layout> next) {
    if (next->GetTypeTag() == tags::SpaceRun) {
        const int32_t count = static_cast<const WhiteLayout&>(*next).GetCount();
        for (int32_t k = 0; k < count; ++k)
            m_text.AppendChar(' ');
    } else {
        m_text.Append(static_cast<const CharacterLayout&>(*next).GetText());
    }
}

void WordLayout::Measure() {
    if (m_face == kMathFontKind && IsUprightName(m_text.View())) m_face = kUprightFace;
    CharacterLayout::Measure();
}

bool WordLayout::CanBreakBefore(const Layout& other) const {
    return other.GetTypeTag() == tags::SpaceRun;
}

bool OperatorLayout::AddChar(uint8_t code, int32_t face) {
    if (!HasRoomFor(face) || !IsOperatorClass(code)) return false;
    m_text.AppendChar(static_cast<char>(code));
    return true;
}

bool OperatorLayout::CanBreakBefore(const Layout& other) const {
    return other.GetTypeTag() == tags::SpaceRun;
}

// --- Blanks and tabs ---

WhiteLayout::WhiteLayout(CompList* list, int32_t start, int32_t face, uint8_t code)
    : FaceRunLayout(list, start, face), m_code(code) {}

bool WhiteLayout::AddChar(uint8_t code, int32_t face) {
    if (face != m_face || m_count >= kRunCapacity || code != m_code) return false;
    ++m_count;
    return true;
}

Str255 WhiteLayout::MeasuredText() const {
    Str255 blanks;
    for (int32_t k = 0; k < m_count; ++k)
        blanks.AppendChar(' ');
    return blanks;
}

void WhiteLayout::Measure() {
    gDrawPort->SetFace(m_face);
    Rect box = gDrawPort->MeasureText(MeasuredText());
    box.right = box.left + box.Width() * Scale();
    SetMeasured(box);
}

bool WhiteLayout::IsSame(const Layout& other) const {
    if (!Layout::IsSame(other)) return false;
    const auto& same = static_cast<const WhiteLayout&>(other);
    return same.m_face == m_face && same.m_count == m_count;
}

// --- Embedded components ---

void StructureLayout::Measure() {
    if (m_comp->NeedsLayout()) {
        m_comp->Layout();
        m_changed = true;
    }
    SetMeasured(m_comp->GetBounds());
}

void StructureLayout::SetOrigin(Point point) {
    Layout::SetOrigin(point);
    m_comp->SetOrigin(m_origin);
}

void StructureLayout::Offset(Point by) {
    Layout::Offset(by);
    m_comp->SetOrigin(m_origin);
}

void StructureLayout::Draw() {
    m_comp->Draw();
}

TextComp* StructureLayout::ComponentAtPoint(Point point) {
    return m_comp->ContainsPoint(point) ? m_comp->FindAt(point) : nullptr;
}

bool StructureLayout::PosFromPoint(DocPos& out, Point point, bool nearest) {
    if (m_comp->ContainsPoint(point)) {
        out = m_comp->PosFromPoint(point, nearest);
        return true;
    }
    const Rect frame = m_comp->GetFrame();
    const bool after = nearest && point.x > (frame.left + frame.right) / 2;
    out.SetAt(m_comp->GetParent(), m_start + (after ? 1 : 0));
    return true;
}

Rect StructureLayout::GetCaretRect(int32_t) const {
    const Rect frame = GetFrame();
    return Rect(m_origin.x + m_box.left, frame.top, m_origin.x + m_box.right, frame.bottom);
}

bool StructureLayout::IsSame(const Layout& other) const {
    if (m_changed) {
        m_changed = false;
        return false;
    }
    return Layout::IsSame(other) && static_cast<const StructureLayout&>(other).m_comp == m_comp;
}

bool StructureLayout::CanBreakBefore(const Layout& other) const {
    return other.GetTypeTag() == tags::SpaceRun;
}

// --- Line starts, placeholders, gray bars, labels ---

void LineLayout::Measure() {
    gDrawPort->SetFace(m_builder.GetFace());
    const Rect blank = gDrawPort->MeasureChar(' ');
    const int32_t indent = m_start == 1 ? m_builder.GetFirstIndent() : m_builder.GetOtherIndent();
    SetMeasured(Rect(0, blank.top, indent, blank.bottom));
}

bool LineLayout::PosFromPoint(DocPos& out, Point, bool) {
    out.SetAt(m_list, m_start);
    return true;
}

void PlaceholderLayout::Measure() {
    SetMeasured(m_shown != 0 ? gDrawPort->GetPlaceholderBox() : Rect());
}

void PlaceholderLayout::Draw() {
    if (m_shown == 1) gDrawPort->DrawPlaceholderFrame(m_origin);
}

bool PlaceholderLayout::PosFromPoint(DocPos& out, Point, bool) {
    out.SetAt(m_list, 1);
    return true;
}

void GrayLayout::Measure() {
    SetMeasured(gDrawPort->GetGrayBox());
}

void GrayLayout::Draw() {
    gDrawPort->DrawGrayBox(m_origin);
}

int32_t GrayLayout::GetEnd() const {
    return m_list->GetCount() + 1;
}

bool GrayLayout::PosFromPoint(DocPos& out, Point point, bool nearest) {
    const Rect frame = GetFrame();
    const bool before = nearest && point.x < (frame.left + frame.right) / 2;
    out.SetAt(m_list, before ? 1 : m_list->GetCount() + 1);
    return true;
}

void LabelLayout::Measure() {
    m_label.Layout();
    SetMeasured(m_label.GetBounds());
}

void LabelLayout::SetOrigin(Point point) {
    Layout::SetOrigin(point);
    m_label.SetOrigin(m_origin);
}

void LabelLayout::Offset(Point by) {
    Layout::Offset(by);
    m_label.SetOrigin(m_origin);
}

void LabelLayout::Draw() {
    m_label.Draw();
}

bool LabelLayout::PosFromPoint(DocPos& out, Point, bool) {
    out.SetAt(m_list, 0);
    return true;
}

bool LabelLayout::IsSame(const Layout& other) const {
    return Layout::IsSame(other) && &static_cast<const LabelLayout&>(other).m_label == &m_label;
}
