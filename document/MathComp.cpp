#include "document/MathComp.h"

#include "document/CompList.h"

namespace {
constexpr int32_t kBackspace = 8;
constexpr int32_t kTab = 9;
constexpr int32_t kReturn = 13;
} // namespace

void MathComp::InvalidateLayout() {
    m_needsLayout = true;
    if (m_parent != nullptr) m_parent->InvalidateLayout();
}

int32_t MathComp::HandleKey(const DocPos& pos, int32_t key, int32_t flag1, int32_t flag2) {
    switch (key & 0xFF) {
    case kBackspace: {
        if (pos.index == 1) return editcode::kExitLeft;
        // A second backspace then deletes a structure that the first one selected.
        const CompList* list = pos.GetList();
        const TextComp* before = list != nullptr ? list->GetAt(pos.index - 1) : nullptr;
        return before != nullptr && !before->IsNotChar() ? editcode::kDeleteBefore
                                                         : editcode::kExtendLeft;
    }
    case kTab:
    case kReturn:
        return editcode::kExitRight;
    default: {
        TextComp* owner = m_parent != nullptr ? m_parent->GetOwner() : nullptr;
        return owner != nullptr ? owner->HandleKey(pos, key, flag1, flag2) : 0;
    }
    }
}

bool MathComp::IsCommandEnabled(int32_t id, const DocPos& pos) const {
    const TextComp* owner = m_parent != nullptr ? m_parent->GetOwner() : nullptr;
    return owner != nullptr ? owner->IsCommandEnabled(id, pos)
                            : TextComp::IsCommandEnabled(id, pos);
}
