#pragma once

// What the infix lexer and the expression holder ask of the kernel session: whether the
// calculation server's naming rules apply, where their messages go, and the ordering request
// that numbers the markers a kernel answer leaves behind. The kernel session installs one in
// `gExprSession`; without one the rules are off, messages go nowhere and markers stay.

#include "expr/ExprNode.h"
#include "platform/Installed.h"

class DocumentHost;

class ExprSession {
public:
    virtual ~ExprSession() = default;

    // True while the editor works through the calculation server.
    virtual bool IsServerRestricted() const = 0;
    // Whether the built-in row is refused while the server's rules apply; by the row's flag.
    virtual bool IsRestrictedRow(int32_t row) const;
    // The host whose message box shows the lexer's refusals; null shows nothing.
    virtual DocumentHost* MessageHost() const = 0;
    // The term-ordering request: the next index for a marker, given the collected terms.
    virtual NodePtr NextPriority(const ExprNode& terms) = 0;
};

extern ServiceSlot<ExprSession> gExprSession;
