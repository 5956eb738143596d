// Fractions, superscripts and subscripts.

#include "document/GlyphSource.h"
#include "document/LatexWriter.h"
#include "expr/CalculusNodes.h"
#include "expr/GroupNode.h"
#include "expr/LeafNodes.h"
#include "expr/PowerNode.h"
#include "expr/ScriptNodes.h"
#include "expr/UnaryNodes.h"
#include "mathbox/MathBoxBase.h"
#include "mathbox/MathBoxes.h"

#include <algorithm>
#include <string>

using boxes::Height;
using boxes::kMathFace;
using boxes::LayOut;
using boxes::UnitAt;

namespace {

constexpr uint8_t kPrime = 183;
constexpr uint8_t kDoublePrime = 242;

} // namespace

// --- FracComp ---

FracComp::FracComp() : MultiListComp(2, {}) {}

FracComp::FracComp(CompArray numerator, CompArray denominator)
    : MultiListComp(2, Lists(std::move(numerator), std::move(denominator))) {}

OwnedComponent FracComp::Clone() const {
    std::vector<CompArray> lists = CopyLists();
    return OwnedComponent(new FracComp(std::move(lists[0]), std::move(lists[1])));
}

CompList* FracComp::ListRightOf(const CompList* from) const {
    return from == nullptr ? GetList(1) : Step(from, 1, 2);
}

CompList* FracComp::ListLeftOf(const CompList* from) const {
    return from == nullptr ? GetList(2) : Step(from, 2, 1);
}

void FracComp::Layout() {
    const Rect n = LayOut(*GetList(1));
    const Rect d = LayOut(*GetList(2));
    SizeGuard size(m_sizeLevel);
    const int32_t u = gDrawPort->GetSpacing();
    m_stacked = InEquation();
    if (m_stacked) {
        m_axis = gDrawPort->GetMathAxis();
        const int32_t right = n.right > d.right ? n.right : d.right + 2 * u;
        m_bounds = Rect(0, m_axis - 2 * u - Height(n), right, m_axis + 2 * u - u / 2 + Height(d));
    } else {
        gDrawPort->SetFace(kMathFace);
        m_slashWidth = gDrawPort->CharWidth('/');
        m_bounds = Rect(0, std::min(n.top, d.top), n.right + m_slashWidth + d.right + u,
                        std::max(n.bottom, d.bottom));
    }
    m_needsLayout = false;
}

void FracComp::PlaceLists(Point p) {
    const int32_t u = UnitAt(m_sizeLevel);
    const Rect n = GetList(1)->GetBounds();
    const Rect d = GetList(2)->GetBounds();
    if (m_stacked) {
        GetList(1)->SetOrigin(
            Point(p.x + (m_bounds.right - n.right) / 2, p.y + m_axis - u - n.bottom));
        GetList(2)->SetOrigin(
            Point(p.x + (m_bounds.right - d.right) / 2, p.y + m_axis + 2 * u - u / 2 - d.top));
    } else {
        GetList(1)->SetOrigin(p);
        GetList(2)->SetOrigin(Point(p.x + n.right + m_slashWidth + u, p.y));
    }
}

void FracComp::Draw() {
    GetList(1)->Draw();
    GetList(2)->Draw();
    SizeGuard size(m_sizeLevel);
    const int32_t u = gDrawPort->GetSpacing();
    if (m_stacked) {
        gDrawPort->MoveTo(Point(m_origin.x + u / 2, m_origin.y + m_axis - u / 2));
        gDrawPort->LineBy(m_bounds.right - u, 0);
    } else {
        gDrawPort->SetFace(kMathFace);
        gDrawPort->MoveTo(Point(m_origin.x + u / 2 + GetList(1)->GetWidth(), m_origin.y));
        gDrawPort->DrawChar('/');
    }
}

DocPos FracComp::PosFromPoint(Point point, bool rightHalf) {
    for (int32_t n = 1; n <= 2; ++n)
        if (GetList(n)->ContainsPoint(point)) return GetList(n)->PosFromPoint(point, rightHalf);
    CompList* list = point.y > m_origin.y + m_axis ? GetList(2) : GetList(1);
    const bool left = point.x < m_origin.x + (m_bounds.left + m_bounds.right) / 2;
    DocPos pos;
    pos.SetAt(list, left ? 1 : list->GetCount() + 1);
    return pos;
}

void FracComp::WriteText(OutBuffer& out) {
    boxes::WriteParenthesised(*GetList(1), out);
    out.PutChar('/');
    boxes::WriteParenthesised(*GetList(2), out);
}

void FracComp::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("\\frac");
    GetList(1)->WriteLatex(writer, true, false);
    GetList(2)->WriteLatex(writer, true, false);
}

ExprNode* FracComp::ToExpression() {
    return new DivideNode(BoxSource(*this), ListExpression(*GetList(1)),
                          ListExpression(*GetList(2)));
}

// --- Scripts ---

ScriptComp::ScriptComp(CompArray script) : MultiListComp(1, Lists(std::move(script))) {
    SetSizeLevel(0);
}

