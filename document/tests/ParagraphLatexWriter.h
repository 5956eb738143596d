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
    void BeginTitle() override {}
    void EndTitle() override {}
    void BeginSection() override {}
    void EndSection(const RefSource&) override {}
    void BeginSubsection() override {}
    void EndHeading() override {}
    void BeginParagraph(bool) override {}
    void EndParagraph() override {}
    void BeginListItem(const RefSource&) override {}
    void EndListItem(const RefSource&) override {}
    void BeginDisplayMath() override {}
    void EndDisplayMath() override {}
    void BeginEquation() override {}
    void EndEquation(const RefSource&) override {}
    void BeginEqnarray() override {}
    void EndEqnarray() override {}
    void BeginVerbatim() override {}
    void NewLine() override {}
    void WriteLink(const Str255&, const Str255&) override {}
};

} // namespace fakes
