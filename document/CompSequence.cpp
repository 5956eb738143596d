#include "document/CompSequence.h"

#include "document/ByteStream.h"
#include "document/DocStream.h"
#include "document/DrawPort.h"
#include "document/OutBuffer.h"
#include "document/PageBreakSink.h"

#include <algorithm>
#include <stdexcept>

namespace {

void InvalidateDoc(const Rect& rect) {
    gDrawPort->InvalidateDocRect(rect);
}

} // namespace

CompSequence::CompSequence(ParaDocument* document) : m_document(document) {
    if (m_document != nullptr) m_document->RegisterSequence(this);
}

CompSequence::~CompSequence() {
    Clear();
    if (m_document != nullptr) m_document->UnregisterSequence(this);
}

ParaComp* CompSequence::GetAt(int32_t i) const {
    return i >= 1 && i <= GetCount() ? m_paras[static_cast<size_t>(i - 1)].get() : nullptr;
}

int32_t CompSequence::IndexOf(const ParaComp* para) const {
    if (para == nullptr || para->GetOwner() != this) return 0;
    // A placed paragraph is found by its height; the answer is taken only when it is that very
    // paragraph, since material that was never placed shares one height with its neighbours.
    if (!para->NeedsLayout()) {
        const int32_t k = FindByY(para->GetFrame().top + 1);
        if (GetAt(k) == para) return k;
    }
    for (int32_t k = 1; k <= GetCount(); ++k)
        if (GetAt(k) == para) return k;
    return 0;
}

ParaComp* CompSequence::FindByNumber(int32_t identity) const {
    for (const OwnedPara& para : m_paras)
        if (para->GetIdentity() == identity) return para.get();
    return nullptr;
}

int32_t CompSequence::Append(OwnedPara para) {
    InsertAt(std::move(para), GetCount() + 1);
    return GetCount();
}

void CompSequence::InsertAt(OwnedPara para, int32_t i) {
    if (para == nullptr || i < 1 || i > GetCount() + 1)
        throw std::out_of_range("CompSequence::InsertAt: no paragraph or position out of range");
    MakeRoom(1);
    Enter(*para, i);
    m_paras.insert(m_paras.begin() + (i - 1), std::move(para));
}

void CompSequence::MakeRoom(size_t more) {
    // Doubling keeps a run of inserts linear: room for just the new ones moved every paragraph
    // again each time.
    if (m_paras.size() + more > m_paras.capacity())
        m_paras.reserve(std::max(m_paras.size() + more, 2 * m_paras.size() + 16));
}

void CompSequence::Enter(ParaComp& para, int32_t i) {
    Unsettle(i);
    ShiftDeferred(i, 1);
    const Quiet quiet(*this);
    para.SetOwner(this);
    para.InvalidateLayout();
}

CompSequence::OwnedPara CompSequence::RemoveAt(int32_t i) {
    if (i < 1 || i > GetCount()) throw std::out_of_range("CompSequence::RemoveAt");
    Unsettle(i);
    OwnedPara para = std::move(m_paras[static_cast<size_t>(i - 1)]);
    m_paras.erase(m_paras.begin() + (i - 1));
    ShiftDeferred(i, -1);
    Leave(*para);
    para->SetOwner(nullptr);
    return para;
}

std::unique_ptr<CompSequence> CompSequence::HoldAt(int32_t i) {
    if (i < 1 || i > GetCount()) throw std::out_of_range("CompSequence::HoldAt");
    auto held = std::make_unique<CompSequence>(m_document);
    held->m_paras.reserve(1);
    Unsettle(i);
    OwnedPara para = std::move(m_paras[static_cast<size_t>(i - 1)]);
    m_paras.erase(m_paras.begin() + (i - 1));
    ShiftDeferred(i, -1);
    Leave(*para);
    // Within one document the paragraph keeps its number.
    para->SetOwner(held.get());
    held->m_paras.push_back(std::move(para));
    return held;
}

void CompSequence::InsertHeldAt(std::unique_ptr<CompSequence> held, int32_t i) {
    if (held == nullptr || i < 1 || i > GetCount() + 1)
        throw std::out_of_range(
            "CompSequence::InsertHeldAt: nothing held or position out of range");
    MakeRoom(held->m_paras.size());
    // Each paragraph leaves the holder before it enters, so the holder never keeps an empty
    // slot, whatever fails. They leave from the holder's back (its order turned round first)
    // and enter at this sequence's end, and the block they make turns into place once: taking
    // each from the front, or putting each in at i, made a long hold quadratic.
    std::vector<OwnedPara>& rest = held->m_paras;
    const size_t end = m_paras.size();
    std::reverse(rest.begin(), rest.end());
    const auto intoPlace = [&] {
        std::rotate(m_paras.begin() + (i - 1), m_paras.begin() + static_cast<ptrdiff_t>(end),
                    m_paras.end());
        std::reverse(rest.begin(), rest.end());
    };
    try {
        while (!rest.empty()) {
            OwnedPara para = std::move(rest.back());
            rest.pop_back();
            Enter(*para, i);
            m_paras.push_back(std::move(para));
        }
    } catch (...) {
        intoPlace();
        throw;
    }
    intoPlace();
}

