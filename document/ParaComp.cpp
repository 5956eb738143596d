#include "document/ParaComp.h"

#include "document/ByteStream.h"
#include "document/DocStream.h"
#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "document/LatexWriter.h"
#include "document/ParaDocument.h"

#include <algorithm>

ServiceSlot<ParaStyleTable> gParaStyles;

namespace {

constexpr int32_t kBackspace = 8;
constexpr int32_t kTab = 9;
constexpr int32_t kLineFeed = 10;
constexpr int32_t kReturn = 13;
constexpr int32_t kCodeFace = 4;

// The runs of one line: its line run and what follows up to the next line run or the label.
struct LineSpan {
    int32_t first; // index of the line run
    int32_t end;   // one past the line's last run
};

std::vector<LineSpan> LinesOf(const RunArray& runs) {
    std::vector<LineSpan> lines;
    for (int32_t k = 0; k < runs.GetCount(); ++k) {
        const Layout* run = runs.GetAt(k);
        if (run->IsLineRun()) {
            lines.push_back({k, k + 1});
        } else if (!lines.empty() && run->GetTypeTag() != tags::LabelRun) {
            lines.back().end = k + 1;
        }
    }
    return lines;
}

Rect LineRect(const RunArray& runs, LineSpan line) {
    Rect r = runs.GetAt(line.first)->GetFrame();
    for (int32_t k = line.first + 1; k < line.end; ++k) {
        const Rect f = runs.GetAt(k)->GetFrame();
        r = Rect(std::min(r.left, f.left), std::min(r.top, f.top), std::max(r.right, f.right),
                 std::max(r.bottom, f.bottom));
    }
    return r;
}

bool SameLine(const RunArray& a, LineSpan la, const RunArray& b, LineSpan lb) {
    if (la.end - la.first != lb.end - lb.first) return false;
    for (int32_t k = 0; k < la.end - la.first; ++k)
        if (!a.GetAt(la.first + k)->IsSame(*b.GetAt(lb.first + k))) return false;
    return true;
}

void InvalidateDoc(const Rect& rect) {
    if (DrawPort* port = gDrawPort.Get()) port->InvalidateDocRect(rect);
}

} // namespace

ParaComp::ParaComp() : ParaComp(CompArray(), ParaStyle::kParagraph) {}

ParaComp::ParaComp(int32_t style) : ParaComp(CompArray(), style) {}

ParaComp::ParaComp(CompArray&& children, int32_t style)
    : m_list(std::make_unique<CompList>(std::move(children))) {
    m_list->SetOwner(this, 0);
    TakeStyle(style);
}

ParaComp::~ParaComp() {
    // Runs first (a label run points at the number source), then the source, whose references
    // may sit in the list and take their last label from it.
    ResetList();
    m_source.reset();
}

void ParaComp::MarkForLayout() {
    m_needsLayout = true;
    if (m_owner != nullptr) m_owner->ParagraphInvalidated(*this);
}

void ParaComp::ResetList() {
    m_previousLines = RunArray();
    ListLines(*m_list).ClearRuns();
}

void ParaComp::TakeStyle(int32_t style) {
    ParaStyle& next = gParaStyles->GetStyle(style);
    if (&next != m_style) {
        // The runs may hold the old source's label run: they go before it does.
        ResetList();
        m_source.reset();
        m_style = &next;
        if (next.IsNumbered()) m_source = std::make_unique<RefSource>(*this);
    }
    m_list->SetSizeLevel(static_cast<uint8_t>(m_style->GetRelativeSize(*this)));
    MarkForLayout();
}

OwnedComponent ParaComp::Clone() const {
    CompArray copy = m_list->CopyChildren();
    return OwnedComponent(new ParaComp(std::move(copy), m_style->GetKind()));
}

void ParaComp::InvalidateAll() {
    m_list->InvalidateAll();
    m_previousLines = RunArray();
    MarkForLayout();
}

