#include "document/DocStream.h"
#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "expr/ListNodes.h"
#include "mathbox/BoxSource.h"
#include "mathbox/DerivativeBoxes.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

constexpr int32_t kBoxPlaceholderMode = 1;
constexpr uint8_t kTotalSign = 100;   // "d" in text face 0
constexpr uint8_t kPartialSign = 219; // the partial sign in the symbol face
constexpr int32_t kTextFace = 0;

} // namespace

DifferentialBox::DifferentialBox(bool partial)
    : m_order(std::make_unique<CompList>()), m_partial(partial) {
    SetListOwner(this);
    SetSizeLevel(0);
}

DifferentialBox::DifferentialBox(bool partial, CompArray variable, CompArray order)
    : CompositeComp(std::move(variable)), m_order(std::make_unique<CompList>(std::move(order))),
      m_partial(partial) {
    SetListOwner(this);
    SetSizeLevel(0);
}

OwnedComponent DifferentialBox::Clone() const {
    DifferentialBox* copy =
        m_partial ? static_cast<DifferentialBox*>(
                        new PartialDifferentialBox(m_list->CopyChildren(), m_order->CopyChildren()))
                  : new TotalDifferentialBox(m_list->CopyChildren(), m_order->CopyChildren());
    copy->SetSizeLevel(GetSizeLevel());
    return OwnedComponent(copy);
}

CompList* DifferentialBox::GetList(int32_t n) const {
    return n == 1 ? m_list.get() : n == 2 ? m_order.get() : nullptr;
}

int32_t DifferentialBox::IndexOfList(const CompList* list) const {
    return list == m_list.get() ? 1 : list == m_order.get() ? 2 : 0;
}

CompList* DifferentialBox::ListRightOf(const CompList* from) const {
    if (from == nullptr) return m_list.get();
    return from == m_list.get() ? m_order.get() : nullptr;
}

CompList* DifferentialBox::ListLeftOf(const CompList* from) const {
    if (from == nullptr) return m_order.get();
    return from == m_order.get() ? m_list.get() : nullptr;
}

void DifferentialBox::SetListOwner(TextComp* owner) {
    m_list->SetOwner(owner, kBoxPlaceholderMode);
    m_order->SetOwner(owner, kBoxPlaceholderMode);
}

void DifferentialBox::SetSizeLevel(uint8_t level) {
    MathComp::SetSizeLevel(level);
    m_list->SetSizeLevel(level);
    m_order->SetSizeLevel(static_cast<uint8_t>(level + 2));
}

int32_t DifferentialBox::GetOrder() const {
    if (m_order->GetCount() == 0) return 1;
    const Str255 text = m_order->GetText();
    if (text.GetLength() == 0 || text.GetLength() > 10) return 0;
    for (int i = 0; i < text.GetLength(); ++i)
        if (text.GetAt(i) < '0' || text.GetAt(i) > '9') return 0;
    const long value = std::strtol(text.ToCString().c_str(), nullptr, 10);
    return value <= INT32_MAX ? static_cast<int32_t>(value) : 0;
}

void DifferentialBox::Layout() {
    SizeGuard size(GetSizeLevel());
    const int32_t u = gDrawPort->GetSpacing();
    m_list->LayoutToPage();
    m_order->LayoutToPage();
    gDrawPort->SetFace(m_partial ? kMathFace : kTextFace);
    const Rect sign = gDrawPort->MeasureChar(m_partial ? kPartialSign : kTotalSign);
    m_glyphWidth = sign.right;
    m_glyphTop = sign.top;
    const Rect variable = m_list->GetBounds();
    Rect order = m_order->GetBounds();
    m_orderRaise = std::max(variable.top, m_glyphTop - order.top / 4);
    if (m_order->GetCount() > 0) {
        order.left = -u;
        m_order->SetBounds(order);
    }
    m_bounds = Rect(0, std::min({m_glyphTop, variable.top, m_orderRaise + order.top}),
                    m_glyphWidth - order.left + order.right + variable.right, variable.bottom);
    m_needsLayout = false;
}

void DifferentialBox::SetOrigin(Point point) {
    m_origin = point;
    m_list->SetOrigin(Point(point.x + m_glyphWidth, point.y));
    m_order->SetOrigin(Point(point.x + m_glyphWidth + m_list->GetWidth(), point.y + m_orderRaise));
}

void DifferentialBox::Draw() {
    {
        SizeGuard size(GetSizeLevel());
        gDrawPort->SetFace(m_partial ? kMathFace : kTextFace);
        gDrawPort->MoveTo(m_origin);
        gDrawPort->DrawChar(m_partial ? kPartialSign : kTotalSign);
    }
    m_list->Draw();
    m_order->Draw();
}

void DifferentialBox::Write(DocStream& stream) const {
    m_list->Write(stream);
    m_order->Write(stream);
}

void DifferentialBox::Read(DocStream& stream) {
    m_list->Read(stream);
    m_order->Read(stream);
    InvalidateLayout();
}

void DifferentialBox::WriteText(OutBuffer& out) {
    if (m_partial)
        out.PutSymbol(kPartialSign, TextSymbol::Kind::MathFace);
    else
        out.PutChar(kTotalSign);
    if (m_order->GetCount() > 0) {
        out.PutChar('^');
        m_order->WriteKernelInput(out);
    }
    out.PutChar(' ');
    m_list->WriteKernelInput(out);
}

void DifferentialBox::WriteLatex(LatexWriter& writer) {
    writer.WriteRaw(m_partial ? "\\partial " : "d");
    m_list->WriteLatex(writer, false, false);
    if (m_order->GetCount() > 0) {
        writer.WriteRaw("^");
        writer.BeginGroup(true);
        writer.WriteRaw(m_order->GetText().ToCString().c_str());
        writer.EndGroup(true);
    } else {
        writer.WriteRaw(" ");
    }
}

ExprNode* DifferentialBox::ToExpression() {
    NodePtr variable = ListExpression(*m_list);
    // The source is the run of variables this differential makes in the derivative that holds
    // it; a differential on its own has no place.
    NodeSource source;
    if (const DerivativeShape* derivative = AsDerivative(m_list->GetOwner())) {
        const int32_t index = derivative->IndexOfDifferential(m_list.get());
        source.component = m_list->GetOwner();
        source.start = index;
        source.end = index + 1;
        source.kind = DocPos::kOnVariable;
    }
    if (m_order->GetCount() == 0) {
        if (variable) variable->SetSource(source);
        return variable.release();
    }
    auto list = std::make_unique<ListNode>(source);
    if (variable) list->AppendChild(std::move(variable));
    if (NodePtr order = ListExpression(*m_order)) list->AppendChild(std::move(order));
    return list.release();
}
