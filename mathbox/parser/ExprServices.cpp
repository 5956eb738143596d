#include "mathbox/parser/ExprServices.h"

#include "expr/symbols/SymbolTable.h"

ServiceSlot<ExprSession> gExprSession;

bool ExprSession::IsRestrictedRow(int32_t row) const {
    const SymbolRow* symbol = BuiltinSymbol(row);
    return symbol && (symbol->flags & kRestricted) != 0;
}
