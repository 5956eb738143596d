#include "expr/CalculusNodes.h"

#include "expr/FixedChildren.h"
#include "expr/ListNodes.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"

#include <vector>

namespace {

constexpr uint8_t kPrimeGlyph = 183;
constexpr uint8_t kDoublePrimeGlyph = 242;

BoxList BoxesAt(ExprNode* node, int32_t level) {
    BoxList boxes;
    if (node) node->BuildBoxes(boxes, level);
    return boxes;
}

// The items of a sequence, or the node itself as its only item.
std::vector<ExprNode*> ItemsOf(ExprNode* node) {
    std::vector<ExprNode*> items;
    if (auto* sequence = dynamic_cast<CompositeNode*>(node);
        sequence && node->TypeTag() == ::TypeTag("seqN")) {
        for (ExprNode* item = sequence->FirstChild(); item; item = item->Next())
            items.push_back(item);
    } else if (node) {
        items.push_back(node);
    }
    return items;
}

// A variable item: a variable, or a list {variable, order}.
struct VariableItem {
    ExprNode* variable;
    ExprNode* order; // null when none or one
};

VariableItem SplitVariable(ExprNode* item) {
    auto* list = dynamic_cast<ListNode*>(item);
    if (!list) return {item, nullptr};
    ExprNode* variable = list->FirstChild();
    ExprNode* order = variable ? variable->Next() : nullptr;
    if (order && order->IsOne()) order = nullptr;
    return {variable, order};
}

// The primes an order shows as: two for the integer 2, one for a smaller integer, none (the
// order in parentheses) otherwise.
int32_t PrimeCount(const ExprNode* order) {
    if (!order || order->TypeTag() != ::TypeTag("intN")) return 0;
    const int32_t value = order->GetInteger();
    return value == 2 ? 2 : value < 2 ? 1 : 0;
}

} // namespace

// ---- IntegrateNode -----------------------------------------------------------------------------

IntegrateNode::IntegrateNode(NodePtr upper, NodePtr lower, NodePtr integrand, NodePtr variable)
    : m_upper(std::move(upper)), m_lower(std::move(lower)), m_integrand(std::move(integrand)),
      m_variable(std::move(variable)) {}

IntegrateNode::IntegrateNode(const NodeSource& source, NodePtr upper, NodePtr lower,
                             NodePtr integrand, NodePtr variable)
    : ExprNode(source), m_upper(std::move(upper)), m_lower(std::move(lower)),
      m_integrand(std::move(integrand)), m_variable(std::move(variable)) {}

IntegrateNode::~IntegrateNode() = default;

NodePtr IntegrateNode::Clone() const {
    return std::make_unique<IntegrateNode>(CloneOrNull(m_upper.get()), CloneOrNull(m_lower.get()),
                                           CloneOrNull(m_integrand.get()),
                                           CloneOrNull(m_variable.get()));
}

void IntegrateNode::Put(QKLINK link, MarkerMode mode, bool standard) const {
    QKPutFunction(link, standard ? "Integrate" : "TYIntegrate", 2);
    PutChildToLink(link, m_integrand.get(), mode, standard);
    if (HasBounds()) {
        QKPutFunction(link, "List", 3);
        PutChildToLink(link, m_variable.get(), mode, standard);
        PutChildToLink(link, m_lower.get(), mode, standard);
        PutChildToLink(link, m_upper.get(), mode, standard);
    } else {
        PutChildToLink(link, m_variable.get(), mode, standard);
    }
}

void IntegrateNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    Put(link, mode, false);
}

void IntegrateNode::PutStandardToLink(QKLINK link) const {
    Put(link, kNoMarkers, true);
}

void IntegrateNode::BuildBoxes(BoxList& boxes, int32_t level) {
    BoxList integrand = BoxesAt(m_integrand.get(), 4);
    BoxList variable = BoxesAt(m_variable.get(), 4);
    const bool bounds = HasBounds();
    BoxList upper = bounds ? BoxesAt(m_upper.get(), 4) : BoxList();
    BoxList lower = bounds ? BoxesAt(m_lower.get(), 4) : BoxList();
    BoxList own;
    AppendMade(own, [&](BoxFactory& f) {
        return f.InteComp(std::move(integrand), std::move(variable), std::move(upper),
                          std::move(lower), bounds);
    });
    AppendOwn(boxes, std::move(own), level > 8);
}

void IntegrateNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mrow");
    const char* script = m_lower && m_upper ? "munderover"
                         : m_lower          ? "munder"
                         : m_upper          ? "mover"
                                            : nullptr;
    if (script) writer.WriteStartTag(script);
    writer.WriteStartTag("mo");
    writer.WriteEntity("int");
    writer.WriteEndTag("mo");
    if (m_lower) m_lower->WriteMathML(writer);
    if (m_upper) m_upper->WriteMathML(writer);
    if (script) writer.WriteEndTag(script);
    if (m_integrand) m_integrand->WriteMathML(writer);
    writer.WriteElement("mi", "d");
    if (m_variable) m_variable->WriteMathML(writer);
    writer.WriteEndTag("mrow");
}

std::optional<Fraction> IntegrateNode::ExtractFraction() {
    fixed_children::ExtractFractions({&m_upper, &m_lower, &m_integrand, &m_variable});
    return std::nullopt;
}

NodePtr IntegrateNode::ReplaceChild(ExprNode* old, NodePtr replacement) {
    return fixed_children::Replace({&m_upper, &m_lower, &m_integrand, &m_variable}, old,
                                   replacement);
}

void IntegrateNode::VisitTree(ExprNode& collector) {
    fixed_children::VisitTree({m_integrand.get(), m_lower.get(), m_upper.get(), m_variable.get()},
                              collector);
}

intptr_t IntegrateNode::FindInTree() {
    return fixed_children::FindInTree(
        {m_integrand.get(), m_lower.get(), m_upper.get(), m_variable.get()});
}

void IntegrateNode::VisitTreeNoArg() {
    fixed_children::VisitTreeNoArg(
        {m_integrand.get(), m_lower.get(), m_upper.get(), m_variable.get()});
}

ExprNode* IntegrateNode::FindParentOf(const ExprNode* node) {
    return fixed_children::FindParentOf(
        *this, {m_upper.get(), m_lower.get(), m_integrand.get(), m_variable.get()}, node);
}

// ---- DerivativeNode ----------------------------------------------------------------------------

NodePtr DerivativeNode::Clone() const {
    return std::make_unique<DerivativeNode>(CloneOperand());
}

void DerivativeNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, "Derivative", Order() ? Order()->ElementCount() : 0);
    if (Order()) Order()->PutToLink(link, mode);
}

void DerivativeNode::PutStandardToLink(QKLINK link) const {
    QKPutFunction(link, "Derivative", Order() ? Order()->ElementCount() : 0);
    if (Order()) Order()->PutStandardToLink(link);
}

void DerivativeNode::BuildBoxes(BoxList& boxes, int32_t level) {
    BoxList mark;
    const int32_t primes = PrimeCount(Order());
    if (primes == 2)
        mark.AddGlyph(kDoublePrimeGlyph);
    else if (primes == 1)
        mark.AddGlyph(kPrimeGlyph);
    else
        AppendParenthesised(mark, BoxesAt(Order(), 1));
    BoxList own;
    AppendMade(own, [&](BoxFactory& f) { return f.ExpoComp(std::move(mark)); });
    AppendOwn(boxes, std::move(own), level == 10);
}

void DerivativeNode::WritePrimeMark(MathMLWriter& writer) const {
    const int32_t primes = PrimeCount(Order());
    // Marks are operators of their own: an msup holds elements, not bare text.
    if (primes == 2) {
        writer.WriteElement("mo", "&#x2033;");
    } else if (primes == 1) {
        writer.WriteElement("mo", "&#x2032;");
    } else {
        writer.BeginFenced("(", ")");
        if (Order()) Order()->WriteMathML(writer);
        writer.EndFenced();
    }
}

// ---- DifferentiationNode -----------------------------------------------------------------------

DifferentiationNode::DifferentiationNode(NodePtr operand, NodePtr variables, bool partial)
    : m_partial(partial), m_operand(std::move(operand)), m_variables(std::move(variables)) {}

DifferentiationNode::DifferentiationNode(const NodeSource& source, bool partial, NodePtr variables,
                                         NodePtr numeratorPower)
    : ExprNode(source), m_partial(partial), m_variables(std::move(variables)),
      m_numeratorPower(std::move(numeratorPower)) {}

DifferentiationNode::~DifferentiationNode() = default;

NodePtr DifferentiationNode::Clone() const {
    // The power on the numerator's d is part of what the user wrote: a copy keeps it.
    auto copy = std::make_unique<DifferentiationNode>(CloneOrNull(m_operand.get()),
                                                      CloneOrNull(m_variables.get()), m_partial);
    copy->m_numeratorPower = CloneOrNull(m_numeratorPower.get());
    return copy;
}

