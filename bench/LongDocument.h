#pragma once

// The 500-page document the file and clipboard benchmarks move: 2,500 paragraphs of about 400
// characters in changing faces, every tenth an equation, over the fake glyph source.

#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "document/ParaStyle.h"
#include "document/tests/Fakes.h"

#include <memory>
#include <string>

namespace tessary::bench {

inline constexpr int32_t kLongDocumentParagraphs = 2500;

inline void AppendLongDocument(CompSequence& seq) {
    const std::string words = "the integral of a sum is the sum of the integrals ";
    for (int32_t i = 0; i < kLongDocumentParagraphs; ++i) {
        auto para = std::make_unique<ParaComp>(i % 10 == 0 ? ParaStyle::kPlainEquation
                                                           : ParaStyle::kParagraph);
        for (int32_t run = 0; run < 8; ++run)
            fakes::AppendChars(*para->GetList(1), words, (i + run) % 4);
        seq.Append(std::move(para));
    }
}

} // namespace tessary::bench