void ParaComp::SetOrigin(Point point) {
    if (!m_needsLayout && !m_list->IsPlaced()) {
        const Point delta(point.x - m_origin.x, point.y - m_origin.y);
        if (delta.x != 0 || delta.y != 0) m_list->OffsetOrigin(delta);
        m_origin = point;
        return;
    }
    // Placing stores the list's origin and clears its placed flag. A paragraph placed before its
    // lines were built still needs them.
    m_style->PlaceLines(*this, point);
    m_needsLayout = m_list->GetRuns().IsEmpty();
    m_origin = point;
}

void ParaComp::SetBounds(const Rect& bounds) {
    m_bounds = bounds;
    m_list->SetBounds(bounds);
}

DocPos ParaComp::PosFromPoint(Point point, bool rightHalf) {
    EnsurePlaced();
    SizeGuard size(m_style->GetRelativeSize(*this));
    point.x = std::max(point.x, gDrawPort->GetLeftMargin() + 1);
    point.x = std::min(point.x, gDrawPort->GetColumnWidth() - 2);
    DocPos pos;
    for (::Layout* run : m_list->GetRuns())
        if (run->ContainsPoint(point) && run->PosFromPoint(pos, point, rightHalf)) return pos;
    pos.SetAt(m_list.get(), GetCount() + 1);
    return pos;
}

TextComp* ParaComp::FindAt(Point point) {
    EnsurePlaced();
    if (point.x < gDrawPort->GetLeftMargin() || point.x > gDrawPort->GetColumnWidth())
        return nullptr;
    SizeGuard size(m_style->GetRelativeSize(*this));
    for (::Layout* run : m_list->GetRuns())
        if (run->ContainsPoint(point)) return run->ComponentAtPoint(point);
    return nullptr;
}

void ParaComp::Write(DocStream& stream) const {
    stream.WriteShort(static_cast<int16_t>(m_style->GetKind()));
    stream.WriteLong(m_identity);
    m_list->Write(stream);
}

void ParaComp::Read(DocStream& stream) {
    // A style outside 0 to 7 becomes the Paragraph style, and is written back as one.
    TakeStyle(stream.ReadShort());
    m_identity = stream.ReadLong();
    m_list->Read(stream);
    MarkForLayout();
}

bool ParaComp::IsAllCode() const {
    for (int32_t i = 1; i <= GetCount(); ++i)
        if (m_list->GetAt(i)->GetStyleId() != kCodeFace) return false;
    return true;
}

void ParaComp::WriteLatex(LatexWriter& writer) {
    const int32_t kind = m_style->GetKind();
    const TextComp* only = GetCount() == 1 ? m_list->GetAt(1) : nullptr;
    if (IsEquation() && only != nullptr && only->GetTypeTag() == tags::EquationSet &&
        (m_source == nullptr || !m_source->IsReferenced())) {
        writer.BeginEquationBlock();
        m_list->GetAt(1)->WriteLatex(writer);
        writer.EndEquationBlock();
        return;
    }
    // Verbatim only holds code text.
    const int32_t opening =
        kind == ParaStyle::kSourceCode && !IsAllCode() ? ParaStyle::kParagraph : kind;
    const uint8_t first = GetCount() > 0 ? m_list->GetAt(1)->GetCharCode() : 0;
    writer.BeginParagraph(opening, m_source.get(), first == ' ' || first == kTab);
    for (int32_t i = 1; i <= GetCount(); ++i)
        writer.WriteComponentChar(*m_list->GetAt(i), false);
    writer.EndParagraph(opening, m_source.get());
}

void ParaComp::SetSizeLevel(uint8_t level) {
    m_list->SetSizeLevel(level);
    MarkForLayout();
}

