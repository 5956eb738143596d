#pragma once

// The reductions of the infix grammar. Every step takes its operands over first (Own, which
// cannot fail), so a failed allocation inside a step frees them and nothing stays behind on
// the parser's stack.

#include "mathbox/parser/ExprLexer.h"

#include <utility>

namespace grammar {

// A value taken off the parser's stack.
struct Val {
    NodePtr node;
    NodePtr aux;
    NodeSource src;
    bool present = false;

    // The node's own place, or the token's.
    NodeSource Where() const { return node && node->HasSource() ? node->Source() : src; }
};

inline Val Own(TokenValue& value) noexcept {
    Val taken{NodePtr(std::exchange(value.node, nullptr)),
              NodePtr(std::exchange(value.aux, nullptr)), value.src, true};
    return taken;
}

// A run of signs: only its place grows; the sign is in the rule. A typed sign name brings a
// node along; the run frees both its values' nodes, which nothing else would.
TokenValue SignRun(TokenValue& run, TokenValue& sign);

TokenValue NewSequence(Val first, Val second);
// Appends to a sequence, an "or" or a list-like node.
TokenValue AppendTo(Val list, Val item);
TokenValue NewOr(Val left, Val right);
TokenValue NewRelation(Val left, Val relation, Val right);
TokenValue AppendRelation(Val chain, Val relation, Val right);
TokenValue NewRule(Val left, Val right);
// "{" item or items "}".
TokenValue NewList(Val open, Val items, Val close);
TokenValue NewSum(Val term, Val signs, Val operand, SignCode sign);
TokenValue AppendTerm(Val sum, Val signs, Val operand, SignCode sign);
// An operand behind a run of signs at the start of an expression.
TokenValue Lead(Val signs, Val operand, SignCode sign);
TokenValue NewMod(Val left, Val keyword, Val right);
TokenValue AppendToProduct(Val product, Val factor);
// An operator box applied to the product after it, negated when `minus` is present.
TokenValue ApplyOperator(Val operators, Val minus, Val product);
TokenValue ChainOperator(Val terms, Val operators, Val minus, Val product);
TokenValue NewQuotient(Val numerator, Val denominator);
TokenValue NewFactorial(Val operand, Val bang);
// A box node that waits for an operand (script, prefix, postfix) takes it.
TokenValue Attach(Val box, Val operand);
// A postfix operator box as the head applied to the operand on its left.
TokenValue NewApplication(Val head, Val operand);
TokenValue NewPower(Val base, Val caret, Val minus, Val exponent);
// "^" and an exponent, negated when `minus` is present: a power that waits for its base.
TokenValue NewExponent(Val caret, Val minus, Val exponent);
TokenValue NewGroup(Val open, Val inner, Val close, bool parentheses);
TokenValue NewCall(Val head, Val argument);
// log x (base 10), log_b x, or log[b, x] with the base first.
TokenValue NewLog(Val log, Val base, Val argument);
// f^n x, f(x)^n and log(x)^n: the power, still without its base, takes the whole
// application.
TokenValue RaiseCall(Val head, Val argument, Val power);
TokenValue RaiseLog(Val log, Val base, Val argument, Val power);

} // namespace grammar
