#include "mathbox/parser/ExprParser.h"

#include "document/CompList.h"
#include "expr/LeafNodes.h"
#include "expr/symbols/SymbolTable.h"
#include "mathbox/parser/ExprGrammar.hpp"

bool ParseFailed = false;

NodePtr ExprParser::Parse(ExprLexer& lexer) {
    lexer.result.reset();
    const int outcome = expr_parse(lexer);
    if (const std::exception_ptr failure = lexer.Failure()) {
        lexer.result.reset();
        std::rethrow_exception(failure);
    }
    if (outcome != 0 || !lexer.result) {
        lexer.result = std::make_unique<ErrorNode>(lexer.WholeStretch());
        ParseFailed = true;
    }
    return std::move(lexer.result);
}

ExprNode* InfixListParser::Parse(CompList& list, int32_t from, int32_t to) {
    ExprLexer lexer;
    lexer.Init(&list, from, to);
    return ExprParser::Parse(lexer).release();
}

ExprNode* InfixListParser::NullSymbol(CompList& list) {
    return new SymbolNode(NodeSource(&list, 1, 1), symbol_row::kNull);
}

ExprNode* InfixListParser::NamedSymbol(CompList& list, int32_t from, int32_t to, const char* name) {
    return new SymbolNode(NodeSource(&list, from, to), std::string(name));
}