CompArray ScriptComp::Glyph(uint8_t code) {
    CompArray array;
    if (gGlyphSource != nullptr) array.Add(OwnedComponent(gGlyphSource->GetGlyph(kMathFace, code)));
    return array;
}

void ScriptComp::SetSizeLevel(uint8_t level) {
    MathComp::SetSizeLevel(level);
    m_list->SetSizeLevel(static_cast<uint8_t>(level + 2));
}

void ScriptComp::PlaceLists(Point p) {
    m_list->SetOrigin(Point(p.x, p.y + m_offset));
}

void ScriptComp::WriteScript(OutBuffer& out, char mark) {
    out.PutChar(static_cast<uint8_t>(mark));
    boxes::WriteParenthesised(*m_list, out);
}

OwnedComponent ExpoComp::Clone() const {
    return OwnedComponent(new ExpoComp(m_list->CopyChildren()));
}

DocPos ExpoComp::GetCaretAfterInsert() {
    if (m_list->GetCount() == 0) return CompositeComp::GetCaretAfterInsert();
    return TextComp::GetCaretAfterInsert();
}

void ExpoComp::Layout() {
    const Rect l = LayOut(*m_list);
    const int32_t t = l.top;
    m_offset = (boxes::FloorDiv(t, 3) - t) / 2;
    int32_t ref = 0;
    {
        SizeGuard size(m_sizeLevel);
        ref = gDrawPort->GetPlaceholderBox().top;
    }
    // The base is the element before the script, measured at the size its list pushed.
    const int32_t index = m_parent != nullptr ? m_parent->IndexOf(this) : 0;
    if (index > 1) {
        const TextComp* base = m_parent->GetAt(index - 1);
        int32_t top = 0;
        if (base->IsNotChar()) {
            top = base->GetBounds().top;
        } else {
            gDrawPort->SetFace(base->GetStyleId());
            top = gDrawPort->MeasureText(Str255(std::string(1, char(base->GetCharCode())))).top;
        }
        ref = std::min(ref, top);
    }
    m_offset += ref;
    m_bounds = Rect(0, l.top + m_offset, l.right - l.left, 0);
    m_needsLayout = false;
}

void ExpoComp::WriteLatex(LatexWriter& writer) {
    const TextComp* only = m_list->GetCount() == 1 ? m_list->GetAt(1) : nullptr;
    if (only != nullptr && !only->IsNotChar() && only->GetCharCode() == kPrime) {
        writer.WriteRaw("'");
    } else if (only != nullptr && !only->IsNotChar() && only->GetCharCode() == kDoublePrime) {
        writer.WriteRaw("''");
    } else {
        writer.WriteRaw("^");
        m_list->WriteLatex(writer, true, false);
    }
}

ExprNode* ExpoComp::ToExpression() {
    const NodeSource source = BoxSource(*this);
    const int32_t n = m_list->GetCount();
    if (n > 0 && !m_list->GetAt(1)->IsNotChar()) {
        const uint8_t first = m_list->GetAt(1)->GetCharCode();
        // x^+ and x^- name the side a limit is approached from.
        if (n == 1 && (first == '+' || first == '-'))
            return new DirectionNode(source, first == '-');
        int32_t primes = 0;
        for (int32_t i = 1; i <= n; ++i) {
            const TextComp* c = m_list->GetAt(i);
            const uint8_t code = c->IsNotChar() ? 0 : c->GetCharCode();
            if (code != kPrime && code != kDoublePrime) {
                primes = 0;
                break;
            }
            primes += code == kPrime ? 1 : 2;
        }
        // x'' is the second derivative of x.
        if (primes > 0)
            return new DerivativeNode(source, std::make_unique<MachineIntegerNode>(
                                                  NodeSource(m_list.get(), 1, n + 1), primes));
    }
    NodePtr script = ListExpression(*m_list);
    // f^(3) is the third derivative of f; a bracketed exponent stays a power.
    if (script != nullptr && script->TypeTag() == TypeTag("grpN")) {
        const auto* group = static_cast<const GroupNode*>(script.get());
        NodePtr order = group->Operand() != nullptr ? group->Operand()->Clone() : nullptr;
        return new DerivativeNode(source, std::move(order));
    }
    return new PowerNode(source, std::move(script));
}

// --- SubsComp ---

OwnedComponent SubsComp::Clone() const {
    return OwnedComponent(new SubsComp(m_list->CopyChildren()));
}

void SubsComp::Layout() {
    const Rect l = LayOut(*m_list);
    m_offset = -(l.top / 2);
    m_bounds = Rect(l.left, gDrawPort->GetPlaceholderBox().top, l.right, m_offset + l.bottom);
    m_needsLayout = false;
}

void SubsComp::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw("_");
    m_list->WriteLatex(writer, true, false);
}

ExprNode* SubsComp::ToExpression() {
    return new SubscriptNode(BoxSource(*this), ListExpression(*m_list));
}
