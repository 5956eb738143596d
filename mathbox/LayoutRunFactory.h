#pragma once

// The run factory component lists lay their lines out with: the real kinds of layout run.

#include "document/RunFactory.h"

class LayoutRunFactory final : public RunFactory {
public:
    std::unique_ptr<Layout> NewPlaceholder(CompList* list, int32_t mode) override;
    std::unique_ptr<Layout> NewGray(CompList* list) override;
    std::unique_ptr<Layout> NewStructure(TextComp* comp, int32_t start) override;
    std::unique_ptr<Layout> NewWord(CompList* list, int32_t start, uint8_t code,
                                    int32_t face) override;
    std::unique_ptr<Layout> NewOperator(CompList* list, int32_t start, uint8_t code,
                                        int32_t face) override;
    std::unique_ptr<Layout> NewSpace(CompList* list, int32_t start, int32_t face) override;
    std::unique_ptr<Layout> NewTab(CompList* list, int32_t start, int32_t face) override;
};
