#include "expr/ScriptNodes.h"

#include "expr/FixedChildren.h"
#include "expr/FunctionNode.h"
#include "expr/LeafNodes.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"
#include "expr/RelationNodes.h"
#include "expr/TimesNode.h"
#include "expr/UnaryNodes.h"
#include "expr/symbols/SymbolTable.h"

namespace {

constexpr int32_t kReplSubRow = 89; // "tyReplSub"

bool IsOwnSymbolNamed(const ExprNode* node, const char* name) {
    const auto* symbol = dynamic_cast<const SymbolNode*>(node);
    return symbol && symbol->Row() == 0 && IsSymbolNamed(*symbol, name);
}

ExprNode* NthItem(const ExprNode* list, int32_t n) {
    const auto* composite = dynamic_cast<const CompositeNode*>(list);
    ExprNode* item = composite ? composite->FirstChild() : nullptr;
    for (int32_t i = 0; item && i < n; ++i)
        item = item->Next();
    return item;
}

} // namespace

void CollectFollowing(ExprNode& owner, NodePtr& slot, NodePtr next) {
    if (!next) return;
    const bool hasSource = next->HasSource();
    const int32_t end = next->Source().end;
    if (!slot) {
        slot = std::move(next);
    } else if (slot->TypeTag() == ::TypeTag("prdN")) {
        ExprNode* last = slot->LastChild();
        if (last && last->TypeTag() == ::TypeTag("oprN"))
            last->AppendChild(std::move(next));
        else
            slot->AppendChild(std::move(next));
    } else if (slot->TypeTag() == ::TypeTag("oprN")) {
        slot->AppendChild(std::move(next));
    } else {
        const NodeSource source = slot->Source();
        auto product = std::make_unique<TimesNode>(source, std::move(slot));
        product->AppendChild(std::move(next));
        slot = std::move(product);
    }
    if (hasSource) owner.MutableSource().end = end;
}

// ---- SubscriptNode -----------------------------------------------------------------------------

NodePtr SubscriptNode::Clone() const {
    return WithSource(std::make_unique<SubscriptNode>(CloneOrNull(First()), CloneOrNull(Second())));
}

void SubscriptNode::AppendChild(NodePtr base) {
    if (!base) return;
    if (base->HasSource()) MutableSource().start = base->Source().start;
    FirstSlot() = std::move(base);
}

void SubscriptNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutFunction(link, "TYSubscript", 1 + (Second() ? Second()->ElementCount() : 0));
    PutChildToLink(link, First(), mode, false);
    if (Second()) PutChildToLink(link, Second(), mode, false);
}

void SubscriptNode::PutStandardToLink(QKLINK link) const {
    QKPutFunction(link, "Subscript", 1 + (Second() ? Second()->ElementCount() : 0));
    PutChildToLink(link, First(), kNoMarkers, true);
    if (Second()) PutChildToLink(link, Second(), kNoMarkers, true);
}

void SubscriptNode::BuildBoxes(BoxList& boxes, int32_t) {
    if (First()) First()->BuildBoxes(boxes, 10);
    if (!Second()) return;
    BoxList script;
    Second()->BuildBoxes(script, 4);
    AppendMade(boxes, [&](BoxFactory& f) { return f.SubsComp(std::move(script)); });
}

void SubscriptNode::WriteMathML(MathMLWriter& writer) {
    // A subscript without an index is its base alone: an msub needs both children.
    if (!Second()) {
        if (First()) First()->WriteMathML(writer);
        return;
    }
    writer.WriteStartTag("msub");
    if (First())
        First()->WriteMathML(writer);
    else
        writer.WriteElement("mrow", "");
    Second()->WriteMathML(writer);
    writer.WriteEndTag("msub");
}

void SubscriptNode::WriteText(Str255& out) {
    out = Str255();
    Str255 part;
    if (First()) First()->WriteText(part);
    out.Append(part);
    out.AppendChar('_');
    part = Str255();
    if (Second()) Second()->WriteText(part);
    out.Append(part);
}

int32_t SubscriptNode::OrderValue() const {
    if (!IsOwnSymbolNamed(First(), "C")) return 0;
    if (Second() && Second()->TypeTag() == ::TypeTag("intN")) return Second()->GetInteger();
    return 1000;
}

void SubscriptNode::VisitTree(ExprNode& collector) {
    if (First()) First()->VisitTree(collector);
    if (!Second()) return;
    if (IsOwnSymbolNamed(First(), "C") && FindInTree() != reinterpret_cast<intptr_t>(this))
        collector.AppendChild(Second()->Clone());
    Second()->VisitTree(collector);
}

