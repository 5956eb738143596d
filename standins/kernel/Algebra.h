#pragma once

// What the kernel asks of the computer algebra. The only door to the algebra library: its
// headers stay in GiacMapping.cpp and GiacBridge.cpp, the two translation units built as C++17,
// so nothing else pays their cost.
//
// Every call runs on the kernel's request thread. A call that the interrupt stops throws
// `Interrupted`; one that cannot map or compute its input throws `AlgebraError`. The
// computations run in a child process that the interrupt kills (Forked.h); what they change
// in the algebra's state (the code's assignments, its settings, its random numbers) is taken
// over when they finish, and an interrupted one changes nothing.

#include "Expr.h"

#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace standin::algebra {

struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("interrupted") {}
};
struct AlgebraError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Settings {
    std::string defaultVariable = "x";
    std::string transformVariable = "xi";
    int precision = 0; // digits of the reals answered; 0: the default (RealDigits.h)
    // Letters declared constant. In a total derivative every other letter depends on the
    // variable; constants differentiate to 0. A session starts with the letters the editor's
    // palette shows checked; while they are constant, e is Euler's number and i the imaginary
    // unit (E and I always are).
    std::set<std::string> constants = {"C", "E", "I", "c", "e", "i"};
};

enum class Op { Simplify, Evaluate, Expand, Factor, Numeric };

// One of the plain transformations of a whole expression.
Expr transform(Op op, const Expr& e, const Settings& settings);

// The solutions of an equation (or a set of them) for the given variables: one equation, a
// disjunction ("TYOr") of them, or an empty list when there is none.
Expr solve(const Expr& equations, const std::vector<std::string>& variables,
           const Settings& settings);
Expr integrate(const Expr& e, const std::string& variable, const Settings& settings);
// The total derivative: letters that are not constant depend on `variable`.
Expr differentiate(const Expr& e, const std::string& variable, const Settings& settings);
// The Laplace transform from the default variable into the transform variable.
Expr laplace(const Expr& e, const Settings& settings);
// Powers of `variable` gathered, each with one coefficient.
Expr collect(const Expr& e, const std::string& variable, const Settings& settings);
// `e` with the left side of `eq` replaced by its right side, then simplified.
Expr substitute(const Expr& e, const Expr& eq, const Settings& settings);
// True when both sides of the equation simplify to the same value.
bool holds(const Expr& eq, const Settings& settings);
// Source text in the algebra's own syntax, parsed and evaluated; nothing when it does not
// parse.
std::optional<Expr> runCode(const std::string& source, const Settings& settings);

// Values of `f` at each of `xs` (and, for two variables, on the grid xs by ys, row by row
// along ys); a value that is not a finite real is NaN.
std::vector<double> sample(const Expr& f, const std::string& x, const std::vector<double>& xs,
                           const Settings& settings);
std::vector<double> sampleGrid(const Expr& f, const std::string& x, const std::string& y,
                               const std::vector<double>& xs, const std::vector<double>& ys,
                               const Settings& settings);

// The algebra computing for about `seconds`, open to the interrupt all the while (a slow
// kernel).
void busyWork(double seconds);

// The mapping alone, there and back, for tests: `e` as the algebra builds it and reads it back.
Expr roundTrip(const Expr& e, const Settings& settings);

// Safe from any thread: asks the running computation to stop. `clearInterrupt` readies the
// next one.
void requestInterrupt();
void clearInterrupt();

} // namespace standin::algebra
