// Radicals, integrals, sums, products and limits.

#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "expr/CalculusNodes.h"
#include "expr/LeafNodes.h"
#include "expr/PowerNode.h"
#include "expr/ScriptNodes.h"
#include "mathbox/MathBoxBase.h"
#include "mathbox/MathBoxes.h"

#include <algorithm>

using boxes::Height;
using boxes::kMathFace;
using boxes::LayOut;
using boxes::UnitAt;

namespace {

constexpr uint8_t kIntegralSign = 189;

uint8_t Smaller(uint8_t level, int32_t steps) {
    return static_cast<uint8_t>(level + steps);
}

} // namespace

// --- SqrtComp ---

SqrtComp::SqrtComp() : MultiListComp(2, {}) {
    SetSizeLevel(0);
}

SqrtComp::SqrtComp(CompArray radicand, CompArray index)
    : MultiListComp(2, Lists(std::move(radicand), std::move(index))) {
    SetSizeLevel(0);
}

OwnedComponent SqrtComp::Clone() const {
    std::vector<CompArray> lists = CopyLists();
    return OwnedComponent(new SqrtComp(std::move(lists[0]), std::move(lists[1])));
}

void SqrtComp::SetSizeLevel(uint8_t level) {
    MathComp::SetSizeLevel(level);
    GetList(1)->SetSizeLevel(level);
    GetList(2)->SetSizeLevel(Smaller(level, 2));
}

int32_t SqrtComp::IndexWidth(int32_t u) const {
    return std::max(GetList(2)->GetBounds().right, u);
}

void SqrtComp::Layout() {
    const Rect r = LayOut(*GetList(1));
    const Rect index = LayOut(*GetList(2));
    const int32_t u = UnitAt(m_sizeLevel);
    const int32_t h = Height(r);
    const int32_t top = std::min(r.bottom - h / 2 - Height(index), r.top - 2 * u);
    m_bounds = Rect(0, top, IndexWidth(u) + 3 * u / 2 + h / 3 + r.right, r.bottom);
    m_needsLayout = false;
}

void SqrtComp::PlaceLists(Point p) {
    const Rect r = GetList(1)->GetBounds();
    const Rect index = GetList(2)->GetBounds();
    const int32_t u = UnitAt(m_sizeLevel);
    const int32_t h = Height(r);
    GetList(2)->SetOrigin(Point(p.x, p.y + r.bottom - h / 2 - index.bottom));
    GetList(1)->SetOrigin(Point(p.x + IndexWidth(u) + h / 3 + u, p.y));
}

void SqrtComp::Draw() {
    GetList(1)->Draw();
    GetList(2)->Draw();
    const Rect r = GetList(1)->GetBounds();
    const int32_t u = UnitAt(m_sizeLevel);
    const int32_t h = Height(r);
    gDrawPort->MoveTo(Point(m_origin.x, m_origin.y + r.bottom - h / 2));
    gDrawPort->LineBy(IndexWidth(u), 0);
    gDrawPort->LineBy(u / 2 + h / 6, h / 2);
    gDrawPort->LineBy(h / 6, -h - 2 * u);
    gDrawPort->LineBy(r.right + u, 0);
}

void SqrtComp::WriteText(OutBuffer& out) {
    if (GetList(2)->GetCount() == 0) {
        out.PutString("sqrt(");
        GetList(1)->WriteKernelInput(out);
        out.PutChar(')');
    } else {
        out.PutChar('(');
        GetList(1)->WriteKernelInput(out);
        out.PutString(")^1/");
        GetList(2)->WriteKernelInput(out);
    }
}

void SqrtComp::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("\\sqrt");
    if (GetList(2)->GetCount() != 0) {
        writer.WriteRaw("[");
        GetList(2)->WriteLatex(writer, false, false);
        writer.WriteRaw("]");
    }
    GetList(1)->WriteLatex(writer, true, false);
}

