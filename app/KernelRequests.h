#pragma once

// The kernel's questions to the user, asked in the middle of a calculation: edit an expression
// (request 1), select a part of one (2), choose one option (3), choose some items (5), read a
// message (6). Each opens its modal window over `owner` and answers what goes back to the
// kernel, or null when the user cancelled (the session then answers "$Canceled"). The handler
// owns the request's argument and drops everything but the answer before it returns.
//
// An argument with fewer parts than its request expects opens the window all the same, with
// empty texts and lists for what is missing.

#include "expr/ExprNode.h"

#include <cstdint>

class QWidget;

namespace kernelrequests {

enum Request : int32_t {
    kEditExpression = 1,
    kSelectPart = 2,
    kChooseOption = 3,
    kChooseItems = 5,
    kShowMessage = 6,
};

// The answer to request `number`; null for a number that asks nothing of the user.
NodePtr Answer(QWidget* owner, int32_t number, NodePtr argument);

// Requests 1 and 2: the prompt and the expression in the query window. The answer is the
// edited expression; for a selection, with the selected part flagged as the mover.
NodePtr EditExpression(QWidget* owner, NodePtr argument, bool select);
NodePtr ChooseOption(QWidget* owner, NodePtr argument);
NodePtr ChooseItems(QWidget* owner, NodePtr argument);
NodePtr ShowMessage(QWidget* owner, NodePtr argument);

} // namespace kernelrequests
