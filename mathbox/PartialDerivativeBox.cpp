#include "document/DocStream.h"
#include "mathbox/DerivativeBoxes.h"

#include <stdexcept>
#include <string>

namespace {

constexpr int32_t kBackspace = 8;
constexpr int32_t kTab = 9;

constexpr int32_t kExtendLeft = 807;
constexpr int32_t kBoundaryNext = 902;
constexpr int32_t kBeforeOwner = 905;
constexpr int32_t kInsertVariable = 1006;
constexpr int32_t kVariableBoundary = 1301;
constexpr int32_t kNextVariable = 1302;

// A stored differential is at least its two lists' 32-bit record counts.
constexpr int32_t kMinDifferentialBytes = 8;
constexpr int32_t kMaxStoredCount = 32767;

OwnedDifferential NewDifferential() {
    return OwnedDifferential(new PartialDifferentialBox());
}

} // namespace

PartialDerivativeBox::PartialDerivativeBox() : DerivativeBase(true) {
    InsertDifferentialAt(1, NewDifferential());
}

PartialDerivativeBox::PartialDerivativeBox(std::vector<OwnedDifferential> differentials,
                                           CompArray function)
    : DerivativeBase(true, std::move(function)) {
    m_differentials.reserve(differentials.size());
    for (OwnedDifferential& d : differentials)
        if (d != nullptr) InsertDifferentialAt(GetDifferentialCount() + 1, std::move(d));
    if (m_differentials.empty()) InsertDifferentialAt(1, NewDifferential());
}

OwnedComponent PartialDerivativeBox::Clone() const {
    std::vector<OwnedDifferential> copies;
    copies.reserve(m_differentials.size());
    for (const OwnedDifferential& d : m_differentials) {
        OwnedComponent copy = d->Clone();
        copies.emplace_back(static_cast<DifferentialBox*>(copy.release()));
    }
    auto* box = new PartialDerivativeBox(std::move(copies), m_list->CopyChildren());
    box->SetSizeLevel(GetSizeLevel());
    return OwnedComponent(box);
}

void PartialDerivativeBox::CheckRange(int32_t first, int32_t last, int32_t count) const {
    if (first < 1 || last < first || last > count)
        throw std::out_of_range("differentials " + std::to_string(first) + ".." +
                                std::to_string(last) + " outside 1.." + std::to_string(count));
}

DifferentialBox* PartialDerivativeBox::GetDifferentialBox(int32_t i) const {
    CheckRange(i, i, GetDifferentialCount());
    return m_differentials[static_cast<size_t>(i - 1)].get();
}

CompList* PartialDerivativeBox::GetList(int32_t n) const {
    if (n < 1 || n > GetListCount()) return nullptr;
    if (n == GetListCount()) return m_list.get();
    return GetDifferentialBox((n - 1) / 2 + 1)->GetList((n - 1) % 2 + 1);
}

int32_t PartialDerivativeBox::IndexOfDifferential(const CompList* list) const {
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i)
        if (GetDifferentialBox(i)->IndexOfList(list) != 0) return i;
    return 0;
}

// Right runs variable 1, order 1, variable 2, ..., the function; left the other way round.
CompList* PartialDerivativeBox::ListRightOf(const CompList* from) const {
    if (from == nullptr) return GetList(1);
    const int32_t n = IndexOfList(from);
    return n >= 1 ? GetList(n + 1) : nullptr;
}

CompList* PartialDerivativeBox::ListLeftOf(const CompList* from) const {
    if (from == nullptr) return m_list.get();
    const int32_t n = IndexOfList(from);
    return n > 1 ? GetList(n - 1) : nullptr;
}

// Up: a variable to its order, any order to the function. Down: the function to the first
// order, an order to its variable.
CompList* PartialDerivativeBox::ListAbove(const CompList* from) const {
    const int32_t n = IndexOfList(from);
    if (n == 0 || from == m_list.get()) return nullptr;
    return n % 2 == 1 ? GetList(n + 1) : m_list.get();
}

CompList* PartialDerivativeBox::ListBelow(const CompList* from) const {
    const int32_t n = IndexOfList(from);
    if (n == 0) return nullptr;
    if (from == m_list.get()) return GetList(2);
    return n % 2 == 0 ? GetList(n - 1) : nullptr;
}

DocPos PartialDerivativeBox::PosFromPoint(Point point, bool rightHalf) {
    Rect denominator = GetDifferentialFrame(1);
    for (int32_t i = 2; i <= GetDifferentialCount(); ++i) {
        const Rect f = GetDifferentialFrame(i);
        denominator = Rect(denominator.left, std::min(denominator.top, f.top), f.right,
                           std::max(denominator.bottom, f.bottom));
    }
    denominator.right += m_unit;
    if (!denominator.PtInRect(point)) {
        if (m_list->ContainsPoint(point)) return m_list->PosFromPoint(point, rightHalf);
        return TextComp::PosFromPoint(point, rightHalf);
    }
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i) {
        DifferentialBox& d = *GetDifferentialBox(i);
        const Rect f = d.GetFrame();
        if (point.x < f.left) {
            DocPos gap;
            gap.SetInComponent(this, i);
            return gap;
        }
        for (int32_t n = 1; n <= 2; ++n)
            if (d.GetList(n)->ContainsPoint(point))
                return d.GetList(n)->PosFromPoint(point, rightHalf);
    }
    DocPos after;
    after.SetInComponent(this, GetDifferentialCount() + 1);
    return after;
}

