#pragma once

// The file benchmarks' document: paragraphs of about 400 characters in changing faces, one in
// ten a plain equation. Five paragraphs make a page, so 2,500 are a 500-page document. Built
// with the test stand-ins for glyphs and styles, which store the same bytes as the real ones.

#include "document/CompSequence.h"
#include "document/SequenceBody.h"
#include "document/TessaryDoc.h"
#include "document/tests/FakeHost.h"
#include "document/tests/SequenceFakes.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace sample {

inline constexpr int32_t kParagraphsPerPage = 5;

inline void Fill(CompSequence& seq, int32_t paragraphs) {
    const std::string words = "the integral of a sum is the sum of the integrals ";
    for (int32_t i = 0; i < paragraphs; ++i) {
        auto para = std::make_unique<ParaComp>(i % 10 == 0 ? ParaStyle::kPlainEquation
                                                           : ParaStyle::kParagraph);
        for (int32_t run = 0; run < 8; ++run)
            fakes::AppendChars(*para->GetList(1), words, (i + run) % 4);
        seq.Append(std::move(para));
    }
}

// Saves a document of `paragraphs` such paragraphs at `path`, for a benchmark that opens it.
inline void Save(const std::string& path, int32_t paragraphs) {
    seqfakes::Services services;
    fakes::Host host;
    CTessaryDoc doc{host};
    doc.OnNewDocument();
    Fill(static_cast<SequenceBody&>(doc.GetBody()).GetSequence(), paragraphs);
    if (!doc.OnSaveDocument(path)) std::abort();
}

} // namespace sample