ExprNode* SqrtComp::ToExpression() {
    NodePtr radicand = ListExpression(*GetList(1));
    NodePtr index = GetList(2)->GetCount() != 0 ? ListExpression(*GetList(2)) : nullptr;
    return new RadicalNode(BoxSource(*this), std::move(radicand), std::move(index));
}

// --- InteComp ---

InteComp::InteComp() : MultiListComp(4, {}) {
    SetSizeLevel(0);
}

InteComp::InteComp(CompArray integrand, CompArray variable)
    : MultiListComp(4, Lists(std::move(integrand), std::move(variable))) {
    SetSizeLevel(0);
}

InteComp::InteComp(CompArray integrand, CompArray variable, CompArray upper, CompArray lower)
    : MultiListComp(
          4, Lists(std::move(integrand), std::move(variable), std::move(lower), std::move(upper))) {
    SetSizeLevel(0);
}

OwnedComponent InteComp::Clone() const {
    std::vector<CompArray> lists = CopyLists();
    return OwnedComponent(new InteComp(std::move(lists[0]), std::move(lists[1]),
                                       std::move(lists[3]), std::move(lists[2])));
}

CompList* InteComp::ListAbove(const CompList* from) const {
    if (CompList* to = Step(from, 3, 1)) return to;
    return Step(from, 1, 4);
}

CompList* InteComp::ListBelow(const CompList* from) const {
    if (CompList* to = Step(from, 4, 1)) return to;
    return Step(from, 1, 3);
}

void InteComp::SetSizeLevel(uint8_t level) {
    MathComp::SetSizeLevel(level);
    // Bounds sit closer to the sign in running text; a box outside any paragraph is laid out
    // as in an equation.
    const bool display = GetParagraph() == nullptr || InEquation();
    GetList(1)->SetSizeLevel(level);
    GetList(2)->SetSizeLevel(level);
    GetList(3)->SetSizeLevel(Smaller(level, display ? 2 : 3));
    GetList(4)->SetSizeLevel(Smaller(level, display ? 2 : 3));
}

void InteComp::Layout() {
    const Rect integrand = LayOut(*GetList(1));
    const Rect variable = LayOut(*GetList(2));
    const Rect lo = LayOut(*GetList(3));
    const Rect up = LayOut(*GetList(4));
    SizeGuard size(m_sizeLevel);
    const int32_t u = gDrawPort->GetSpacing();
    gDrawPort->SetFace(kMathFace);
    const Rect d = gDrawPort->MeasureChar('d');
    m_dTop = d.top;
    m_display = InEquation();
    Rect sign;
    int32_t a = 0;
    int32_t b = 0;
    if (m_display) {
        sign = gDrawPort->MeasureBigSymbol(kIntegralSign);
        a = sign.top - up.top / 2;
        b = sign.bottom - lo.top / 2;
    } else {
        // The sign is measured in the face it is drawn in.
        sign = gDrawPort->MeasureChar(kIntegralSign);
        a = sign.top - up.top;
        b = sign.bottom;
    }
    m_signTop = sign.top;
    m_signRight = sign.right;
    const int32_t halfSpace = gDrawPort->CharWidth(' ') / 2;
    const int32_t overlap = (a + up.bottom) - (b + lo.top);
    if (overlap > 0) {
        a = a - u / 2 - overlap / 2;
        b = b + overlap / 2;
    }
    m_upperBaseline = a;
    m_lowerBaseline = b;
    m_slant = sign.right / 3;
    const int32_t extent = std::max(lo.Width() - m_slant, up.Width() + m_slant / 2);
    m_integrandX = sign.right + u / 2 + extent;
    m_dX = m_integrandX + integrand.right + halfSpace;
    m_variableX = m_dX + d.right + halfSpace;
    m_bounds =
        Rect(0, std::min({integrand.top, variable.top, a + up.top}), m_variableX + variable.right,
             std::max({integrand.bottom, variable.bottom, b + lo.bottom}));
    m_needsLayout = false;
}

