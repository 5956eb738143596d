/* The infix grammar of a math line. Rule order is part of the design: keep every rule in its
   place and every token at its number. A failed parse leaves no tree behind; the caller wraps
   the stretch in an error node. */

%require "3.2"
%define api.pure full
%define api.prefix {expr_}
%define api.value.type {TokenValue}
%define parse.error simple
%param {ExprLexer& lexer}
%expect 0

%code requires {
#include "mathbox/parser/ExprLexer.h"
/* Values are plain data that the stack may move by copying. */
#define EXPR_STYPE_IS_TRIVIAL 1
}

%code {
#include "mathbox/parser/ExprActions.h"

#include <exception>

/* Deep expressions grow the stacks from 20 entries, doubling, up to 1000. */
#define YYINITDEPTH 20
#define YYMAXDEPTH 1000

namespace {

int expr_lex(TokenValue* value, ExprLexer& lexer) {
    const int code = lexer.Next(*value);
    // The error token is no symbol of the grammar, so no destructor would reach its value.
    if (code == token::kError) value->FreeNodes();
    return code;
}

void expr_error(ExprLexer& lexer, const char* message) {
    /* A syntax error keeps an earlier cause (an unknown character); the stack limit is its
       own cause. */
    if (std::string_view(message) == "memory exhausted")
        lexer.SetError(ExprLexer::kStackExhausted);
}

} // namespace

/* Runs an action; an exception (a failed allocation) aborts the parse so the stack frees its
   values, and the parser passes the exception on afterwards. */
#define ACT(target, call)                                                                              \
    try {                                                                                      \
        target = call;                                                                         \
    } catch (...) {                                                                            \
        lexer.Fail(std::current_exception());                                                  \
        YYABORT;                                                                               \
    }
using namespace grammar;
}

%destructor { $$.FreeNodes(); } <>

%token NAME 258 NUMBER 259 ARGS 260 PRIMARY 261 OPERATOR 262 FUNCTION 263 SUPER 264 SUB 265
%token RELATION 266 STRING 267 PREFIX 268 POSTFIX 269 POSTFIX2 270 LOG 271
%token CARET 272 PLUS 273 MINUS 274 PLUSMINUS 275 TIMES 276 DIVIDE 277
%token LPAREN 278 RPAREN 279 LBRACKET 280 RBRACKET 281 LBRACE 282 RBRACE 283 COMMA 284
%token OR 285 ARROW 286 BANG 287
%token UNUSED1 289 UNUSED2 290 UNUSED3 291

/* Residues group from the left: a mod b mod c is (a mod b) mod c. */
%left MOD 288

/* After a named function, a parenthesis followed by a power or a superscript closes the
   function's argument: sin(x)^2 squares the sine, as ordinary notation reads it, where the
   parenthesis alone would have been the power's base. */
%precedence ARGUMENT
%precedence CARET SUPER

%start Start

%%

Start: Top                           { lexer.result.reset(std::exchange($1.node, nullptr)); $$ = {}; }
     | error                         { $$ = {}; YYABORT; }
     ;
Top: Items
   | Item
   ;
Items: Item COMMA Item               { $2.FreeNodes(); ACT($$, NewSequence(Own($1), Own($3))) }
     | Items COMMA Item              { $2.FreeNodes(); ACT($$, AppendTo(Own($1), Own($3))) }
     ;
Item: OrChain
    | Relational
    | RuleExpr
    | STRING
    | Braced
    ;
OrChain: Relational OR Relational    { $2.FreeNodes(); ACT($$, NewOr(Own($1), Own($3))) }
       | OrChain OR Relational       { $2.FreeNodes(); ACT($$, AppendTo(Own($1), Own($3))) }
       ;
Relational: RelChain
          | Expr
          ;
RelChain: Expr RELATION Expr         { ACT($$, NewRelation(Own($1), Own($2), Own($3))) }
        | RelChain RELATION Expr     { ACT($$, AppendRelation(Own($1), Own($2), Own($3))) }
        ;
RuleExpr: Expr ARROW Expr            { $2.FreeNodes(); ACT($$, NewRule(Own($1), Own($3))) }
        ;
Braced: LBRACE Item RBRACE           { ACT($$, NewList(Own($1), Own($2), Own($3))) }
      | LBRACE Items RBRACE          { ACT($$, NewList(Own($1), Own($2), Own($3))) }
      ;
Expr: Mod
    | Sum
    | Signed
    ;
Plus: PLUS
    | Plus PLUS                      { $$ = SignRun($1, $2); }
    | Minus MINUS                    { $$ = SignRun($1, $2); }
    ;
Minus: MINUS
     | Plus MINUS                    { $$ = SignRun($1, $2); }
     | Minus PLUS                    { $$ = SignRun($1, $2); }
     ;
PlusMinus: PLUSMINUS
         | Plus PLUSMINUS            { $$ = SignRun($1, $2); }
         | Minus PLUSMINUS           { $$ = SignRun($1, $2); }
         | PlusMinus PLUS            { $$ = SignRun($1, $2); }
         | PlusMinus MINUS           { $$ = SignRun($1, $2); }
         | PlusMinus PLUSMINUS       { $$ = SignRun($1, $2); }
         ;
Sum: Term Plus Mod                   { ACT($$, NewSum(Own($1), Own($2), Own($3), kNoSign)) }
   | Term Minus Mod                  { ACT($$, NewSum(Own($1), Own($2), Own($3), kMinusSign)) }
   | Term PlusMinus Mod              { ACT($$, NewSum(Own($1), Own($2), Own($3), kPlusMinusSign)) }
   | Sum Plus Mod                    { ACT($$, AppendTerm(Own($1), Own($2), Own($3), kNoSign)) }
   | Sum Minus Mod                   { ACT($$, AppendTerm(Own($1), Own($2), Own($3), kMinusSign)) }
   | Sum PlusMinus Mod               { ACT($$, AppendTerm(Own($1), Own($2), Own($3), kPlusMinusSign)) }
   ;
