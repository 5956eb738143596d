#include "document/DrawPort.h"
#include "document/GlyphSource.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "expr/CalculusNodes.h"
#include "expr/ListNodes.h"
#include "mathbox/BoxSource.h"
#include "mathbox/DerivativeBoxes.h"

#include <string>

namespace {

constexpr int32_t kBoxPlaceholderMode = 1;
constexpr uint8_t kTotalSign = 100;
constexpr uint8_t kPartialSign = 219;
constexpr int32_t kTextFace = 0;

// Floor of a half, so that odd negative values round the same way as positive ones.
int32_t FloorHalf(int32_t value) {
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

} // namespace

DerivativeBase::DerivativeBase(bool partial)
    : m_numeratorOrder(std::make_unique<CompList>()), m_partial(partial) {
    m_numeratorOrder->SetOwner(this, kBoxPlaceholderMode);
    m_numeratorOrder->SetSizeLevel(2);
}

DerivativeBase::DerivativeBase(bool partial, CompArray function)
    : CompositeComp(std::move(function)), m_numeratorOrder(std::make_unique<CompList>()),
      m_partial(partial) {
    m_numeratorOrder->SetOwner(this, kBoxPlaceholderMode);
    m_numeratorOrder->SetSizeLevel(2);
}

int32_t DerivativeBase::IndexOfList(const CompList* list) const {
    for (int32_t n = 1; n <= GetListCount(); ++n)
        if (GetList(n) == list) return n;
    return 0;
}

void DerivativeBase::InvalidateAll() {
    m_list->InvalidateAll();
    m_numeratorOrder->InvalidateAll();
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i)
        GetDifferentialBox(i)->InvalidateAll();
    m_needsLayout = true;
}

void DerivativeBase::SetSizeLevel(uint8_t level) {
    MathComp::SetSizeLevel(level);
    m_list->SetSizeLevel(level);
    m_numeratorOrder->SetSizeLevel(static_cast<uint8_t>(level + 2));
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i)
        GetDifferentialBox(i)->SetSizeLevel(level);
}

void DerivativeBase::SetFunction(const CompList& list) {
    m_list = list.Clone();
    m_list->SetOwner(this, kBoxPlaceholderMode);
    m_list->SetSizeLevel(GetSizeLevel());
    InvalidateLayout();
}

void DerivativeBase::UpdateNumeratorOrder() {
    std::unique_ptr<CompList> order;
    if (GetDifferentialCount() == 1) {
        order = GetDifferentialBox(1)->Order().Clone();
    } else {
        long sum = 0;
        std::string symbolic;
        for (int32_t i = 1; i <= GetDifferentialCount(); ++i) {
            const DifferentialBox& d = *GetDifferentialBox(i);
            const int32_t value = d.GetOrder();
            if (value >= 1) {
                sum += value;
            } else {
                if (!symbolic.empty()) symbolic += " + ";
                symbolic += d.Order().GetText().ToCString();
            }
        }
        std::string text = sum >= 2 ? std::to_string(sum) : std::string();
        if (!symbolic.empty()) text += (text.empty() ? "" : " + ") + symbolic;
        Str255 shown;
        shown.AppendCString(text.c_str());
        order = std::make_unique<CompList>(shown, kMathFace);
    }
    m_numeratorOrder = std::move(order);
    m_numeratorOrder->SetOwner(this, kBoxPlaceholderMode);
    m_numeratorOrder->SetSizeLevel(static_cast<uint8_t>(GetSizeLevel() + 2));
}

Rect DerivativeBase::LayoutDenominator() {
    Rect all;
    int32_t x = 0;
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i) {
        DifferentialBox& d = *GetDifferentialBox(i);
        d.Layout();
        const Rect b = d.GetBounds();
        all = i == 1 ? Rect(x, b.top, x + b.Width(), b.bottom)
                     : Rect(all.left, std::min(all.top, b.top), x + b.Width(),
                            std::max(all.bottom, b.bottom));
        x += b.Width();
        if (m_partial) {
            x += m_unit;
            all.right = x;
        }
    }
    return all;
}

void DerivativeBase::Layout() {
    SizeGuard size(GetSizeLevel());
    m_unit = gDrawPort->GetSpacing();
    m_axis = gDrawPort->GetMathAxis();
    const int32_t u = m_unit;

    UpdateNumeratorOrder();
    Rect order;
    if (m_numeratorOrder->GetCount() > 0) {
        m_numeratorOrder->LayoutToPage();
        order = m_numeratorOrder->GetBounds();
    }
    m_list->LayoutToPage();
    const Rect function = m_list->GetBounds();
    m_denominator = LayoutDenominator();

    gDrawPort->SetFace(m_partial ? kMathFace : kTextFace);
    const Rect sign = gDrawPort->MeasureChar(m_partial ? kPartialSign : kTotalSign);
    m_glyphWidth = sign.right;
    m_glyphTop = sign.top;

    m_orderRaise = m_glyphTop - order.top / 2;
    if (m_numeratorOrder->GetCount() > 0) {
        order.left = m_partial ? -u : -(u / 2);
        m_numeratorOrder->SetBounds(order);
    }
    m_numeratorWidth = m_glyphWidth + order.Width() + function.Width();
    m_numeratorBottom = function.bottom;
    m_numeratorTop = std::min(function.top, m_glyphTop + order.top / 2);

    m_bounds = Rect(0, m_numeratorTop - m_numeratorBottom - 2 * u + m_axis,
                    2 * u + std::max(m_numeratorWidth, m_denominator.right),
                    m_axis - m_denominator.top + m_denominator.bottom + u);
    m_needsLayout = false;
}

