#include "document/CompositeComp.h"

namespace {
// The mode word an empty nested list hands its placeholder run.
constexpr int32_t kBoxPlaceholderMode = 1;
} // namespace

CompositeComp::CompositeComp() : m_list(std::make_unique<CompList>()) {
    m_list->SetOwner(this, kBoxPlaceholderMode);
}

CompositeComp::CompositeComp(CompArray&& children)
    : m_list(std::make_unique<CompList>(std::move(children))) {
    m_list->SetOwner(this, kBoxPlaceholderMode);
}

// The operations over "every child list" walk the lists by number, so boxes with several lists
// only answer `GetList` and `GetListCount`.

void CompositeComp::InvalidateAll() {
    for (int32_t n = 1; n <= GetListCount(); ++n)
        GetList(n)->InvalidateAll();
    m_needsLayout = true;
}

void CompositeComp::SetOrigin(Point point) {
    m_origin = point;
    m_list->SetOrigin(point);
}

DocPos CompositeComp::PosFromPoint(Point point, bool rightHalf) {
    for (int32_t n = 1; n <= GetListCount(); ++n) {
        CompList* list = GetList(n);
        if (list->ContainsPoint(point)) return list->PosFromPoint(point, rightHalf);
    }
    return TextComp::PosFromPoint(point, rightHalf);
}

TextComp* CompositeComp::FindAt(Point point) {
    for (int32_t n = 1; n <= GetListCount(); ++n) {
        CompList* list = GetList(n);
        if (list->ContainsPoint(point)) {
            TextComp* found = list->FindAt(point);
            return found != nullptr ? found : this;
        }
    }
    return this;
}

bool CompositeComp::IsEqual(const TextComp& other) const {
    if (!(GetTypeTag() == other.GetTypeTag())) return false;
    if (GetListCount() != other.GetListCount()) return false;
    for (int32_t n = 1; n <= GetListCount(); ++n) {
        const CompList* mine = GetList(n);
        const CompList* theirs = other.GetList(n);
        if (mine == nullptr || theirs == nullptr || !mine->IsEqual(*theirs)) return false;
    }
    return true;
}

DocPos CompositeComp::GetCaretAfterInsert() {
    DocPos pos;
    pos.SetAt(m_list.get(), 1);
    return pos;
}

void CompositeComp::ApplyStyle(int32_t face) {
    for (int32_t n = 1; n <= GetListCount(); ++n) {
        CompList* list = GetList(n);
        list->ApplyStyle(face, 1, list->GetCount() + 1);
    }
}

void CompositeComp::SetSizeLevel(uint8_t level) {
    MathComp::SetSizeLevel(level);
    for (int32_t n = 1; n <= GetListCount(); ++n)
        GetList(n)->SetSizeLevel(level);
}
