#pragma once

// What the layout tests share: the fake glyphs and the formula-measuring drawing port of the
// document tests, the real builders and run factory, a document that hands out paragraph
// identities, and helpers that build, lay out and place paragraphs.

#include "document/NumberPool.h"
#include "document/ParaComp.h"
#include "document/ParaDocument.h"
#include "document/RefComp.h"
#include "document/tests/Fakes.h"
#include "mathbox/LayoutRuns.h"
#include "mathbox/LayoutStyleTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <string_view>
#include <vector>

namespace layouttest {

// A document with its one paragraph sequence: numbers from a pool, paragraphs found by identity.
class Document final : public ParaDocument, public ParaSequence {
public:
    int32_t ClaimParagraphNumber(int32_t identity) override {
        return identity > 0 ? pool.Reserve(identity) : pool.Take();
    }
    void ReleaseParagraphNumber(int32_t identity) override { pool.Release(identity); }
    ParaComp* FindParagraph(int32_t identity) const override {
        for (ParaComp* para : paragraphs)
            if (para->GetIdentity() == identity) return para;
        return nullptr;
    }
    bool HasLargerEquations() const override { return largerEquations; }
    ParaDocument* GetDocument() const override { return const_cast<Document*>(this); }

    // Takes a paragraph in at the end.
    ParaComp& Add(ParaComp* para) {
        paragraphs.push_back(para);
        para->SetOwner(this);
        return *para;
    }

    NumberPool pool;
    std::vector<ParaComp*> paragraphs; // not owned
    bool largerEquations = false;
};

// Disposes of paragraphs through `Destroy`.
using OwnedPara = std::unique_ptr<ParaComp, ComponentDestroyer>;

inline OwnedPara MakePara(int32_t style, std::string_view text = {}, int32_t face = -1) {
    OwnedPara para(new ParaComp(style));
    if (!text.empty())
        fakes::AppendChars(*para->GetList(1), text,
                           face >= 0 ? face : para->GetStyle().GetTextFace());
    return para;
}

// Builds and places at the left margin and `top`.
inline void LayOut(ParaComp& para, int32_t top = 100, const ParaComp* previous = nullptr) {
    para.LayoutLines(previous);
    para.SetOrigin(Point(gDrawPort->GetLeftMargin(), top));
}

inline const RunArray& Runs(ParaComp& para) {
    return para.GetList(1)->GetRuns();
}

inline std::vector<const Layout*> LineRuns(ParaComp& para) {
    std::vector<const Layout*> lines;
    for (const Layout* run : Runs(para))
        if (run->IsLineRun()) lines.push_back(run);
    return lines;
}

class LayoutTest : public ::testing::Test {
protected:
    fakes::GlyphSource glyphs;
    fakes::DrawPort port;
    LayoutServices services;

    int32_t C() { return port.columnWidth; }
    int32_t M() { return port.leftMargin; }
    int32_t E() { return port.rightEdge; }
};

} // namespace layouttest
