// Delimiters, the overbar and the missing-argument placeholder.

#include "document/LatexWriter.h"
#include "expr/GroupNode.h"
#include "expr/LeafNodes.h"
#include "expr/RelationNodes.h"
#include "expr/UnaryNodes.h"
#include "mathbox/MathBoxBase.h"
#include "mathbox/MathBoxes.h"

#include <algorithm>

using boxes::kMathFace;
using boxes::LayOut;

// --- DelimComp ---

DelimComp::DelimComp() : MultiListComp(1, {}) {}

DelimComp::DelimComp(CompArray contents) : MultiListComp(1, Lists(std::move(contents))) {}

DelimComp::DelimComp(OwnedComponent only) : DelimComp(CompArrayOf(std::move(only))) {}

void DelimComp::Layout() {
    m_bounds = LayOut(*m_list);
    m_big = gDrawPort->NeedsBigDelimiters(m_bounds.top, m_bounds.bottom);
    if (m_big) {
        m_delimiterWidth = gDrawPort->GetBigDelimiterWidth();
    } else {
        // Measured in the face the parenthesis is drawn in, whatever face the content left
        // current.
        gDrawPort->SetFace(kMathFace);
        const Rect paren = gDrawPort->MeasureChar('(');
        m_delimiterWidth = paren.right;
        m_glyphTop = paren.top;
        m_bounds.top = std::min(m_bounds.top, paren.top);
        m_bounds.bottom = std::max(m_bounds.bottom, paren.bottom);
    }
    m_bounds.right += 2 * m_delimiterWidth;
    m_needsLayout = false;
}

void DelimComp::PlaceLists(Point p) {
    m_list->SetOrigin(Point(p.x + m_delimiterWidth, p.y));
}

void DelimComp::Draw() {
    DrawDelimiters();
}

void DelimComp::WriteLatex(LatexWriter& writer) {
    WriteLeftDelimiter(writer);
    m_list->WriteLatex(writer, false, false);
    WriteRightDelimiter(writer);
}

// --- The three delimiter kinds ---

// A matrix alone between the bars drops its own brackets as it lays out (`MatrixBox` looks at
// the list it stands in), so the bars need do nothing for it here.
AbsVComp::AbsVComp(CompArray contents) : DelimComp(std::move(contents)) {}

OwnedComponent AbsVComp::Clone() const {
    return OwnedComponent(new AbsVComp(m_list->CopyChildren()));
}

void AbsVComp::WriteText(OutBuffer& out) {
    out.PutString("| ");
    WriteContent(out);
    out.PutString(" |");
}

ExprNode* AbsVComp::ToExpression() {
    return new AbsDetNode(BoxSource(*this), ListExpression(*m_list));
}

void AbsVComp::WriteLeftDelimiter(LatexWriter& writer) {
    writer.WriteRaw("\\left| ");
}

void AbsVComp::WriteRightDelimiter(LatexWriter& writer) {
    writer.WriteRaw("\\right| ");
}

void AbsVComp::DrawDelimiters() {
    const int32_t w = m_delimiterWidth;
    const int32_t h = m_bounds.bottom - m_bounds.top;
    gDrawPort->MoveTo(Point(m_origin.x + w / 2, m_origin.y + m_bounds.top));
    gDrawPort->LineBy(0, h);
    m_list->Draw();
    gDrawPort->MoveTo(Point(m_origin.x + m_bounds.right - w / 2 - 1, m_origin.y + m_bounds.top));
    gDrawPort->LineBy(0, h);
}

OwnedComponent BracketComp::Clone() const {
    return OwnedComponent(new BracketComp(m_list->CopyChildren()));
}

void BracketComp::WriteText(OutBuffer& out) {
    out.PutChar('[');
    WriteContent(out);
    out.PutChar(']');
}

ExprNode* BracketComp::ToExpression() {
    return new GroupNode(BoxSource(*this), ListExpression(*m_list), false);
}

void BracketComp::WriteLeftDelimiter(LatexWriter& writer) {
    writer.WriteRaw("\\left[ ");
}

void BracketComp::WriteRightDelimiter(LatexWriter& writer) {
    writer.WriteRaw("\\right] ");
}