void InteComp::PlaceLists(Point p) {
    const int32_t upperX = p.x + m_signRight + m_slant / 2;
    GetList(4)->SetOrigin(Point(upperX, p.y + m_upperBaseline));
    GetList(3)->SetOrigin(Point(upperX - m_slant, p.y + m_lowerBaseline));
    GetList(1)->SetOrigin(Point(p.x + m_integrandX, p.y));
    GetList(2)->SetOrigin(Point(p.x + m_variableX, p.y));
}

void InteComp::Draw() {
    {
        SizeGuard size(m_sizeLevel);
        gDrawPort->SetFace(kMathFace);
        gDrawPort->MoveTo(m_origin);
        if (m_display)
            gDrawPort->DrawBigSymbol(kIntegralSign);
        else
            gDrawPort->DrawChar(kIntegralSign);
    }
    GetList(4)->Draw();
    GetList(3)->Draw();
    GetList(1)->Draw();
    {
        SizeGuard size(m_sizeLevel);
        gDrawPort->SetFace(kMathFace);
        gDrawPort->MoveTo(Point(m_origin.x + m_dX, m_origin.y));
        gDrawPort->DrawChar('d');
    }
    GetList(2)->Draw();
}

void InteComp::WriteText(OutBuffer& out) {
    out.PutSymbol(kIntegralSign, TextSymbol::Kind::BigOperator);
    out.PutChar(' ');
    GetList(1)->WriteKernelInput(out);
    out.PutString(" d");
    GetList(2)->WriteKernelInput(out);
}

void InteComp::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("\\int");
    if (GetList(3)->GetCount() != 0) {
        writer.WriteRaw("_");
        GetList(3)->WriteLatex(writer, true, false);
    }
    if (GetList(4)->GetCount() != 0) {
        writer.WriteRaw("^");
        GetList(4)->WriteLatex(writer, true, false);
    }
    writer.WriteRaw(" ");
    GetList(1)->WriteLatex(writer, false, false);
    writer.WriteRaw(" d ");
    GetList(2)->WriteLatex(writer, false, false);
}

ExprNode* InteComp::ToExpression() {
    // One bound alone makes no definite integral: the integral is indefinite.
    const bool bounds = GetList(3)->GetCount() != 0 && GetList(4)->GetCount() != 0;
    NodePtr upper = bounds ? ListExpression(*GetList(4)) : nullptr;
    NodePtr lower = bounds ? ListExpression(*GetList(3)) : nullptr;
    NodePtr integrand = ListExpression(*GetList(1));
    NodePtr variable = ListExpression(*GetList(2));
    return new IntegrateNode(BoxSource(*this), std::move(upper), std::move(lower),
                             std::move(integrand), std::move(variable));
}

// --- BigOpComp ---

// Qualified, since in a constructor only this class's own version can run.
BigOpComp::BigOpComp() : MultiListComp(2, {}) {
    BigOpComp::SetSizeLevel(0);
}

BigOpComp::BigOpComp(CompArray upper, CompArray lower)
    : MultiListComp(2, Lists(std::move(lower), std::move(upper))) {
    BigOpComp::SetSizeLevel(0);
}

void BigOpComp::SetSizeLevel(uint8_t level) {
    MathComp::SetSizeLevel(level);
    GetList(1)->SetSizeLevel(Smaller(level, 3));
    GetList(2)->SetSizeLevel(Smaller(level, 3));
}

void BigOpComp::Layout() {
    const Rect lo = LayOut(*GetList(1));
    const Rect up = LayOut(*GetList(2));
    SizeGuard size(m_sizeLevel);
    const int32_t u = gDrawPort->GetSpacing();
    gDrawPort->SetFace(kMathFace);
    m_symbol = gDrawPort->MeasureBigSymbol(GetSymbolCode());
    m_bounds =
        Rect(0, m_symbol.top - u - Height(up), std::max({m_symbol.right, up.right, lo.right}),
             m_symbol.bottom + u + Height(lo));
    m_needsLayout = false;
}

