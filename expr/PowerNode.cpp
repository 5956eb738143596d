#include "expr/PowerNode.h"

#include "expr/Fencing.h"
#include "expr/LeafNodes.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"
#include "expr/symbols/SymbolTable.h"

namespace {

void BuildInto(ExprNode* node, BoxList& boxes, int32_t level) {
    if (node) node->BuildBoxes(boxes, level);
}

void WriteMathMLOf(ExprNode* node, MathMLWriter& writer) {
    if (node)
        node->WriteMathML(writer);
    else
        writer.WriteElement("mrow", "");
}

bool NumericOrMissing(const ExprNode* node) {
    return !node || node->IsNumeric();
}

} // namespace

void ReplaceByFraction(NodePtr& slot) {
    if (!slot) return;
    std::optional<Fraction> fraction = slot->ExtractFraction();
    if (!fraction) return;
    NodePtr rest = slot->TakeNext();
    slot = std::make_unique<DivideNode>(std::move(fraction->numerator),
                                        std::move(fraction->denominator));
    slot->SetNext(std::move(rest));
}

// ---- PowerNode ---------------------------------------------------------------------------------

NodePtr PowerNode::Clone() const {
    return WithSource(
        std::make_unique<PowerNode>(CloneOrNull(First()), CloneOrNull(Second()), m_keepExponent));
}

void PowerNode::AppendChild(NodePtr base) {
    if (!base) return;
    if (base->HasSource()) {
        if (!HasSource()) SetSource(base->Source());
        MutableSource().start = base->Source().start;
        if (base->Source().end > Source().end) MutableSource().end = base->Source().end;
    }
    SecondSlot() = std::move(base);
}

NodePtr PowerNode::ReplaceChild(ExprNode* old, NodePtr replacement) {
    if (old && old == Second() && replacement && replacement->HasSource() &&
        replacement->Source().end > Source().end)
        MutableSource().end = replacement->Source().end;
    return TwoChildNode::ReplaceChild(old, std::move(replacement));
}

void PowerNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, "TYPower", 2);
    PutChildToLink(link, Second(), mode, false);
    PutChildToLink(link, First(), mode, false);
}

void PowerNode::PutStandardToLink(QKLINK link) const {
    const ExprNode* base = Second();
    if (!base || !(base->TypeTag() == ::TypeTag("matN"))) {
        QKPutFunction(link, "Power", 2);
    } else {
        const auto* symbol = dynamic_cast<const SymbolNode*>(First());
        if (symbol && symbol->Row() == symbol_row::kTranspose) {
            QKPutFunction(link, "Transpose", 1);
            base->PutStandardToLink(link);
            return;
        }
        QKPutFunction(link, "MatrixPower", 2);
    }
    PutChildToLink(link, base, kNoMarkers, true);
    PutChildToLink(link, First(), kNoMarkers, true);
}

void PowerNode::BuildBoxes(BoxList& boxes, int32_t level) {
    BoxList own;
    BuildInto(Second(), own, 10);
    BoxList exponent;
    BuildInto(First(), exponent, 4);
    AppendMade(own, [&](BoxFactory& f) { return f.ExpoComp(std::move(exponent)); });
    AppendOwn(boxes, std::move(own), level >= 10);
}

void PowerNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("msup");
    // (a + b)^2: the base binds as in the boxes.
    if (Second())
        WriteMathMLAt(writer, *Second(), 10);
    else
        WriteMathMLOf(nullptr, writer);
    WriteMathMLOf(First(), writer);
    writer.WriteEndTag("msup");
}

std::optional<Fraction> PowerNode::ExtractFraction() {
    ReplaceByFraction(FirstSlot());
    ReplaceByFraction(SecondSlot());
    if (m_keepExponent || !First() || First()->StripNegative() != kMinusSign) return std::nullopt;
    Fraction fraction;
    fraction.numerator = std::make_unique<MachineIntegerNode>(1);
    if (First()->IsOne()) {
        fraction.denominator = std::move(SecondSlot());
        FirstSlot().reset();
    } else {
        auto power = std::make_unique<PowerNode>(std::move(FirstSlot()), nullptr, true);
        power->AppendChild(std::move(SecondSlot()));
        fraction.denominator = std::move(power);
    }
    return fraction;
}

bool PowerNode::IsNumeric() const {
    return First() && Second() && First()->IsNumeric() && Second()->IsNumeric();
}

ExprNode* PowerNode::FindMarker(const DocPos& position) {
    if (First() && First()->SourceHolds(position)) return First();
    if (Second() && Second()->SourceHolds(position)) {
        if (Second()->TypeTag() == ::TypeTag("funN")) return Second()->FindMarker(position);
        return Second();
    }
    return nullptr;
}

ExprNode* PowerNode::FindParentOf(const ExprNode* node) {
    if (!node) return nullptr;
    if (node == First() || node == Second()) return this;
    if (Second()) {
        if (ExprNode* parent = Second()->FindParentOf(node)) return parent;
    }
    return First() ? First()->FindParentOf(node) : nullptr;
}

