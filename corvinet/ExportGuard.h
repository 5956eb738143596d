#pragma once

// The one guard of the C interface. Every exported function runs its body through it, so no
// exception crosses into a C caller: the guard answers the function's failure value instead
// and, where a link is at hand, stores the reason on it (8 when memory ran out, 1 for anything
// else) unless the link already holds an error.

#include "Link.h"

#include <cstdint>
#include <new>

namespace corvinet {

// The link error for the exception being handled. Call only inside a catch block.
inline int32_t caughtError() noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return QKERR_OUT_OF_MEMORY;
    } catch (...) {
        return QKERR_LINK_DIED;
    }
}

// For the catch clause of an exported function's try block: stores the reason on `link` (when
// there is one) and gives the function's failure value.
template <class Result>
Result exportFailed(QKLINK link, Result failure) noexcept {
    if (link) link->setError(caughtError());
    return failure;
}
// The same with the zero of the function's result type (0, null) as its failure value.
template <class Result>
Result exportFailed(QKLINK link) noexcept {
    return exportFailed(link, Result{});
}
inline void exportFailed(QKLINK link) noexcept {
    if (link) link->setError(caughtError());
}

template <class Result, class Body>
Result guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

template <class Result, class Body>
Result guarded(QKLINK link, Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        if (link) link->setError(caughtError());
        return failure;
    }
}

template <class Body>
void guardedVoid(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

} // namespace corvinet
