#include "expr/PlusNode.h"

#include "expr/ExprSettings.h"
#include "expr/Fencing.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"

#include <algorithm>
#include <vector>

namespace {

void AppendSign(BoxList& boxes, SignCode sign) {
    if (sign == kMinusSign) boxes.AddGlyph(glyph::kMinus);
    if (sign == kPlusMinusSign) boxes.AddGlyph(glyph::kPlusMinus);
}

void WriteSign(MathMLWriter& writer, SignCode sign, bool first) {
    if (sign == kNoSign && first) return;
    writer.WriteStartTag("mo");
    if (sign == kPlusMinusSign)
        writer.WriteEntity("PlusMinus");
    else
        writer.WriteRaw(sign == kMinusSign ? "-" : "+");
    writer.WriteEndTag("mo");
}

} // namespace

void PlusNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutListToLink(link, mode, "TYPlus");
}

void PlusNode::PutStandardToLink(QKLINK link) const {
    PutListStandard(link, "Plus");
}

NodePtr PlusNode::ListTransform() const {
    return FirstItemCopy<PlusNode>();
}

bool PlusNode::IsAtom() const {
    return IsSingleAtom();
}

void PlusNode::BuildBoxes(BoxList& boxes, int32_t level) {
    if (!FirstChild()) return;
    std::vector<ExprNode*> terms;
    for (ExprNode* term = FirstChild(); term; term = term->Next())
        terms.push_back(term);
    if (CurrentExprSettings().constantsToBack) {
        // Only the display order changes; equal keys keep their order.
        std::stable_sort(terms.begin(), terms.end(), [](ExprNode* a, ExprNode* b) {
            return a->OrderValue() < b->OrderValue();
        });
    }
    const bool wrapped = level > 6;
    BoxList inner;
    BoxList& target = wrapped ? inner : boxes;
    bool first = true;
    for (ExprNode* term : terms) {
        const SignCode sign = term->StripNegative();
        if (!first) {
            target.AddGlyph(glyph::kBlank);
            if (sign == kNoSign) target.AddGlyph(glyph::kPlus);
        }
        AppendSign(target, sign);
        if (!first) target.AddGlyph(glyph::kBlank);
        // A term after "-" or "±" binds as a power base would: a - (b + c) keeps its
        // parentheses, in the wrapped form too.
        term->BuildBoxes(target, sign == kNoSign ? 6 : 8);
        first = false;
    }
    if (wrapped) AppendParenthesised(boxes, std::move(inner));
}

void PlusNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mrow");
    bool first = true;
    for (ExprNode* term = FirstChild(); term; term = term->Next()) {
        const SignCode sign = term->StripNegative();
        WriteSign(writer, sign, first);
        // The levels the boxes use: a - (b + c) keeps its parentheses.
        WriteMathMLAt(writer, *term, sign == kNoSign ? 6 : 8);
        first = false;
    }
    writer.WriteEndTag("mrow");
}

bool PlusNode::SetMark(ExprNode* first, ExprNode* last) {
    return MarkRun(first, last, std::make_unique<PlusNode>());
}

void PlusNode::VisitTreeNoArg() {
    Flatten();
}