int32_t PowerNode::Precedence() const {
    return Second() ? kDefaultPrecedence : kMissingBasePrecedence;
}

// ---- DivideNode --------------------------------------------------------------------------------

NodePtr DivideNode::Clone() const {
    return WithSource(std::make_unique<DivideNode>(CloneOrNull(First()), CloneOrNull(Second())));
}

void DivideNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutBinary(link, mode, "TYDivide");
}

void DivideNode::PutStandardToLink(QKLINK link) const {
    PutBinaryStandard(link, "Divide");
}

void DivideNode::BuildBoxes(BoxList& boxes, int32_t level) {
    BoxList numerator;
    BuildInto(First(), numerator, 4);
    BoxList denominator;
    BuildInto(Second(), denominator, 4);
    BoxList own;
    AppendMade(own, [&](BoxFactory& f) {
        return f.FracComp(std::move(numerator), std::move(denominator));
    });
    AppendOwn(boxes, std::move(own), level >= 10);
}

void DivideNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mfrac");
    WriteMathMLOf(First(), writer);
    WriteMathMLOf(Second(), writer);
    writer.WriteEndTag("mfrac");
}

namespace {

// Whether the text is one parenthesised group, "(a + b)", and no more: "(a) (b)" is not.
bool IsOneGroup(std::string_view text) {
    if (text.size() < 2 || text.front() != '(' || text.back() != ')') return false;
    int32_t depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '(') ++depth;
        if (text[i] == ')' && --depth == 0) return i + 1 == text.size();
    }
    return false;
}

// A side of a quotient in plain text, in parentheses when a blank or a sign follows its first
// character, as the fraction box writes it: (a+b)/c must not read as a+b/c. A side that is
// already one group keeps its own parentheses only: never ((a + b))/c.
void AppendQuotientSide(Str255& out, ExprNode* side) {
    Str255 text;
    if (side) side->WriteText(text);
    const std::string_view view = text.View();
    const bool wrap = view.size() > 1 && view.find_first_of(" +-/", 1) != std::string_view::npos &&
                      !IsOneGroup(view);
    if (wrap) out.AppendChar('(');
    out.Append(text);
    if (wrap) out.AppendChar(')');
}

} // namespace

void DivideNode::WriteText(Str255& out) const {
    out = Str255();
    AppendQuotientSide(out, First());
    out.AppendChar('/');
    AppendQuotientSide(out, Second());
}

std::optional<Fraction> DivideNode::ExtractFraction() {
    TwoChildNode::ExtractFraction();
    Fraction fraction;
    fraction.numerator = std::move(FirstSlot());
    fraction.denominator = std::move(SecondSlot());
    return fraction;
}

SignCode DivideNode::StripNegative() {
    const SignCode sign = First() ? First()->StripNegative() : kNoSign;
    if (sign != kNoSign) return sign;
    return Second() ? Second()->StripNegative() : kNoSign;
}

bool DivideNode::IsNumeric() const {
    return First() && Second() && First()->IsNumeric() && Second()->IsNumeric();
}

// ---- RadicalNode -------------------------------------------------------------------------------

NodePtr RadicalNode::Clone() const {
    return WithSource(std::make_unique<RadicalNode>(CloneOrNull(First()), CloneOrNull(Second())));
}

void RadicalNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, "TYRadical", 2);
    PutChildToLink(link, First(), mode, false);
    if (Second())
        Second()->PutToLink(link, mode);
    else
        QKPutLongInteger(link, 2);
}

void RadicalNode::PutStandardToLink(QKLINK link) const {
    if (Second()) {
        QKPutFunction(link, "Power", 2);
        PutChildToLink(link, First(), kNoMarkers, true);
        QKPutFunction(link, "Divide", 2);
        QKPutLongInteger(link, 1);
        Second()->PutStandardToLink(link);
        return;
    }
    QKPutFunction(link, "Sqrt", 1);
    PutChildToLink(link, First(), kNoMarkers, true);
}

void RadicalNode::BuildBoxes(BoxList& boxes, int32_t) {
    BoxList radicand;
    BuildInto(First(), radicand, 1);
    // An index of 2 is the square root's own.
    const bool hasIndex =
        Second() && !(Second()->TypeTag() == ::TypeTag("intN") && Second()->GetInteger() == 2);
    BoxList index;
    if (hasIndex) BuildInto(Second(), index, 1);
    AppendMade(boxes, [&](BoxFactory& f) {
        return f.SqrtComp(std::move(radicand), std::move(index), hasIndex);
    });
}

void RadicalNode::WriteMathML(MathMLWriter& writer) {
    if (Second()) {
        writer.WriteStartTag("mroot");
        WriteMathMLOf(First(), writer);
        Second()->WriteMathML(writer);
        writer.WriteEndTag("mroot");
        return;
    }
    writer.WriteStartTag("msqrt");
    WriteMathMLOf(First(), writer);
    writer.WriteEndTag("msqrt");
}

bool RadicalNode::IsNumeric() const {
    return First() && First()->IsNumeric() && NumericOrMissing(Second());
}
