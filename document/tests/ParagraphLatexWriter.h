#pragma once

// A LaTeX writer for tests of components: the document and paragraph operations do nothing,
// so a test overrides only the list operations it records.

#include "document/LatexWriter.h"

namespace fakes {

class ParagraphLatexWriter : public LatexWriter {
public:
    void WriteReference(const RefSource&, bool) override {}
    void WriteHeader(bool, int32_t) override {}
    void EndDocument() override {}
    void BeginParagraph(int32_t, const RefSource*, bool) override {}
    void EndParagraph(int32_t, const RefSource*) override {}
    void BeginEquationBlock() override {}
    void EndEquationBlock() override {}
};

} // namespace fakes