void CompSequence::ShiftDeferred(int32_t i, int32_t by) {
    if (m_deferredFrom == kNoneDeferred) return;
    // One that comes in right before the first waiting one is placed with those above.
    if (by > 0 ? i <= m_deferredFrom : i < m_deferredFrom) m_deferredFrom += by;
    // After a removal none may be left waiting.
    if (by < 0) DeferFrom(m_deferredFrom);
}

void CompSequence::ParagraphInvalidated(const ParaComp& para) {
    if (m_quiet) return;
    if (m_passAt > 0) {
        // A pass lays out what it is at or has yet to reach (a renumbered paragraph, say); one
        // it has passed (holding a reference to a renumbered one) waits for the next.
        if (GetAt(m_passAt) == &para) return;
        if (const int32_t k = Locate(para, m_passAt - 1); k > 0)
            m_passUnsettled = std::min(m_passUnsettled, k);
        return;
    }
    if (m_touched == nullptr) {
        m_touched = &para;
    } else if (m_touched != &para) {
        Unsettle(std::min(Locate(*m_touched, GetCount()), Locate(para, GetCount())));
        m_touched = nullptr;
    }
}

int32_t CompSequence::Locate(const ParaComp& para, int32_t limit) const {
    for (int32_t k = 1; k <= limit; ++k)
        if (GetAt(k) == &para) return k;
    return 0;
}

void CompSequence::BeginPass() {
    m_passUnsettled = INT32_MAX;
}

void CompSequence::EndPass(bool settles) {
    if (settles) {
        m_unsettledFrom = m_passUnsettled;
        m_touched = nullptr;
    } else {
        Unsettle(m_passUnsettled);
    }
}

void CompSequence::Leave(const ParaComp& para) {
    if (m_touched == &para) m_touched = nullptr;
}

void CompSequence::Release(ParaComp& para) {
    if (m_document != nullptr && para.GetIdentity() != 0)
        m_document->ReleaseParagraphNumber(para.GetIdentity());
}

void CompSequence::Clear() {
    Unsettle(1);
    m_touched = nullptr;
    for (OwnedPara& para : m_paras)
        Release(*para);
    m_paras.clear();
    m_bottom = 0;
    m_deferredFrom = kNoneDeferred;
}

void CompSequence::MoveTo(ParaDocument* document) {
    if (document == m_document) return;
    Unsettle(1);
    const Quiet quiet(*this);
    // Leaving the sequence gives the number back to the old pool; coming back claims one from
    // the new pool.
    for (OwnedPara& para : m_paras)
        para->SetOwner(nullptr);
    if (m_document != nullptr) m_document->UnregisterSequence(this);
    m_document = document;
    if (m_document != nullptr) m_document->RegisterSequence(this);
    for (OwnedPara& para : m_paras)
        para->SetOwner(this);
}

int32_t CompSequence::FindByY(int32_t y) const {
    const int32_t count = std::min(GetCount(), m_deferredFrom - 1);
    if (count < 2 || y >= m_bottom) return count;
    int32_t lo = 1;
    int32_t hi = count;
    while (lo < hi) {
        const int32_t mid = (lo + hi) / 2;
        if (y <= GetAt(mid)->GetFrame().bottom)
            hi = mid;
        else
            lo = mid + 1;
    }
    return hi;
}

TextComp* CompSequence::FindAt(Point point) const {
    ParaComp* para = ParagraphAtY(point.y);
    return para != nullptr ? para->FindAt(point) : nullptr;
}

DocPos CompSequence::PosFromPoint(Point point, bool rightHalf) const {
    ParaComp* para = ParagraphAtY(point.y);
    return para != nullptr ? para->PosFromPoint(point, rightHalf) : DocPos();
}

void CompSequence::DrawInRect(const Rect& update) const {
    // 0 when no paragraph is placed: the sequence is empty, or all of it waits below the horizon.
    const int32_t last = FindByY(update.bottom);
    if (last == 0) return;
    for (int32_t k = FindByY(update.top); k <= last; ++k)
        GetAt(k)->DrawInRect(update);
}

void CompSequence::ApplyLargerEquations(bool larger) {
    Unsettle(1);
    const Quiet quiet(*this);
    for (OwnedPara& para : m_paras)
        if (para->IsEquation()) para->SetSizeLevel(static_cast<uint8_t>(larger ? -1 : 0));
}

