#pragma once

// When a node needs parentheses to keep its meaning where it stands: a - (b + c), (a + b)!,
// (a + b) c. The display boxes decide this in each class's BuildBoxes from the level its place
// binds at; MathML and the plain text ask here, with the same levels, so the three agree. A
// group is never fenced again: it brings its own parentheses.

#include "expr/ExprNode.h"

class MathMLWriter;

// The levels the places pass: a term after "+" (6), after "-" or "±" (8), a factor before the
// last (8), the last factor (7), a factorial's operand (9), a power's base (10).
bool NeedsFence(const ExprNode& node, int32_t level);

// The node's MathML, fenced when its place needs it.
void WriteMathMLAt(MathMLWriter& writer, ExprNode& node, int32_t level);

// The node's plain text, in parentheses when its place needs it.
Str255 TextAt(const ExprNode& node, int32_t level);