intptr_t SubscriptNode::FindInTree() {
    const auto* symbol = dynamic_cast<const SymbolNode*>(Second());
    if (symbol && symbol->Row() == kReplSubRow) return reinterpret_cast<intptr_t>(this);
    return 0;
}

int32_t SubscriptNode::Precedence() const {
    return First() ? kDefaultPrecedence : kMissingBasePrecedence;
}

// ---- LimitNode ---------------------------------------------------------------------------------

NodePtr LimitNode::Clone() const {
    return WithSource(
        std::make_unique<LimitNode>(CloneOrNull(First()), CloneOrNull(Second()), m_direction));
}

void LimitNode::AppendChild(NodePtr next) {
    CollectFollowing(*this, FirstSlot(), std::move(next));
}

void LimitNode::Put(QKLINK link, MarkerMode mode, bool standard) const {
    const char* head = standard ? "Limit" : "TYLimit";
    auto* rule = dynamic_cast<RuleNode*>(Second());
    auto* direction = rule ? dynamic_cast<DirectionNode*>(rule->Second()) : nullptr;
    if (!direction) {
        QKPutFunction(link, head, 2);
        PutChildToLink(link, First(), mode, standard);
        PutChildToLink(link, Second(), mode, standard);
        return;
    }
    // The rule goes out with the limit point in place of the direction, which follows as
    // the third argument.
    QKPutFunction(link, head, 3);
    PutChildToLink(link, First(), mode, standard);
    QKPutFunction(link, "Rule", 2);
    PutChildToLink(link, rule->First(), mode, standard);
    PutChildToLink(link, direction->Operand(), mode, standard);
    if (standard)
        direction->PutStandardToLink(link);
    else
        direction->PutToLink(link, mode);
}

void LimitNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    Put(link, mode, false);
}

void LimitNode::PutStandardToLink(QKLINK link) const {
    Put(link, kNoMarkers, true);
}

void LimitNode::BuildBoxes(BoxList& boxes, int32_t level) {
    auto* rule = dynamic_cast<RuleNode*>(Second());
    if (m_direction != kNoDirection && rule && rule->Second()) {
        // The approached point shows with the side as a raised sign.
        ExprNode* point = rule->Second();
        NodePtr taken = rule->ReplaceChild(point, std::make_unique<ErrorNode>());
        rule->ReplaceChild(rule->Second(), std::make_unique<DirectionNode>(
                                               std::move(taken), m_direction == kFromBelow));
        m_direction = kNoDirection;
    }
    BoxList condition;
    if (Second()) Second()->BuildBoxes(condition, 4);
    BoxList own;
    BoxList& target = level < 8 ? boxes : own;
    AppendMade(target, [&](BoxFactory& f) { return f.LimitComp(std::move(condition)); });
    if (First()) First()->BuildBoxes(target, 9);
    if (level >= 8) AppendParenthesised(boxes, std::move(own));
}

void LimitNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mrow");
    writer.WriteStartTag("munder");
    writer.WriteElement("mi", "lim");
    if (auto* rule = dynamic_cast<RuleNode*>(Second())) {
        writer.WriteStartTag("mrow");
        if (rule->First()) rule->First()->WriteMathML(writer);
        writer.WriteStartTag("mo");
        writer.WriteEntity("#x2192");
        writer.WriteEndTag("mo");
        if (auto* direction = dynamic_cast<DirectionNode*>(rule->Second())) {
            writer.WriteStartTag("msup");
            if (direction->Operand()) direction->Operand()->WriteMathML(writer);
            writer.WriteElement("mo", direction->IsBelow() ? "-" : "+");
            writer.WriteEndTag("msup");
        } else if (rule->Second()) {
            rule->Second()->WriteMathML(writer);
        }
        writer.WriteEndTag("mrow");
    } else if (Second()) {
        Second()->WriteMathML(writer);
    }
    writer.WriteEndTag("munder");
    if (First()) First()->WriteMathML(writer);
    writer.WriteEndTag("mrow");
}

int32_t LimitNode::Precedence() const {
    return First() ? kDefaultPrecedence : kMissingOperandPrecedence;
}

// ---- BigOperatorNode ---------------------------------------------------------------------------

BigOperatorNode::BigOperatorNode(std::unique_ptr<SymbolNode> op, NodePtr body, NodePtr lower,
                                 NodePtr upper)
    : m_op(std::move(op)), m_body(std::move(body)), m_lower(std::move(lower)),
      m_upper(std::move(upper)) {}

BigOperatorNode::BigOperatorNode(const NodeSource& source, std::unique_ptr<SymbolNode> op,
                                 NodePtr lower, NodePtr upper)
    : ExprNode(source), m_op(std::move(op)), m_lower(std::move(lower)), m_upper(std::move(upper)) {}

BigOperatorNode::~BigOperatorNode() = default;

