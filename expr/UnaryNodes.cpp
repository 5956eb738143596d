#include "expr/UnaryNodes.h"

#include "expr/FixedChildren.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"

UnaryNode::UnaryNode(const NodeSource& source, NodePtr operand)
    : ExprNode(source), m_operand(std::move(operand)) {
    if (m_operand) MutableSource().start = m_operand->Source().start;
}

void UnaryNode::PutUnary(QKLINK link, MarkerMode mode, const char* head) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, head, m_operand ? 1 : 0);
    if (m_operand) m_operand->PutToLink(link, mode);
}

void UnaryNode::PutUnaryStandard(QKLINK link, const char* head) const {
    QKPutFunction(link, head, m_operand ? 1 : 0);
    if (m_operand) m_operand->PutStandardToLink(link);
}

std::optional<Fraction> UnaryNode::ExtractFraction() {
    fixed_children::ExtractFractions({&m_operand});
    return std::nullopt;
}

NodePtr UnaryNode::ReplaceChild(ExprNode* old, NodePtr replacement) {
    return fixed_children::Replace({&m_operand}, old, replacement);
}

void UnaryNode::VisitTree(ExprNode& collector) {
    fixed_children::VisitTree({m_operand.get()}, collector);
}

intptr_t UnaryNode::FindInTree() {
    return fixed_children::FindInTree({m_operand.get()});
}

void UnaryNode::VisitTreeNoArg() {
    fixed_children::VisitTreeNoArg({m_operand.get()});
}

ExprNode* UnaryNode::FindMarker(const DocPos& position) {
    return fixed_children::FindMarker({m_operand.get()}, position);
}

ExprNode* UnaryNode::FindParentOf(const ExprNode* node) {
    return fixed_children::FindParentOf(*this, {m_operand.get()}, node);
}

// ---- FactorialNode -----------------------------------------------------------------------------

NodePtr FactorialNode::Clone() const {
    return WithSource(std::make_unique<FactorialNode>(CloneOperand()));
}

void FactorialNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutUnary(link, mode, "TYFactorial");
}

void FactorialNode::PutStandardToLink(QKLINK link) const {
    PutUnaryStandard(link, "Factorial");
}

void FactorialNode::BuildBoxes(BoxList& boxes, int32_t level) {
    BoxList own;
    if (Operand()) Operand()->BuildBoxes(own, 9);
    own.AddGlyph('!');
    AppendOwn(boxes, std::move(own), level >= 10);
}

void FactorialNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mrow");
    if (Operand()) Operand()->WriteMathML(writer);
    writer.WriteElement("mo", "!");
    writer.WriteEndTag("mrow");
}

void FactorialNode::WriteText(Str255& out) {
    out = Str255();
    if (Operand()) Operand()->WriteText(out);
    out.AppendChar('!');
}

// ---- ConjugateNode -----------------------------------------------------------------------------

NodePtr ConjugateNode::Clone() const {
    return WithSource(std::make_unique<ConjugateNode>(CloneOperand()));
}

void ConjugateNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutUnary(link, mode, "TYConjugate");
}

void ConjugateNode::PutStandardToLink(QKLINK link) const {
    PutUnaryStandard(link, "Conjugate");
}

void ConjugateNode::BuildBoxes(BoxList& boxes, int32_t) {
    BoxList operand;
    if (Operand()) Operand()->BuildBoxes(operand, 6);
    AppendMade(boxes, [&](BoxFactory& f) { return f.OverComp(std::move(operand)); });
}

void ConjugateNode::WriteMathML(MathMLWriter& writer) {
    writer.BeginStartTag("mover");
    writer.WriteAttribute("accent", "false");
    writer.CloseStartTag();
    if (Operand()) Operand()->WriteMathML(writer);
    writer.WriteStartTag("mo");
    writer.WriteEntity("OverBar");
    writer.WriteEndTag("mo");
    writer.WriteEndTag("mover");
}

// ---- DirectionNode -----------------------------------------------------------------------------

DirectionNode::DirectionNode(const NodeSource& source, bool below)
    : UnaryNode(source, nullptr), m_below(below) {}

NodePtr DirectionNode::Clone() const {
    return WithSource(std::make_unique<DirectionNode>(CloneOperand(), m_below));
}

void DirectionNode::PutToLink(QKLINK link, MarkerMode mode) const {
    if (mode == kMarkerOnly) PutMarkerHead(link, mode);
    QKPutFunction(link, "Rule", 2);
    QKPutSymbol(link, "Direction");
    QKPutLongInteger(link, m_below ? 1 : -1);
}

void DirectionNode::BuildBoxes(BoxList& boxes, int32_t) {
    if (Operand()) Operand()->BuildBoxes(boxes, 10);
    BoxList sign;
    sign.AddGlyph(m_below ? glyph::kMinus : glyph::kPlus);
    AppendMade(boxes, [&](BoxFactory& f) { return f.ExpoComp(std::move(sign)); });
}
