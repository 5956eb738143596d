#include "mathbox/parser/ExprActions.h"

#include "expr/FunctionNode.h"
#include "expr/GridNodes.h"
#include "expr/GroupNode.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/PlusNode.h"
#include "expr/PowerNode.h"
#include "expr/RelationNodes.h"
#include "expr/ScriptNodes.h"
#include "expr/TimesNode.h"
#include "expr/UnaryNodes.h"

namespace grammar {

namespace {

TokenValue Out(NodePtr node) {
    TokenValue value;
    if (node && node->HasSource()) value.src = node->Source();
    value.node = node.release();
    return value;
}

NodeSource Span(const NodeSource& from, const NodeSource& to) {
    NodeSource span = from;
    span.end = to.end;
    return span;
}

// The operand as a product: itself when it is one, else a product holding it.
std::unique_ptr<TimesNode> AsProduct(NodePtr operand) {
    if (operand && operand->TypeTag() == ::TypeTag("prdN"))
        return std::unique_ptr<TimesNode>(static_cast<TimesNode*>(operand.release()));
    const NodeSource where = operand ? operand->Source() : NodeSource();
    return std::make_unique<TimesNode>(where, std::move(operand));
}

// The operand under the sign of a run: unchanged, negated or with a leading plus-or-minus.
NodePtr WithSign(Val operand, const NodeSource& signs, SignCode sign) {
    if (sign == kNoSign) return std::move(operand.node);
    std::unique_ptr<TimesNode> product = AsProduct(std::move(operand.node));
    if (sign == kMinusSign)
        product->Negate(signs);
    else
        product->PrependPlusMinus(signs);
    NodeSource widened = signs;
    widened.Union(product->Source());
    product->SetSource(widened);
    return product;
}

// A step's result as the operand of the next step.
Val Taken(TokenValue value) {
    return Val{NodePtr(value.node), nullptr, value.src, true};
}

NodePtr Negated(Val operand, const Val& minus) {
    if (!minus.present) return std::move(operand.node);
    const NodeSource signs = minus.src;
    return WithSign(std::move(operand), signs, kMinusSign);
}

} // namespace

TokenValue SignRun(TokenValue& run, TokenValue& sign) {
    TokenValue value;
    value.src = Span(run.src, sign.src);
    run.FreeNodes();
    sign.FreeNodes();
    return value;
}

TokenValue NewSequence(Val first, Val second) {
    auto sequence = std::make_unique<SequenceNode>(first.Where(), std::move(first.node));
    sequence->AppendChild(std::move(second.node));
    return Out(std::move(sequence));
}

TokenValue AppendTo(Val list, Val item) {
    list.node->AppendChild(std::move(item.node));
    return Out(std::move(list.node));
}

TokenValue NewOr(Val left, Val right) {
    auto alternatives = std::make_unique<OrNode>(std::move(left.node));
    alternatives->AppendChild(std::move(right.node));
    return Out(std::move(alternatives));
}

TokenValue NewRelation(Val left, Val relation, Val right) {
    auto chain = std::make_unique<InequalityNode>(left.Where(), std::move(left.node));
    return AppendRelation(Val{std::move(chain), nullptr, {}, true}, std::move(relation),
                          std::move(right));
}

TokenValue AppendRelation(Val chain, Val relation, Val right) {
    chain.node->AppendChild(std::move(relation.node));
    chain.node->AppendChild(std::move(right.node));
    return Out(std::move(chain.node));
}

TokenValue NewRule(Val left, Val right) {
    const NodeSource where = Span(left.Where(), right.Where());
    return Out(std::make_unique<RuleNode>(where, std::move(left.node), std::move(right.node)));
}

TokenValue NewList(Val open, Val items, Val close) {
    auto list = std::make_unique<ListNode>(Span(open.src, close.src));
    if (items.node->TypeTag() == ::TypeTag("seqN")) {
        auto& sequence = static_cast<SequenceNode&>(*items.node);
        NodePtr chain = sequence.DetachAll();
        while (chain) {
            NodePtr next = chain->TakeNext();
            list->AppendChild(std::move(chain));
            chain = std::move(next);
        }
    } else {
        list->AppendChild(std::move(items.node));
    }
    return Out(std::move(list));
}

TokenValue NewSum(Val term, Val signs, Val operand, SignCode sign) {
    auto sum = std::make_unique<PlusNode>(term.Where(), std::move(term.node));
    return AppendTerm(Val{std::move(sum), nullptr, {}, true}, std::move(signs), std::move(operand),
                      sign);
}

TokenValue AppendTerm(Val sum, Val signs, Val operand, SignCode sign) {
    sum.node->AppendChild(WithSign(std::move(operand), signs.src, sign));
    return Out(std::move(sum.node));
}

TokenValue Lead(Val signs, Val operand, SignCode sign) {
    if (sign != kNoSign) return Out(WithSign(std::move(operand), signs.src, sign));
    NodeSource widened = signs.src;
    widened.Union(operand.Where());
    operand.node->SetSource(widened);
    return Out(std::move(operand.node));
}

TokenValue NewMod(Val left, Val keyword, Val right) {
    // The typed keyword brings its node along; a box that answers as the keyword is its node.
    NodePtr taken = keyword.aux ? std::move(keyword.aux) : std::move(keyword.node);
    std::unique_ptr<ModNode> residue;
    if (dynamic_cast<ModNode*>(taken.get()))
        residue.reset(static_cast<ModNode*>(taken.release()));
    else
        residue = std::make_unique<ModNode>(keyword.src);
    residue->SetLeft(std::move(left.node));
    residue->SetRight(std::move(right.node));
    return Out(std::move(residue));
}

TokenValue AppendToProduct(Val product, Val factor) {
    std::unique_ptr<TimesNode> times = AsProduct(std::move(product.node));
    times->AppendChild(std::move(factor.node));
    return Out(std::move(times));
}

TokenValue ApplyOperator(Val operators, Val minus, Val product) {
    operators.node->AppendChild(Negated(std::move(product), minus));
    return Out(std::move(operators.node));
}

TokenValue ChainOperator(Val terms, Val operators, Val minus, Val product) {
    operators.node->AppendChild(Negated(std::move(product), minus));
    terms.node->AppendChild(std::move(operators.node));
    return Out(std::move(terms.node));
}

TokenValue NewQuotient(Val numerator, Val denominator) {
    const NodeSource where = Span(numerator.Where(), denominator.Where());
    return Out(std::make_unique<DivideNode>(where, std::move(numerator.node),
                                            std::move(denominator.node)));
}

TokenValue NewFactorial(Val operand, Val bang) {
    return Out(std::make_unique<FactorialNode>(bang.src, std::move(operand.node)));
}

TokenValue Attach(Val box, Val operand) {
    box.node->AppendChild(std::move(operand.node));
    return Out(std::move(box.node));
}

TokenValue NewApplication(Val head, Val operand) {
    const NodeSource where = Span(operand.Where(), head.Where());
    return Out(
        std::make_unique<FunctionNode>(where, std::move(head.node), std::move(operand.node)));
}

TokenValue NewPower(Val base, Val caret, Val minus, Val exponent) {
    Val power = Taken(NewExponent(std::move(caret), std::move(minus), std::move(exponent)));
    return Attach(std::move(power), std::move(base));
}

TokenValue NewExponent(Val caret, Val minus, Val exponent) {
    NodePtr raised = Negated(std::move(exponent), minus);
    const NodeSource where = Span(caret.src, raised->Source());
    return Out(std::make_unique<PowerNode>(where, std::move(raised)));
}

TokenValue NewGroup(Val open, Val inner, Val close, bool parentheses) {
    return Out(
        std::make_unique<GroupNode>(Span(open.src, close.src), std::move(inner.node), parentheses));
}

TokenValue NewCall(Val head, Val argument) {
    const NodeSource where = Span(head.Where(), argument.Where());
    return Out(
        std::make_unique<FunctionNode>(where, std::move(head.node), std::move(argument.node)));
}

namespace {

// The items of log[b, x], which names its base first as the kernel's Log[b, x] does; null for
// one argument, whose base is the 10 that log means by itself.
NodePtr BaseAndArguments(const Val& argument) {
    auto* group = dynamic_cast<GroupNode*>(argument.node.get());
    const auto* items = group ? dynamic_cast<const SequenceNode*>(group->Operand()) : nullptr;
    return items && items->Count() > 1 ? group->TakeInner() : nullptr;
}

} // namespace

TokenValue NewLog(Val log, Val base, Val argument) {
    const NodeSource where = Span(log.Where(), argument.Where());
    if (!base.present)
        if (NodePtr items = BaseAndArguments(argument))
            return Out(
                std::make_unique<FunctionNode>(where, std::move(log.node), std::move(items)));
    NodePtr first;
    if (base.present) {
        // The subscript box's content is the base; the box itself goes.
        auto* script = dynamic_cast<SubscriptNode*>(base.node.get());
        if (script && script->Subscript()) first = script->Subscript()->Clone();
    }
    if (!first) first = std::make_unique<MachineIntegerNode>(log.Where(), 10);
    auto arguments = std::make_unique<SequenceNode>(first->Source(), std::move(first));
    arguments->AppendChild(std::move(argument.node));
    return Out(std::make_unique<FunctionNode>(where, std::move(log.node), std::move(arguments)));
}

TokenValue RaiseCall(Val head, Val argument, Val power) {
    Val applied = Taken(NewCall(std::move(head), std::move(argument)));
    return Attach(std::move(power), std::move(applied));
}

TokenValue RaiseLog(Val log, Val base, Val argument, Val power) {
    Val applied = Taken(NewLog(std::move(log), std::move(base), std::move(argument)));
    return Attach(std::move(power), std::move(applied));
}

} // namespace grammar