void BracketComp::DrawDelimiters() {
    const int32_t w = m_delimiterWidth;
    const int32_t h = m_bounds.bottom - m_bounds.top;
    gDrawPort->MoveTo(Point(m_origin.x + w - 1, m_origin.y + m_bounds.top));
    gDrawPort->LineBy(-w / 2, 0);
    gDrawPort->LineBy(0, h);
    gDrawPort->LineBy(w / 2, 0);
    m_list->Draw();
    gDrawPort->MoveTo(Point(m_origin.x + m_bounds.right - w, m_origin.y + m_bounds.top));
    gDrawPort->LineBy(w / 2, 0);
    gDrawPort->LineBy(0, h);
    gDrawPort->LineBy(-w / 2, 0);
}

OwnedComponent ParenComp::Clone() const {
    return OwnedComponent(new ParenComp(m_list->CopyChildren()));
}

void ParenComp::WriteText(OutBuffer& out) {
    out.PutChar('(');
    WriteContent(out);
    out.PutChar(')');
}

ExprNode* ParenComp::ToExpression() {
    return new GroupNode(BoxSource(*this), ListExpression(*m_list), true);
}

void ParenComp::WriteLeftDelimiter(LatexWriter& writer) {
    writer.WriteRaw("\\left( ");
}

void ParenComp::WriteRightDelimiter(LatexWriter& writer) {
    writer.WriteRaw("\\right) ");
}

void ParenComp::DrawDelimiters() {
    const auto one = [this](uint8_t code, Point at) {
        gDrawPort->SetFace(kMathFace);
        gDrawPort->MoveTo(at);
        if (m_big)
            gDrawPort->DrawBigDelimiter(code, m_bounds.top, m_bounds.bottom);
        else
            gDrawPort->DrawChar(code);
    };
    one('(', m_origin);
    m_list->Draw();
    one(')', Point(m_origin.x + m_bounds.right - m_delimiterWidth - m_bounds.left, m_origin.y));
}

// --- OverComp ---

OverComp::OverComp() : MultiListComp(1, {}) {}

OverComp::OverComp(CompArray contents) : MultiListComp(1, Lists(std::move(contents))) {}

OwnedComponent OverComp::Clone() const {
    return OwnedComponent(new OverComp(m_list->CopyChildren()));
}

void OverComp::Layout() {
    m_bounds = LayOut(*m_list);
    SizeGuard size(m_sizeLevel);
    m_barOffset = m_bounds.top - 2 * gDrawPort->GetSpacing();
    m_bounds.top = m_barOffset - 2;
    m_needsLayout = false;
}

void OverComp::Draw() {
    m_list->Draw();
    gDrawPort->MoveTo(Point(m_origin.x, m_origin.y + m_barOffset));
    gDrawPort->LineBy(m_bounds.right - m_bounds.left, 0);
}

void OverComp::WriteText(OutBuffer& out) {
    out.PutString("Conjugate(");
    m_list->WriteKernelInput(out);
    out.PutChar(')');
}

void OverComp::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("\\overline");
    m_list->WriteLatex(writer, true, false);
}

ExprNode* OverComp::ToExpression() {
    return new ConjugateNode(BoxSource(*this), ListExpression(*m_list));
}

// --- MissComp ---

OwnedComponent MissComp::Clone() const {
    return OwnedComponent(new MissComp);
}

void MissComp::Layout() {
    m_bounds = gDrawPort->GetPlaceholderBox();
    m_bounds.right = 2 * m_bounds.right - m_bounds.left;
    m_needsLayout = false;
}

void MissComp::Draw() {
    const Rect frame = GetFrame();
    const int32_t w = frame.right - frame.left;
    const int32_t h = frame.bottom - frame.top;
    gDrawPort->MoveTo(Point(frame.left, frame.top));
    gDrawPort->LineBy(w, 0);
    gDrawPort->LineBy(0, h);
    gDrawPort->LineBy(-w, 0);
    gDrawPort->LineBy(0, -h);
    gDrawPort->LineBy(w, h);
    gDrawPort->MoveTo(Point(frame.left, frame.bottom));
    gDrawPort->LineBy(w, -h);
}

void MissComp::WriteText(OutBuffer& out) {
    out.PutString("missing");
}

void MissComp::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("\\bowtie ");
}

ExprNode* MissComp::ToExpression() {
    return new SymbolNode(BoxSource(*this), std::string("missing"));
}