int32_t ParaComp::HandleKey(const DocPos& pos, int32_t key, int32_t, int32_t flag) {
    switch (key) {
    case kBackspace:
        if (pos.index != 1) {
            const TextComp* before = m_list->GetAt(pos.index - 1);
            return before != nullptr && !before->IsNotChar() ? editcode::kDeleteBefore
                                                             : editcode::kExtendLeft;
        }
        // Nothing comes before the document's first paragraph.
        return m_origin.y == gDrawPort->GetTopMargin() ? editcode::kNoEdit
                                                       : editcode::kJoinWithPrevious;
    case kTab:
        return editcode::kInsertTab;
    case kLineFeed:
    case kReturn:
        return flag != 0 ? editcode::kSplitParagraphFlagged : editcode::kSplitParagraph;
    default:
        return editcode::kInsertCharacter;
    }
}

void ParaComp::LayoutLines(const ParaComp* previous) {
    m_previousLines = m_list->DetachRuns();
    m_style->BuildLines(*this, previous, gDrawPort->GetLeftMargin(), gDrawPort->GetColumnWidth());
    m_needsLayout = false;
}

void ParaComp::DropLines() {
    ResetList();
    m_needsLayout = true;
}

void ParaComp::EnsurePlaced() const {
    if (m_owner != nullptr) m_owner->PlaceDeferred(*this);
}

void ParaComp::DrawInRect(const Rect& update) {
    const Rect frame = GetFrame();
    if (!frame.Overlaps(update)) return;
    gDrawPort->EraseRect(frame.Intersection(update));
    m_list->Draw();
}

void ParaComp::SetStyle(int32_t style) {
    TakeStyle(style);
    InvalidateDoc(GetFrame());
    InvalidateLayout();
}

bool ParaComp::IsEquation() const {
    const int32_t kind = m_style->GetKind();
    return kind == ParaStyle::kPlainEquation || kind == ParaStyle::kNumberedEquation;
}

ParaDocument* ParaComp::GetDocument() const {
    return m_owner != nullptr ? m_owner->GetDocument() : nullptr;
}

void ParaComp::SetOwner(ParaSequence* sequence) {
    ParaDocument* oldDoc = GetDocument();
    ParaDocument* newDoc = sequence != nullptr ? sequence->GetDocument() : nullptr;
    m_owner = sequence;
    if (oldDoc == newDoc) return;
    if (oldDoc != nullptr && m_identity != 0) oldDoc->ReleaseParagraphNumber(m_identity);
    m_identity = newDoc != nullptr ? newDoc->ClaimParagraphNumber(0) : 0;
    if (m_source != nullptr) m_source->Renumber();
    if (newDoc != nullptr) {
        m_list->SetSizeLevel(static_cast<uint8_t>(m_style->GetRelativeSize(*this)));
        m_list->InvalidateAll();
        MarkForLayout();
    }
}

void ParaComp::AttachToSequence(ParaSequence* sequence) {
    m_owner = sequence;
    m_list->SetSizeLevel(static_cast<uint8_t>(m_style->GetRelativeSize(*this)));
}

void ParaComp::SetNumber(NumberRecord& running) {
    if (m_source != nullptr)
        m_source->SetNumber(running);
    else
        m_style->AdvanceCounter(running);
    if (running != m_number) m_number = running;
}

void ParaComp::InsertTabs(int32_t n) {
    for (int32_t k = 0; k < n; ++k)
        if (TextComp* tab = gGlyphSource->GetGlyph(m_style->GetTextFace(), kTab))
            m_list->Append(tab);
    InvalidateLayout();
}

int32_t ParaComp::CountLeadingTabs() const {
    int32_t n = 0;
    while (n < GetCount() && m_list->GetAt(n + 1)->GetCharCode() == kTab)
        ++n;
    return n;
}

