#pragma once

// Parses a stretch of a math line into one expression tree. A stretch that does not parse
// becomes an error node over the whole stretch, and the failure flag is set for the
// evaluation code to read.

#include "document/ListParser.h"
#include "expr/ExprNode.h"
#include "mathbox/parser/ExprLexer.h"

class ExprParser {
public:
    // The tree of the lexer's stretch, never null; the lexer's error code tells what stopped a
    // failed parse. An exception (a failed allocation) passes on with nothing left behind.
    static NodePtr Parse(ExprLexer& lexer);
};

// Set when a parse ended in the error node; the evaluation code reads and clears it.
extern bool ParseFailed;

// The parser that component lists use for their expressions; installed at start-up.
class InfixListParser final : public ListParser {
public:
    ExprNode* Parse(CompList& list, int32_t from, int32_t to) override;
    ExprNode* NullSymbol(CompList& list) override;
    ExprNode* NamedSymbol(CompList& list, int32_t from, int32_t to, const char* name) override;
};