DocPos CompSequence::StartPosition() const {
    DocPos pos;
    if (!IsEmpty()) pos.SetAt(GetAt(1)->GetList(1), 1);
    return pos;
}

DocRange CompSequence::WholeRange() const {
    DocRange range;
    if (IsEmpty()) return range;
    CompList* last = GetAt(GetCount())->GetList(1);
    DocPos from = StartPosition();
    DocPos to;
    to.SetAt(last, last->GetCount() + 1);
    range.Assign(from, to);
    return range;
}

void CompSequence::LayOut(int32_t i, Point pen) {
    ParaComp* para = GetAt(i);
    para->LayoutLines(GetAt(i - 1));
    para->SetOrigin(pen);
}

void CompSequence::Place(int32_t i, Point& pen, bool layout, Rect* moved) {
    ParaComp* para = GetAt(i);
    if (layout || para->NeedsLayout()) {
        LayOut(i, pen);
        if (moved != nullptr) InvalidateDoc(para->GetFrame());
    } else {
        const Rect old = para->GetFrame();
        if (old.top != pen.y) {
            para->SetOrigin(pen);
            if (moved != nullptr) {
                // Both the old and the new place need drawing.
                const Rect now = para->GetFrame();
                InvalidateDoc(Rect(std::min(old.left, now.left), std::min(old.top, now.top),
                                   std::max(old.right, now.right),
                                   std::max(old.bottom, now.bottom)));
            }
        }
    }
    pen.y = para->GetFrame().bottom;
}

void CompSequence::EndBand(int32_t penY) {
    if (m_bottom > penY)
        InvalidateDoc(
            Rect(gDrawPort->GetLeftMargin(), penY, gDrawPort->GetColumnWidth(), m_bottom));
    m_bottom = penY;
}

void CompSequence::Relayout(int32_t from, const DocPos* caret) {
    Point pen(gDrawPort->GetLeftMargin(), gDrawPort->GetTopMargin());
    if (IsEmpty()) {
        EndBand(pen.y);
        return;
    }
    const int32_t i = std::clamp(from, 1, GetCount());
    // The pen starts below the paragraph before, which must stand placed.
    PlaceDeferred(i - 1, INT32_MIN);
    NumberRecord record;
    if (i > 1) {
        record = GetAt(i - 1)->GetNumber();
        pen.y = GetAt(i - 1)->GetFrame().bottom;
    }
    ParaComp* edited = GetAt(i);
    if (m_touched != nullptr && m_touched != edited) {
        Unsettle(Locate(*m_touched, GetCount()));
        m_touched = nullptr;
    }
    // Settled but for the edited paragraph, the rest need no look when it keeps its height and
    // number. Settled before it, the pass below settles everything.
    const bool onlyEdited = IsSettled() && i < m_deferredFrom;
    const bool settles = m_unsettledFrom >= i;
    const NumberRecord number = edited->GetNumber();
    const int32_t bottom = edited->GetFrame().bottom;
    BeginPass();
    {
        const PassAt at(*this, i);
        edited->SetNumber(record);
        LayOut(i, pen);
    }
    edited->InvalidateChangedLines(caret);
    pen.y = edited->GetFrame().bottom;
    if (onlyEdited && pen.y == bottom && edited->GetNumber() == number) {
        EndPass(true);
        return;
    }
    Rect moved;
    int32_t k = i + 1;
    for (; k <= GetCount() && !PastHorizon(pen.y); ++k) {
        const PassAt at(*this, k);
        GetAt(k)->SetNumber(record);
        Place(k, pen, false, &moved);
    }
    // Below the horizon the numbers still run on: a reference above may show one of them.
    DeferFrom(k);
    for (; k <= GetCount(); ++k) {
        const PassAt at(*this, k);
        GetAt(k)->SetNumber(record);
    }
    EndBand(pen.y);
    EndPass(settles);
}

void CompSequence::LayoutAll() {
    // Nothing waits and nothing moved.
    if (IsSettled() && m_touched == nullptr) return;
    Point pen(gDrawPort->GetLeftMargin(), gDrawPort->GetTopMargin());
    Rect moved;
    int32_t k = 1;
    for (; k <= GetCount() && !PastHorizon(pen.y); ++k)
        Place(k, pen, false, &moved);
    DeferFrom(k);
    EndBand(pen.y);
}

