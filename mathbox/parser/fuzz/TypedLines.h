#pragma once

// Typed lines that reach every rule of the grammar and the shapes whose writing went wrong
// before: a logarithm with a base and bracketed arguments, a sequence inside a sum, signs run
// into the name of plus-or-minus, groups under signs, factorials and quotients. They are the
// parser fuzz target's seeds (written by parser_fuzz_corpus) and a table the tests replay.
// Boxes are written "\1" and a selector (TypedInput.h).

#include <string_view>

namespace typedinput {

struct TypedLine {
    const char* name; // the seed's file name
    std::string_view bytes;
};

using namespace std::string_view_literals;

inline constexpr TypedLine kTypedLines[] = {
    {"log-implied-base", "log x"sv},
    {"log-bracket-arguments", "log[2, x]"sv},
    {"log-subscript-bracket-arguments", "log\1\1[2, x]"sv},
    {"log-subscript", "log\1\1 x"sv},
    {"log-of-sum", "log(x + 1) + log[y]"sv},
    {"log-squared", "log\1\0 x"sv},
    {"call-two-arguments", "f[a, b] + g[x][y]"sv},
    {"call-nested-list", "f[a, {b, c}]"sv},
    {"sequence-in-sum", "x + \1\11"sv},
    {"sequence-in-call", "f[\1\11, w]"sv},
    {"sequence-top", "a, b, c"sv},
    {"minus-group", "a - (b + c)"sv},
    {"plus-minus-group", "a plusMinus (b - c)"sv},
    {"factorial-of-group", "(a + b)! + n!"sv},
    {"quotient-of-group", "(a + b)/c"sv},
    {"product-of-sums", "(a + b) (c - d) x"sv},
    {"power-of-sum", "(a + b)^2 + x^-y"sv},
    {"sign-run-names", "-plusMinus x + y+plusMinus z"sv},
    {"sign-runs", "a - - b + - + c plusMinus - d"sv},
    {"negated-number", "2 - 3 x - 1.5"sv},
    {"functions", "sin x cos(y + z) + sin\1\0 x"sv},
    {"powers-of-calls", "sin(x)^2 + cos[x]\1\0 + log(y)^-2 + log\1\1(z)^2 + f[a]^b"sv},
    {"relations", "a = b < c or d > e"sv},
    {"rule-and-list", "{a -> b, {1, 2}, \"text\"}"sv},
    {"residues", "a mod b mod c \1\6 d"sv},
    {"boxes", "\1\2 \1\3 x\1\0 y\1\1 \1\4 x\1\5"sv},
    {"empty-application", "\1\10 + \1\7"sv},
    {"no-expression", "x + \1\12"sv},
    {"long-numbers", "12345678901234 + 3.14159265358979"sv},
    {"syntax-error", "a + * b"sv},
};

} // namespace typedinput