void DifferentiationNode::AppendChild(NodePtr operand) {
    if (!operand) return;
    if (operand->HasSource() && operand->Source().component == Source().component)
        MutableSource().end = operand->Source().end;
    m_operand = std::move(operand);
}

void DifferentiationNode::Put(QKLINK link, MarkerMode mode, bool standard) const {
    const char* head = m_partial ? (standard ? "D" : "TYD") : (standard ? "Dt" : "TYDt");
    const std::vector<ExprNode*> variables = ItemsOf(m_variables.get());
    QKPutFunction(link, head, static_cast<int32_t>(variables.size()) + 1);
    PutChildToLink(link, m_operand.get(), mode, standard);
    for (ExprNode* variable : variables)
        PutChildToLink(link, variable, mode, standard);
}

void DifferentiationNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    Put(link, mode, false);
}

void DifferentiationNode::PutStandardToLink(QKLINK link) const {
    Put(link, kNoMarkers, true);
}

void DifferentiationNode::BuildBoxes(BoxList& boxes, int32_t) {
    BoxList operand = BoxesAt(m_operand.get(), 8);
    std::vector<BoxFactory::DerivativeVariable> variables;
    for (ExprNode* item : ItemsOf(m_variables.get())) {
        const VariableItem split = SplitVariable(item);
        variables.push_back({BoxesAt(split.variable, 1), BoxesAt(split.order, 1)});
    }
    if (m_partial) {
        AppendMade(boxes, [&](BoxFactory& f) {
            return f.PartialDerivativeBox(std::move(variables), std::move(operand));
        });
        return;
    }
    BoxFactory::DerivativeVariable first;
    if (!variables.empty()) first = std::move(variables.front());
    AppendMade(boxes, [&](BoxFactory& f) {
        return f.TotalDerivativeBox(std::move(first.variable), std::move(first.power),
                                    std::move(operand));
    });
}

void DifferentiationNode::WriteSign(MathMLWriter& writer) const {
    writer.WriteStartTag("mi");
    if (m_partial)
        writer.WriteEntity("#x2202");
    else
        writer.WriteRaw("d");
    writer.WriteEndTag("mi");
}

void DifferentiationNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mfrac");
    writer.WriteStartTag("mrow");
    if (m_numeratorPower) {
        writer.WriteStartTag("msup");
        WriteSign(writer);
        m_numeratorPower->WriteMathML(writer);
        writer.WriteEndTag("msup");
    } else {
        WriteSign(writer);
    }
    if (m_operand) m_operand->WriteMathML(writer);
    writer.WriteEndTag("mrow");
    writer.WriteStartTag("mrow");
    for (ExprNode* item : ItemsOf(m_variables.get())) {
        WriteSign(writer);
        auto* list = dynamic_cast<ListNode*>(item);
        if (!list) {
            item->WriteMathML(writer);
            continue;
        }
        writer.WriteStartTag("msup");
        for (ExprNode* part = list->FirstChild(); part; part = part->Next())
            part->WriteMathML(writer);
        writer.WriteEndTag("msup");
    }
    writer.WriteEndTag("mrow");
    writer.WriteEndTag("mfrac");
}

std::optional<Fraction> DifferentiationNode::ExtractFraction() {
    ReplaceByFraction(m_operand);
    if (m_variables) m_variables->ExtractFraction();
    return std::nullopt;
}

NodePtr DifferentiationNode::ReplaceChild(ExprNode* old, NodePtr replacement) {
    if (!old || !replacement) return nullptr;
    if (NodePtr detached = fixed_children::Replace({&m_operand, &m_variables}, old, replacement))
        return detached;
    // A variable stands in the sequence: the sequence replaces it.
    return m_variables ? m_variables->ReplaceChild(old, std::move(replacement)) : nullptr;
}

void DifferentiationNode::VisitTree(ExprNode& collector) {
    fixed_children::VisitTree({m_operand.get(), m_variables.get()}, collector);
}

intptr_t DifferentiationNode::FindInTree() {
    return fixed_children::FindInTree({m_operand.get(), m_variables.get()});
}

void DifferentiationNode::VisitTreeNoArg() {
    fixed_children::VisitTreeNoArg({m_operand.get(), m_variables.get()});
}

ExprNode* DifferentiationNode::FindParentOf(const ExprNode* node) {
    if (!node) return nullptr;
    if (node == m_operand.get() || node == m_variables.get()) return this;
    return m_operand ? m_operand->FindParentOf(node) : nullptr;
}

int32_t DifferentiationNode::Precedence() const {
    return m_operand ? kDefaultPrecedence : kMissingOperandPrecedence;
}
