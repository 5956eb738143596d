#include "mathbox/LayoutRunFactory.h"

#include "mathbox/LayoutRuns.h"

std::unique_ptr<Layout> LayoutRunFactory::NewPlaceholder(CompList* list, int32_t mode) {
    return std::make_unique<PlaceholderLayout>(list, mode);
}

std::unique_ptr<Layout> LayoutRunFactory::NewGray(CompList* list) {
    return std::make_unique<GrayLayout>(list);
}

std::unique_ptr<Layout> LayoutRunFactory::NewStructure(TextComp* comp, int32_t start) {
    return std::make_unique<StructureLayout>(comp, start);
}

std::unique_ptr<Layout> LayoutRunFactory::NewWord(CompList* list, int32_t start, uint8_t code,
                                                  int32_t face) {
    return std::make_unique<WordLayout>(list, start, code, face);
}

std::unique_ptr<Layout> LayoutRunFactory::NewOperator(CompList* list, int32_t start, uint8_t code,
                                                      int32_t face) {
    return std::make_unique<OperatorLayout>(list, start, code, face);
}

std::unique_ptr<Layout> LayoutRunFactory::NewSpace(CompList* list, int32_t start, int32_t face) {
    return std::make_unique<SpaceLayout>(list, start, face);
}

std::unique_ptr<Layout> LayoutRunFactory::NewTab(CompList* list, int32_t start, int32_t face) {
    return std::make_unique<TabLayout>(list, start, face);
}