void ParaComp::ReadPlainText(ByteStream& stream) {
    const int32_t face = m_style->GetTextFace();
    while (stream.GetPosition() < stream.GetSize()) {
        uint8_t byte = 0;
        stream.Read(&byte, 1);
        if (byte == kReturn) break;
        if (byte == kLineFeed) continue;
        if (TextComp* ch = gGlyphSource->GetGlyph(face, byte)) m_list->Append(ch);
    }
    InvalidateLayout();
}

Rect ParaComp::GetPositionRect(const DocPos& pos) {
    EnsurePlaced();
    if (pos.index == 0 && m_source != nullptr) return m_source->GetFrame();
    // Index 0 of a paragraph that lost its number stands for the start of the text.
    return m_list->GetCaretRect(std::max(pos.index, 1));
}

DocPos ParaComp::PosFromPointForPositions(Point point) {
    EnsurePlaced();
    if (m_source != nullptr && m_source->GetFrame().PtInRect(point)) {
        DocPos pos;
        pos.SetAt(m_list.get(), 0);
        return pos;
    }
    return PosFromPoint(point, true);
}

Rect ParaComp::GetLineBox(int32_t y) const {
    EnsurePlaced();
    const RunArray& runs = m_list->GetRuns();
    std::vector<LineSpan> lines = LinesOf(runs);
    std::erase_if(lines, [](LineSpan l) { return l.end - l.first < 2; });
    if (lines.empty()) return Rect();
    LineSpan chosen = lines.back();
    for (const LineSpan& line : lines)
        if (LineRect(runs, line).bottom >= y) {
            chosen = line;
            break;
        }
    const Rect whole = LineRect(runs, chosen);
    const auto* lineRun = runs.GetAt(chosen.first);
    const ::Layout* last = runs.GetAt(chosen.end - 1);
    const int32_t end = last->GetOrigin().x + last->GetBox().right;
    return Rect(std::min(end, whole.right), lineRun->GetFrame().top, whole.right,
                lineRun->GetFrame().bottom);
}

DocPos ParaComp::LineEndPos(const TextComp* comp) const {
    EnsurePlaced();
    const int32_t index = m_list->IndexOf(comp);
    const RunArray& runs = m_list->GetRuns();
    DocPos pos;
    for (const LineSpan& line : LinesOf(runs)) {
        if (line.end - line.first < 2) continue;
        const int32_t start = runs.GetAt(line.first + 1)->GetStart();
        if (start > index) {
            pos.SetAt(m_list.get(), start - 1);
            return pos;
        }
    }
    pos.SetAt(m_list.get(), GetCount() + 1);
    return pos;
}

void ParaComp::InvalidateChangedLines(const DocPos* caret) {
    if (m_previousLines.IsEmpty()) {
        InvalidateDoc(GetFrame());
        return;
    }
    const RunArray& fresh = m_list->GetRuns();
    const std::vector<LineSpan> oldLines = LinesOf(m_previousLines);
    const std::vector<LineSpan> newLines = LinesOf(fresh);
    const bool caretHere = caret != nullptr && caret->GetList() == m_list.get();
    const int32_t caretX = caretHere ? GetPositionRect(*caret).left : 0;
    auto fromCaret = [&](const RunArray& runs, LineSpan line) {
        Rect r = LineRect(runs, line);
        if (!caretHere) return r;
        for (int32_t k = line.first; k < line.end; ++k)
            if (runs.GetAt(k)->ContainsIndex(caret->index)) {
                r.left = std::clamp(caretX, r.left, r.right);
                break;
            }
        return r;
    };
    const size_t common = std::min(oldLines.size(), newLines.size());
    for (size_t i = 0; i < common; ++i) {
        if (SameLine(m_previousLines, oldLines[i], fresh, newLines[i])) continue;
        InvalidateDoc(fromCaret(m_previousLines, oldLines[i]));
        InvalidateDoc(fromCaret(fresh, newLines[i]));
        break;
    }
    for (size_t i = oldLines.size(); i < newLines.size(); ++i)
        InvalidateDoc(LineRect(fresh, newLines[i]));
}