Term: Signed
    | Mod
    ;
Signed: Minus Mod                    { ACT($$, Lead(Own($1), Own($2), kMinusSign)) }
      | Plus Mod                     { ACT($$, Lead(Own($1), Own($2), kNoSign)) }
      | PlusMinus Mod                { ACT($$, Lead(Own($1), Own($2), kPlusMinusSign)) }
      ;
Mod: Product
   | Mod MOD Mod                     { ACT($$, NewMod(Own($1), Own($2), Own($3))) }
   | OperatorTerms
   | Product OperatorTerms           { ACT($$, AppendToProduct(Own($1), Own($2))) }
   ;
OperatorTerms: Operators Product                   { ACT($$, ApplyOperator(Own($1), Val{}, Own($2))) }
             | Operators MINUS Product             { ACT($$, ApplyOperator(Own($1), Own($2), Own($3))) }
             | OperatorTerms Operators Product     { ACT($$, ChainOperator(Own($1), Own($2), Val{}, Own($3))) }
             | OperatorTerms Operators MINUS Product { ACT($$, ChainOperator(Own($1), Own($2), Own($3), Own($4))) }
             ;
Product: Factor
       | Product Factor              { ACT($$, AppendToProduct(Own($1), Own($2))) }
       | Product TIMES Factor        { $2.FreeNodes(); ACT($$, AppendToProduct(Own($1), Own($3))) }
       | Product DIVIDE Factor       { $2.FreeNodes(); ACT($$, NewQuotient(Own($1), Own($3))) }
       ;
Factor: Postfix
      | FuncApp
      | Call
      | Postfix BANG                 { ACT($$, NewFactorial(Own($1), Own($2))) }
      | Postfix POSTFIX2             { ACT($$, Attach(Own($2), Own($1))) }
      | PREFIX Factor                { ACT($$, Attach(Own($1), Own($2))) }
      ;
Postfix: Atom
       | Postfix POSTFIX             { ACT($$, NewApplication(Own($2), Own($1))) }
       | Power
       ;
Power: Atom SUPER                    { ACT($$, Attach(Own($2), Own($1))) }
     | Atom CARET Atom               { ACT($$, NewPower(Own($1), Own($2), Val{}, Own($3))) }
     | Atom CARET Minus Atom         { ACT($$, NewPower(Own($1), Own($2), Own($3), Own($4))) }
     | Power SUPER                   { ACT($$, Attach(Own($2), Own($1))) }
     | Power CARET Atom              { ACT($$, NewPower(Own($1), Own($2), Val{}, Own($3))) }
     | Power CARET Minus Atom        { ACT($$, NewPower(Own($1), Own($2), Own($3), Own($4))) }
     ;
Atom: NAME
    | NAME SUB                       { ACT($$, Attach(Own($2), Own($1))) }
    | NUMBER
    | Paren                          %prec ARGUMENT
    ;
Paren: LPAREN Expr RPAREN            { ACT($$, NewGroup(Own($1), Own($2), Own($3), true)) }
     | PRIMARY
     ;
FuncApp: FUNCTION Postfix            { ACT($$, NewCall(Own($1), Own($2))) }
       | FUNCTION SUPER Postfix      { ACT($$, RaiseCall(Own($1), Own($3), Own($2))) }
       | LOG Postfix                 { ACT($$, NewLog(Own($1), Val{}, Own($2))) }
       | LOG SUB Postfix             { ACT($$, NewLog(Own($1), Own($2), Own($3))) }
       ;
Call: Postfix Args                   { ACT($$, NewCall(Own($1), Own($2))) }
    | FUNCTION Args                  { ACT($$, NewCall(Own($1), Own($2))) }
    | LOG Args                       { ACT($$, NewLog(Own($1), Val{}, Own($2))) }
    | FUNCTION SUPER Args            { ACT($$, RaiseCall(Own($1), Own($3), Own($2))) }
    | LOG SUB Args                   { ACT($$, NewLog(Own($1), Own($2), Own($3))) }
    | Call Args                      { ACT($$, NewCall(Own($1), Own($2))) }
    ;
Args: LBRACKET Top RBRACKET          { ACT($$, NewGroup(Own($1), Own($2), Own($3), false)) }
    | ARGS
    ;
Operators: OPERATOR
         | Operators OPERATOR        { ACT($$, Attach(Own($1), Own($2))) }
         ;

/* A power right after an argument in brackets applies to the whole application: sin(x)^2,
   log(x)^2 and f[x]^2 are squares, and like the application they are factors. Without brackets
   the function takes the power with its argument: sin x^2 is the sine of x squared. */
Factor: RaisedCall
      ;
RaisedCall: Call Raise               { ACT($$, Attach(Own($2), Own($1))) }
          | FUNCTION Paren Raise     { ACT($$, RaiseCall(Own($1), Own($2), Own($3))) }
          | LOG Paren Raise          { ACT($$, RaiseLog(Own($1), Val{}, Own($2), Own($3))) }
          | LOG SUB Paren Raise      { ACT($$, RaiseLog(Own($1), Own($2), Own($3), Own($4))) }
          | RaisedCall Raise         { ACT($$, Attach(Own($2), Own($1))) }
          ;
/* A power still waiting for its base. */
Raise: SUPER
     | CARET Atom                    { ACT($$, NewExponent(Own($1), Val{}, Own($2))) }
     | CARET Minus Atom              { ACT($$, NewExponent(Own($1), Own($2), Own($3))) }
     ;

%%
