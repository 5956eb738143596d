#pragma once

// How a component list becomes an expression: the infix parser reads the children as one math
// line. The parsing subsystem installs the real parser in `gListParser` with an `Installed`
// guard at start-up; without one, lists have no expression.

#include "platform/Installed.h"

#include <cstdint>

class CompList;
class ExprNode;

class ListParser {
public:
    virtual ~ListParser() = default;

    // The tree for children from..to (exclusive) of a non-empty list, owned by the caller.
    virtual ExprNode* Parse(CompList& list, int32_t from, int32_t to) = 0;
    // The expression of an empty list: the built-in symbol "Null" (index 69).
    virtual ExprNode* NullSymbol(CompList& list) = 0;
    // A symbol of the given name standing for children from..to (exclusive) of the list: what
    // an atomic component with no mathematics of its own (a picture) converts to.
    virtual ExprNode* NamedSymbol(CompList& list, int32_t from, int32_t to, const char* name) = 0;
};

// The installed parser; not owned here.
extern ServiceSlot<ListParser> gListParser;
