#pragma once

// The kernel's expressions on a Corvinet link: one expression read off the link, one written.
// The peer is not trusted: nesting and size are bounded, and a failure names what went wrong
// instead of throwing.

#include "Expr.h"
#include "corvinet/corvinet.h"

#include <optional>
#include <string>

namespace standin {

struct ReadLimits {
    int depth = 400;
    std::size_t nodes = 2'000'000;
};

// Reads the next expression. On failure answers nothing and, when given, the reason.
std::optional<Expr> readExpr(QKLINK link, std::string* error = nullptr, ReadLimits limits = {});

// Writes `e`: integers of up to nine digits as machine integers, longer ones and reals with
// text as number text (exponent written with "e"), machine reals as doubles. False when the
// link refused a put.
bool writeExpr(QKLINK link, const Expr& e);

} // namespace standin