void DerivativeBase::SetOrigin(Point point) {
    m_origin = point;
    const int32_t u = m_unit;
    const int32_t r = m_bounds.right;
    const Point numerator(point.x + (r - m_numeratorWidth) / 2,
                          point.y + m_axis - FloorHalf(3 * u) - m_numeratorBottom);
    const int32_t orderWidth =
        m_numeratorOrder->GetCount() > 0 ? m_numeratorOrder->GetBounds().Width() : 0;
    m_numeratorOrder->SetOrigin(Point(numerator.x + m_glyphWidth, numerator.y + m_orderRaise));
    m_list->SetOrigin(Point(numerator.x + m_glyphWidth + orderWidth, numerator.y));
    int32_t x = point.x + (r - m_denominator.right) / 2;
    const int32_t y = point.y + m_axis + u / 2 - m_denominator.top;
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i) {
        DifferentialBox& d = *GetDifferentialBox(i);
        d.SetOrigin(Point(x, y));
        x += d.GetWidth() + (m_partial ? u : 0);
    }
}

void DerivativeBase::Draw() {
    const int32_t u = m_unit;
    const int32_t r = m_bounds.right;
    {
        SizeGuard size(GetSizeLevel());
        gDrawPort->SetFace(m_partial ? kMathFace : kTextFace);
        gDrawPort->MoveTo(Point(m_origin.x + (r - m_numeratorWidth) / 2,
                                m_origin.y + m_axis - m_numeratorBottom - u));
        gDrawPort->DrawChar(m_partial ? kPartialSign : kTotalSign);
    }
    if (m_numeratorOrder->GetCount() > 0) m_numeratorOrder->Draw();
    m_list->Draw();
    gDrawPort->MoveTo(Point(m_origin.x + u / 2, m_origin.y + m_axis - u / 2));
    gDrawPort->LineBy(r - u, 0);
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i)
        GetDifferentialBox(i)->Draw();
}

Rect DerivativeBase::GetDifferentialFrame(int32_t i) const {
    if (i >= 1 && i <= GetDifferentialCount()) return GetDifferentialBox(i)->GetFrame();
    // Where a new variable would go: half a unit wide, right of the last differential.
    const Rect last = GetDifferentialBox(GetDifferentialCount())->GetFrame();
    Rect denominator = last;
    for (int32_t k = 1; k <= GetDifferentialCount(); ++k) {
        const Rect f = GetDifferentialBox(k)->GetFrame();
        denominator.top = std::min(denominator.top, f.top);
        denominator.bottom = std::max(denominator.bottom, f.bottom);
    }
    return Rect(last.right, denominator.top, last.right + m_unit / 2, denominator.bottom);
}

DocPos DerivativeBase::GetCaretAfterInsert() {
    DocPos pos;
    pos.SetAt(GetList(1), 1);
    return pos;
}

void DerivativeBase::WriteText(OutBuffer& out) {
    UpdateNumeratorOrder();
    if (m_partial)
        out.PutSymbol(kPartialSign, TextSymbol::Kind::MathFace);
    else
        out.PutChar(kTotalSign);
    if (m_numeratorOrder->GetCount() > 0) {
        out.PutChar('^');
        m_numeratorOrder->WriteKernelInput(out);
    }
    if (m_list->GetCount() > 0) {
        out.PutChar(' ');
        m_list->WriteKernelInput(out);
    }
    out.PutChar('/');
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i)
        GetDifferentialBox(i)->WriteText(out);
}

void DerivativeBase::WriteLatex(LatexWriter& writer) {
    UpdateNumeratorOrder();
    writer.WriteRaw(m_partial ? "\\frac{\\partial" : "\\frac{d");
    if (m_numeratorOrder->GetCount() > 0) {
        writer.WriteRaw("^");
        writer.BeginGroup(true);
        writer.WriteRaw(m_numeratorOrder->GetText().ToCString().c_str());
        writer.EndGroup(true);
    } else {
        writer.WriteRaw(" ");
    }
    if (m_list->GetCount() > 0) m_list->WriteLatex(writer, false, false);
    writer.WriteRaw("}{");
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i)
        GetDifferentialBox(i)->WriteLatex(writer);
    writer.WriteRaw("}");
}

ExprNode* DerivativeBase::ToExpression() {
    UpdateNumeratorOrder();
    auto variables = std::make_unique<SequenceNode>();
    for (int32_t i = 1; i <= GetDifferentialCount(); ++i)
        if (NodePtr d = NodePtr(GetDifferentialBox(i)->ToExpression()))
            variables->AppendChild(std::move(d));
    NodePtr order;
    if (m_numeratorOrder->GetCount() > 0) order = ListExpression(*m_numeratorOrder);
    auto node = std::make_unique<DifferentiationNode>(BoxSource(*this), m_partial,
                                                      std::move(variables), std::move(order));
    if (m_list->GetCount() > 0)
        if (NodePtr function = ListExpression(*m_list)) node->AppendChild(std::move(function));
    return node.release();
}
