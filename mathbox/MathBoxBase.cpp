#include "mathbox/MathBoxBase.h"

#include "document/DocStream.h"
#include "document/ParaComp.h"
#include "mathbox/MathBoxes.h"

#include <stdexcept>

namespace boxes {

void WriteParenthesised(CompList& list, OutBuffer& out) {
    const bool wrap = list.HasSpaceOrSignAfterFirst();
    if (wrap) out.PutChar('(');
    list.WriteKernelInput(out);
    if (wrap) out.PutChar(')');
}

} // namespace boxes

MultiListComp::MultiListComp(int32_t listCount, std::vector<CompArray> contents) {
    contents.resize(static_cast<size_t>(listCount));
    m_list->InsertArrayAt(std::move(contents[0]), 1);
    for (int32_t n = 2; n <= listCount; ++n) {
        auto list = std::make_unique<CompList>(std::move(contents[static_cast<size_t>(n - 1)]));
        list->SetOwner(this, m_list->GetPlaceholderMode());
        m_more.push_back(std::move(list));
    }
}

CompList* MultiListComp::GetList(int32_t n) const {
    if (n == 1) return m_list.get();
    if (n >= 2 && n <= GetListCount()) return m_more[static_cast<size_t>(n - 2)].get();
    return nullptr;
}

int32_t MultiListComp::IndexOfList(const CompList* list) const {
    for (int32_t n = 1; n <= GetListCount(); ++n)
        if (list != nullptr && GetList(n) == list) return n;
    return 0;
}

std::vector<int32_t> MultiListComp::StreamOrder() const {
    std::vector<int32_t> order;
    for (int32_t n = 1; n <= GetListCount(); ++n)
        order.push_back(n);
    return order;
}

void MultiListComp::Write(DocStream& stream) const {
    for (int32_t n : StreamOrder())
        GetList(n)->Write(stream);
}

void MultiListComp::Read(DocStream& stream) {
    // A read replaces what the lists held, such as the limit's fresh word.
    for (int32_t n : StreamOrder())
        GetList(n)->DetachChildren();
    for (int32_t n : StreamOrder())
        GetList(n)->Read(stream);
    InvalidateAll();
}

void MultiListComp::SetOrigin(Point point) {
    m_origin = point;
    PlaceLists(point);
}

std::vector<CompArray> MultiListComp::CopyLists() const {
    std::vector<CompArray> copies;
    for (int32_t n = 1; n <= GetListCount(); ++n)
        copies.push_back(GetList(n)->CopyChildren());
    return copies;
}

CompList* MultiListComp::NextIn(const CompList* from, std::initializer_list<int32_t> order) const {
    if (from == nullptr) return GetList(*order.begin());
    for (auto it = order.begin(); it != order.end(); ++it)
        if (GetList(*it) == from)
            return std::next(it) != order.end() ? GetList(*std::next(it)) : nullptr;
    return nullptr;
}

bool MultiListComp::InEquation() const {
    const ParaComp* para = GetParagraph();
    return para != nullptr && para->IsEquation();
}