void CompSequence::PlaceAll(bool invalidate) {
    Point pen(gDrawPort->GetLeftMargin(), gDrawPort->GetTopMargin());
    NumberRecord record;
    BeginPass();
    m_deferredFrom = kNoneDeferred;
    for (int32_t k = 1; k <= GetCount(); ++k) {
        const PassAt at(*this, k);
        ParaComp* para = GetAt(k);
        para->InvalidateAll();
        para->SetNumber(record);
        if (m_deferredFrom == kNoneDeferred && PastHorizon(pen.y)) m_deferredFrom = k;
        // A waiting paragraph keeps no lines: they would be laid out again anyway.
        if (m_deferredFrom <= k)
            para->DropLines();
        else
            Place(k, pen, true, nullptr);
    }
    if (invalidate)
        EndBand(pen.y);
    else
        m_bottom = pen.y;
    EndPass(true);
}

void CompSequence::PlaceDeferred(int32_t last, int32_t y) {
    // A pass that runs places what it reaches itself.
    if (!HasDeferred() || m_passAt > 0) return;
    int32_t k = m_deferredFrom;
    Point pen(gDrawPort->GetLeftMargin(),
              k > 1 ? GetAt(k - 1)->GetFrame().bottom : gDrawPort->GetTopMargin());
    if (k > last && pen.y >= y) return;
    Rect moved;
    BeginPass();
    for (; k <= GetCount() && (k <= last || pen.y < y); ++k) {
        const PassAt at(*this, k);
        Place(k, pen, false, &moved);
    }
    DeferFrom(k);
    m_bottom = pen.y;
    EndPass(false);
}

void CompSequence::PlaceDeferred(const ParaComp& para) {
    if (!HasDeferred() || m_passAt > 0) return;
    if (const int32_t k = IndexOf(&para); k >= m_deferredFrom) PlaceDeferred(k, INT32_MIN);
}

bool CompSequence::SetHorizon(int32_t y) {
    m_horizon = y;
    const int32_t was = m_deferredFrom;
    PlaceDeferred(0, y);
    return m_deferredFrom != was;
}

int32_t CompSequence::GetExtent() const {
    if (!HasDeferred()) return m_bottom;
    const int32_t placed = m_deferredFrom - 1;
    const int32_t top = gDrawPort->GetTopMargin();
    if (placed == 0) return top;
    const int64_t each = std::max<int64_t>((m_bottom - top) / placed, 1);
    const int64_t rest = static_cast<int64_t>(GetCount() - placed) * each;
    return static_cast<int32_t>(std::min<int64_t>(m_bottom + rest, INT32_MAX));
}

void CompSequence::Paginate(PageBreakSink& sink) {
    const int32_t height = gDrawPort->GetPrintableHeight();
    // No page could ever be filled: the breaks would never pass the document's end.
    if (height <= 0)
        throw std::invalid_argument("cannot paginate: the printable height is " +
                                    std::to_string(height));
    Point pen(0, 0);
    NumberRecord record;
    int32_t page = 1;
    int32_t next = height;
    int32_t last = 0;
    BeginPass();
    m_deferredFrom = kNoneDeferred;
    for (int32_t k = 1; k <= GetCount(); ++k) {
        const PassAt at(*this, k);
        ParaComp* para = GetAt(k);
        para->InvalidateAll();
        para->SetNumber(record);
        Place(k, pen, true, nullptr);
        while (pen.y > next) {
            const Rect line = para->GetLineBox(next);
            if (next < line.bottom) next = line.top;
            if (next <= last) next = last + height;
            sink.SetPageBreak(page, next);
            last = next;
            next += height;
            ++page;
        }
    }
    sink.SetPageBreak(page, next);
    m_bottom = pen.y;
    EndPass(true);
}

int32_t CompSequence::WriteText(OutBuffer& out) const {
    for (int32_t k = 1; k <= GetCount(); ++k) {
        if (k > 1) out.PutNewline();
        GetAt(k)->WriteText(out);
    }
    return out.Flush();
}

void CompSequence::Write(DocStream& stream, bool flushEach) const {
    stream.WriteLong(GetCount());
    for (const OwnedPara& para : m_paras) {
        para->Write(stream);
        if (flushEach) stream.Commit();
    }
}

void CompSequence::Read(DocStream& stream) {
    const int32_t countAt = stream.GetPosition();
    Unsettle(GetCount() + 1);
    const int32_t count = stream.ReadLong();
    if (count < 0) stream.Fail(countAt);
    for (int32_t k = 0; k < count; ++k) {
        auto para = std::make_unique<ParaComp>();
        para->Read(stream);
        // Room before the paragraph attaches, so that nothing fails after it has.
        MakeRoom(1);
        para->AttachToSequence(this);
        m_paras.push_back(std::move(para));
    }
}

int32_t CompSequence::ReadPlainText(ByteStream& stream) {
    Clear();
    const int32_t size = stream.GetSize();
    while (stream.GetPosition() < size) {
        auto para = std::make_unique<ParaComp>();
        para->ReadPlainText(stream);
        Append(std::move(para));
    }
    return stream.GetPosition();
}