void BigOpComp::PlaceLists(Point p) {
    const Rect lo = GetList(1)->GetBounds();
    const Rect up = GetList(2)->GetBounds();
    const int32_t u = UnitAt(m_sizeLevel);
    GetList(2)->SetOrigin(
        Point(p.x + (m_bounds.right - up.right) / 2, p.y + m_symbol.top - u - up.bottom));
    GetList(1)->SetOrigin(
        Point(p.x + (m_bounds.right - lo.right) / 2, p.y + m_symbol.bottom + u - lo.top));
}

void BigOpComp::Draw() {
    {
        SizeGuard size(m_sizeLevel);
        gDrawPort->SetFace(kMathFace);
        gDrawPort->MoveTo(Point(m_origin.x + (m_bounds.right - m_symbol.right) / 2, m_origin.y));
        gDrawPort->DrawBigSymbol(GetSymbolCode());
    }
    GetList(1)->Draw();
    GetList(2)->Draw();
}

void BigOpComp::WriteText(OutBuffer& out) {
    out.PutSymbol(GetSymbolCode(), TextSymbol::Kind::BigOperator);
    out.PutChar(' ');
    GetList(1)->WriteKernelInput(out);
}

void BigOpComp::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw(WriteLatexName());
    writer.WriteRaw("_");
    GetList(1)->WriteLatex(writer, true, false);
    writer.WriteRaw("^");
    GetList(2)->WriteLatex(writer, true, false);
    writer.WriteRaw(" ");
}

ExprNode* BigOpComp::ToExpression() {
    const NodeSource source = BoxSource(*this);
    NodePtr lower = ListExpression(*GetList(1));
    // An empty upper limit is none at all, so the kernel gets the lower limit alone rather
    // than an iterator with a Null end.
    NodePtr upper = GetList(2)->GetCount() != 0 ? ListExpression(*GetList(2)) : nullptr;
    return new BigOperatorNode(source, std::make_unique<SymbolNode>(source, GetSymbolIndex()),
                               std::move(lower), std::move(upper));
}

OwnedComponent SumComp::Clone() const {
    std::vector<CompArray> lists = CopyLists();
    return OwnedComponent(new SumComp(std::move(lists[1]), std::move(lists[0])));
}

OwnedComponent ProdComp::Clone() const {
    std::vector<CompArray> lists = CopyLists();
    return OwnedComponent(new ProdComp(std::move(lists[1]), std::move(lists[0])));
}

// --- LimitComp ---

namespace {
CompArray LimitWord() {
    CompList word(Str255("lim"), kMathFace);
    return word.DetachChildren();
}
} // namespace

LimitComp::LimitComp() : MultiListComp(2, Lists(CompArray(), LimitWord())) {}

LimitComp::LimitComp(CompArray approach)
    : MultiListComp(2, Lists(std::move(approach), LimitWord())) {}

OwnedComponent LimitComp::Clone() const {
    return OwnedComponent(new LimitComp(GetList(1)->CopyChildren()));
}

void LimitComp::Layout() {
    const Rect a = LayOut(*GetList(1));
    m_bounds = LayOut(*GetList(2));
    const int32_t u = UnitAt(m_sizeLevel);
    m_bounds.bottom += Height(a) + u;
    m_bounds.right = std::max(m_bounds.right, a.right);
    m_needsLayout = false;
}

void LimitComp::PlaceLists(Point p) {
    const Rect a = GetList(1)->GetBounds();
    const Rect w = GetList(2)->GetBounds();
    const int32_t u = UnitAt(m_sizeLevel);
    GetList(2)->SetOrigin(Point(p.x + (m_bounds.right - w.right) / 2, p.y));
    GetList(1)->SetOrigin(Point(p.x + (m_bounds.right - a.right) / 2, p.y + w.bottom + u - a.top));
}

void LimitComp::Draw() {
    GetList(2)->Draw();
    GetList(1)->Draw();
}

void LimitComp::WriteText(OutBuffer& out) {
    out.PutString("lim ");
}

void LimitComp::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("\\lim_");
    GetList(1)->WriteLatex(writer, true, false);
}

ExprNode* LimitComp::ToExpression() {
    return new LimitNode(BoxSource(*this), ListExpression(*GetList(1)));
}