void PartialDerivativeBox::Write(DocStream& stream) const {
    m_list->Write(stream);
    stream.WriteShort(static_cast<int16_t>(std::min(GetDifferentialCount(), kMaxStoredCount)));
    for (int32_t i = 1; i <= std::min(GetDifferentialCount(), kMaxStoredCount); ++i)
        GetDifferentialBox(i)->Write(stream);
}

void PartialDerivativeBox::Read(DocStream& stream) {
    m_list->Read(stream);
    const int32_t count = stream.ReadShort();
    if (count < 0) stream.Fail();
    stream.RequireBytes(int64_t{count} * kMinDifferentialBytes);
    std::vector<OwnedDifferential> read;
    read.reserve(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) {
        read.push_back(NewDifferential());
        read.back()->Read(stream);
    }
    // A stored derivative without differentials gets its one empty differential back.
    if (!read.empty()) {
        m_differentials.clear();
        for (OwnedDifferential& d : read)
            InsertDifferentialAt(GetDifferentialCount() + 1, std::move(d));
    }
    SetSizeLevel(GetSizeLevel());
    InvalidateLayout();
}

int32_t PartialDerivativeBox::HandleKey(const DocPos& pos, int32_t key, int32_t flag1,
                                        int32_t flag2) {
    const bool onBoundary = pos.kind == DocPos::kOnVariable;
    switch (key & 0xFF) {
    case kBackspace:
        if (onBoundary) return pos.index == 1 ? kBeforeOwner : kExtendLeft;
        break;
    case kTab:
        if (onBoundary) return flag2 != 0 ? kInsertVariable : kBoundaryNext;
        return flag2 != 0 ? kVariableBoundary : kNextVariable;
    default:
        break;
    }
    return MathComp::HandleKey(pos, key, flag1, flag2);
}

bool PartialDerivativeBox::IsCommandEnabled(int32_t id, const DocPos& pos) const {
    return id == kInsertVariable || MathComp::IsCommandEnabled(id, pos);
}

void PartialDerivativeBox::InsertDifferentialAt(int32_t i, OwnedDifferential differential) {
    CheckRange(i, i, GetDifferentialCount() + 1);
    m_differentials.insert(m_differentials.begin() + (i - 1), std::move(differential));
    DifferentialBox& d = *m_differentials[static_cast<size_t>(i - 1)];
    d.SetListOwner(this);
    d.SetSizeLevel(GetSizeLevel());
    InvalidateLayout();
}

OwnedDifferential PartialDerivativeBox::RemoveDifferential(int32_t i) {
    CheckRange(i, i, GetDifferentialCount());
    if (m_differentials.size() == 1) m_differentials.reserve(2);
    OwnedDifferential taken = std::move(m_differentials[static_cast<size_t>(i - 1)]);
    m_differentials.erase(m_differentials.begin() + (i - 1));
    taken->SetListOwner(taken.get());
    if (m_differentials.empty()) InsertDifferentialAt(1, NewDifferential());
    InvalidateLayout();
    return taken;
}

OwnedComponent PartialDerivativeBox::CopyDifferentials(int32_t first, int32_t last) const {
    CheckRange(first, last, GetDifferentialCount());
    std::vector<OwnedDifferential> copies;
    for (int32_t i = first; i <= last; ++i) {
        OwnedComponent copy = GetDifferentialBox(i)->Clone();
        copies.emplace_back(static_cast<DifferentialBox*>(copy.release()));
    }
    return OwnedComponent(new PartialDerivativeBox(std::move(copies), CompArray()));
}

OwnedComponent PartialDerivativeBox::RemoveDifferentials(int32_t first, int32_t last) {
    CheckRange(first, last, GetDifferentialCount());
    std::vector<OwnedDifferential> taken;
    taken.reserve(static_cast<size_t>(last - first + 1));
    auto holder =
        std::make_unique<PartialDerivativeBox>(std::vector<OwnedDifferential>(), CompArray());
    for (int32_t i = first; i <= last; ++i)
        taken.push_back(RemoveDifferential(first));
    holder->m_differentials.clear();
    for (OwnedDifferential& d : taken)
        holder->InsertDifferentialAt(holder->GetDifferentialCount() + 1, std::move(d));
    return OwnedComponent(holder.release());
}

void PartialDerivativeBox::InsertDifferentialsFrom(int32_t i, OwnedComponent other) {
    auto* from = dynamic_cast<PartialDerivativeBox*>(other.get());
    if (from == nullptr) throw std::invalid_argument("variables go only into a partial derivative");
    CheckRange(i, i, GetDifferentialCount() + 1);
    m_differentials.reserve(m_differentials.size() + from->m_differentials.size());
    int32_t at = i;
    for (OwnedDifferential& d : from->m_differentials)
        InsertDifferentialAt(at++, std::move(d));
    from->m_differentials.clear();
}