bool BigOperatorNode::IsProduct() const {
    return m_op && m_op->Row() == symbol_row::kProduct;
}

NodePtr BigOperatorNode::Clone() const {
    std::unique_ptr<SymbolNode> op;
    if (m_op) op.reset(static_cast<SymbolNode*>(m_op->Clone().release()));
    return WithSource(std::make_unique<BigOperatorNode>(std::move(op), CloneOrNull(m_body.get()),
                                                        CloneOrNull(m_lower.get()),
                                                        CloneOrNull(m_upper.get())));
}

void BigOperatorNode::AppendChild(NodePtr next) {
    CollectFollowing(*this, m_body, std::move(next));
}

void BigOperatorNode::Put(QKLINK link, MarkerMode mode, bool standard) const {
    const SymbolRow* row = BuiltinSymbol(IsProduct() ? symbol_row::kProduct : symbol_row::kSum);
    QKPutFunction(link, standard ? row->standardHead : row->linkName, 2);
    PutChildToLink(link, m_body.get(), mode, standard);
    if (!m_upper) {
        PutChildToLink(link, m_lower.get(), mode, standard);
        return;
    }
    // The iterator {variable, start, end}; a lower bound that is no "variable = start" chain
    // goes out whole beside the end.
    const bool chain =
        dynamic_cast<const InequalityNode*>(m_lower.get()) != nullptr && m_lower->ChildCount() == 3;
    if (chain) {
        QKPutFunction(link, "List", 3);
        PutChildToLink(link, NthItem(m_lower.get(), 0), mode, standard);
        PutChildToLink(link, NthItem(m_lower.get(), 2), mode, standard);
    } else {
        QKPutFunction(link, "List", 2);
        PutChildToLink(link, m_lower.get(), mode, standard);
    }
    PutChildToLink(link, m_upper.get(), mode, standard);
}

void BigOperatorNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    Put(link, mode, false);
}

void BigOperatorNode::PutStandardToLink(QKLINK link) const {
    Put(link, kNoMarkers, true);
}

void BigOperatorNode::BuildBoxes(BoxList& boxes, int32_t level) {
    BoxList lower;
    if (m_lower) m_lower->BuildBoxes(lower, 4);
    BoxList upper;
    if (m_upper) m_upper->BuildBoxes(upper, 4);
    const bool hasUpper = m_upper != nullptr;
    BoxList own;
    BoxList& target = level < 8 ? boxes : own;
    AppendMade(target, [&](BoxFactory& f) {
        return IsProduct() ? f.ProdComp(std::move(upper), std::move(lower), hasUpper)
                           : f.SumComp(std::move(upper), std::move(lower), hasUpper);
    });
    if (m_body) m_body->BuildBoxes(target, 8);
    if (level >= 8) AppendParenthesised(boxes, std::move(own));
}

void BigOperatorNode::WriteMathML(MathMLWriter& writer) {
    const SymbolRow* row = BuiltinSymbol(IsProduct() ? symbol_row::kProduct : symbol_row::kSum);
    const char* script = m_upper ? "munderover" : "munder";
    writer.WriteStartTag("mrow");
    writer.WriteStartTag(script);
    writer.WriteElement("mo", row->mathml);
    if (m_lower) m_lower->WriteMathML(writer);
    if (m_upper) m_upper->WriteMathML(writer);
    writer.WriteEndTag(script);
    if (m_body) m_body->WriteMathML(writer);
    writer.WriteEndTag("mrow");
}

std::optional<Fraction> BigOperatorNode::ExtractFraction() {
    fixed_children::ExtractFractions({&m_upper, &m_lower, &m_body});
    return std::nullopt;
}

NodePtr BigOperatorNode::ReplaceChild(ExprNode* old, NodePtr replacement) {
    return fixed_children::Replace({&m_upper, &m_lower, &m_body}, old, replacement);
}

void BigOperatorNode::VisitTree(ExprNode& collector) {
    fixed_children::VisitTree({m_body.get(), m_lower.get(), m_upper.get()}, collector);
}

intptr_t BigOperatorNode::FindInTree() {
    return fixed_children::FindInTree({m_body.get(), m_lower.get(), m_upper.get()});
}

void BigOperatorNode::VisitTreeNoArg() {
    fixed_children::VisitTreeNoArg({m_body.get(), m_lower.get(), m_upper.get()});
}

// The sign is a child too, though a symbol has no children of its own to search.
ExprNode* BigOperatorNode::FindParentOf(const ExprNode* node) {
    return fixed_children::FindParentOf(
        *this, {m_upper.get(), m_lower.get(), m_op.get(), m_body.get()}, node);
}

int32_t BigOperatorNode::Precedence() const {
    return m_body ? kDefaultPrecedence : kMissingBodyPrecedence;
}
