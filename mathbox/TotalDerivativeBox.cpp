#include "document/DocStream.h"
#include "mathbox/DerivativeBoxes.h"

TotalDerivativeBox::TotalDerivativeBox()
    : DerivativeBase(false), m_differential(new TotalDifferentialBox()) {
    m_differential->SetListOwner(this);
}

TotalDerivativeBox::TotalDerivativeBox(OwnedDifferential differential, CompArray function)
    : DerivativeBase(false, std::move(function)), m_differential(std::move(differential)) {
    if (m_differential == nullptr) m_differential.reset(new TotalDifferentialBox());
    m_differential->SetListOwner(this);
    m_differential->SetSizeLevel(GetSizeLevel());
}

OwnedComponent TotalDerivativeBox::Clone() const {
    OwnedComponent copy = m_differential->Clone();
    auto* box = new TotalDerivativeBox(
        OwnedDifferential(static_cast<DifferentialBox*>(copy.release())), m_list->CopyChildren());
    box->SetSizeLevel(GetSizeLevel());
    return OwnedComponent(box);
}

CompList* TotalDerivativeBox::GetList(int32_t n) const {
    switch (n) {
    case 1:
        return &m_differential->Variable();
    case 2:
        return &m_differential->Order();
    case 3:
        return m_list.get();
    default:
        return nullptr;
    }
}

// Right: variable, order, function; left the other way round. Up climbs from the variable to
// its order and on to the function; down comes back.
CompList* TotalDerivativeBox::ListRightOf(const CompList* from) const {
    if (from == nullptr) return GetList(1);
    const int32_t n = IndexOfList(from);
    return n >= 1 && n < 3 ? GetList(n + 1) : nullptr;
}

CompList* TotalDerivativeBox::ListLeftOf(const CompList* from) const {
    if (from == nullptr) return GetList(3);
    const int32_t n = IndexOfList(from);
    return n > 1 ? GetList(n - 1) : nullptr;
}

CompList* TotalDerivativeBox::ListAbove(const CompList* from) const {
    return from != nullptr ? ListRightOf(from) : nullptr;
}

CompList* TotalDerivativeBox::ListBelow(const CompList* from) const {
    return from != nullptr ? ListLeftOf(from) : nullptr;
}

void TotalDerivativeBox::Write(DocStream& stream) const {
    m_list->Write(stream);
    m_differential->Write(stream);
}

void TotalDerivativeBox::Read(DocStream& stream) {
    m_list->Read(stream);
    m_differential->Read(stream);
    m_differential->SetListOwner(this);
    SetSizeLevel(GetSizeLevel());
    InvalidateLayout();
}
