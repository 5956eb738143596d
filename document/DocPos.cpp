#include "document/DocPos.h"

#include "document/CompList.h"
#include "document/TextComp.h"

void DocPos::Clear() {
    target = nullptr;
    paragraph = nullptr;
    index = -1;
    kind = kNone;
    columns = 0;
}

void DocPos::SetAt(CompList* list, int32_t at) {
    target = list;
    // A paragraph answers itself, so the owner's answer is the paragraph whether the owner is the
    // paragraph or a box inside it.
    TextComp* owner = list != nullptr ? list->GetOwner() : nullptr;
    paragraph = owner != nullptr ? owner->GetParagraph() : nullptr;
    index = at;
    kind = kInList;
    columns = 0;
}

CompList* DocPos::GetList() const {
    return kind == kInList ? static_cast<CompList*>(target) : nullptr;
}
