#include "document/RunFactory.h"

#include "document/Layout.h"
#include "document/TextComp.h"
#include "mathbox/CharTable.h"

ServiceSlot<RunFactory> gRunFactory;

std::unique_ptr<Layout> NewRunFor(CompList* list, int32_t i, TextComp* child) {
    return NewRunFor(*gRunFactory.operator->(), list, i, child);
}

std::unique_ptr<Layout> NewRunFor(RunFactory& factory, CompList* list, int32_t i, TextComp* child) {
    if (child->IsNotChar()) return factory.NewStructure(child, i);
    // Characters are classified by their stored code: the face decides which map turns the byte
    // into a table index.
    const uint8_t code = child->GetCharCode();
    const int32_t face = child->GetStyleId();
    switch (CharInfoFor(code, face).charClass) {
    case CC_LETTER:
        return factory.NewWord(list, i, code, face);
    case CC_SPACE:
        if (code == ' ') return factory.NewSpace(list, i, face);
        if (code == '\t') return factory.NewTab(list, i, face);
        return factory.NewOperator(list, i, code, face);
    default:
        return factory.NewOperator(list, i, code, face);
    }
}
