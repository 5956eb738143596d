// The computations the kernel asks of Giac, each one open to the interrupt. The mapping of
// expressions lives in GiacMapping.cpp; these two files alone include Giac's headers.

#include "Forked.h"
#include "GiacMapping.h"
#include "RealDigits.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <utility>

namespace standin::algebra {

namespace {

using giac::gen;
using giac::vecteur;

std::atomic<bool> g_interruptRequested{false};
// Set while Giac computes in this process rather than in a child (the mapping's round trip, and
// every computation when no child could be made): only then does an interrupt raise Giac's
// own flag, which a later computation here would otherwise find still raised.
std::atomic<bool> g_computingHere{false};
// Giac's parser does not survive being stopped half way, so an interrupt that arrives while
// it parses waits until it has finished.
std::atomic<bool> g_parsing{false};

std::mutex& computationMutex() {
    static std::mutex mutex;
    return mutex;
}

// Runs one computation in this process: honours an interrupt that arrives while it runs,
// leaves Giac ready for the next and turns Giac's failures into ours.
template <class F>
auto computedHere(F&& body) -> decltype(body()) {
    struct Here {
        Here() { g_computingHere = true; }
        ~Here() { g_computingHere = false; }
    } here;
    giac::ctrl_c = g_interruptRequested.load();
    giac::interrupted = false;
    try {
        auto result = body();
        bool stopped = giac::interrupted || giac::ctrl_c || g_interruptRequested.load();
        giac::ctrl_c = false;
        giac::interrupted = false;
        engine().drain();
        if (stopped) throw Interrupted();
        return result;
    } catch (const Interrupted&) {
        throw;
    } catch (const AlgebraError&) {
        giac::ctrl_c = false;
        giac::interrupted = false;
        throw;
    } catch (const std::exception& e) {
        bool stopped = giac::interrupted || g_interruptRequested.load();
        giac::ctrl_c = false;
        giac::interrupted = false;
        engine().drain();
        if (stopped) throw Interrupted();
        throw AlgebraError(e.what());
    }
}

// What a computation can change that the next one sees: the values assigned in the context
// (variables, functions of the person's code, assumptions), the context's settings (Digits
// and the like) and the state of the random numbers.
struct AlgebraState {
    std::map<std::string, gen> values;
    gen setup;
    tinymt32_t random;
};

AlgebraState currentState() {
    AlgebraState state;
    for (const auto& [name, value] : *ctx()->tabptr)
        state.values.emplace(name, value);
    state.setup = gen(giac::cas_setup(ctx()), 0);
    state.random = *giac::rand_seed(ctx());
    return state;
}

std::string archived(const gen& value) {
    std::ostringstream out;
    giac::archive(out, value, ctx());
    return out.str();
}

gen unarchived(const std::string& bytes) {
    std::istringstream in(bytes);
    return giac::unarchive(in, ctx());
}

// In the child: what changed since `before`, in Giac's own archive form.
void writeChanges(ByteWriter& out, const AlgebraState& before) {
    const AlgebraState after = currentState();
    std::vector<std::pair<std::string, const gen*>> changed;
    for (const auto& [name, value] : after.values) {
        auto was = before.values.find(name);
        if (was == before.values.end() || !(was->second == value))
            changed.emplace_back(name, &value);
    }
    for (const auto& [name, value] : before.values)
        if (!after.values.count(name)) changed.emplace_back(name, nullptr);
    out.writeInteger(static_cast<int64_t>(changed.size()));
    for (const auto& [name, value] : changed) {
        out.write(name);
        out.write(value != nullptr);
        if (value) out.write(archived(*value));
    }
    const bool newSetup = !(after.setup == before.setup);
    out.write(newSetup);
    if (newSetup) out.write(archived(after.setup));
    out.write(std::string(reinterpret_cast<const char*>(&after.random), sizeof after.random));
}

// A name as Giac's parser makes it. The context's table is keyed by the name's text inside
// the identifier, and only the parser's identifiers last as long as the table.
gen lastingIdentifier(const std::string& name) {
    gen parsed(name, ctx());
    if (parsed.type != giac::_IDNT) throw ByteReader::Malformed();
    return parsed;
}

// In the parent: the child's changes made here too, so that the next computation, whichever
// process runs it, starts where this one left off.
void applyChanges(ByteReader& in) {
    for (int64_t count = in.readInteger(); count > 0; --count) {
        std::string name;
        bool assigned = false;
        in.read(name);
        in.read(assigned);
        if (assigned) {
            std::string value;
            in.read(value);
            giac::sto(unarchived(value), lastingIdentifier(name), ctx());
        } else {
            giac::_purge(lastingIdentifier(name), ctx());
        }
    }
    bool newSetup = false;
    in.read(newSetup);
    if (newSetup) {
        std::string setup;
        in.read(setup);
        gen values = unarchived(setup);
        if (values.type == giac::_VECT) giac::cas_setup(*values._VECTptr, ctx());
    }
    std::string random;
    in.read(random);
    if (random.size() == sizeof(tinymt32_t))
        std::memcpy(giac::rand_seed(ctx()), random.data(), random.size());
}

enum ChildOutcome { kComputed = 0, kRefused = 1, kStopped = 2 };

// Runs one computation that may take long in a child process, which an interrupt ends at
// once (Forked.h): Giac's own flag is not looked at for minutes in some of its work. The
// child's answer, and what it changed in Giac's state, come back to this process, which
// stays as the next computation expects it; an interrupted computation changes nothing.
// Where no child can be made, the computation runs here, open to Giac's flag alone.
template <class F>
auto guarded(F&& body) -> decltype(body()) {
    using Result = decltype(body());
    std::lock_guard lock(computationMutex());
    if (g_interruptRequested) throw Interrupted();
    engine(); // made here, before the fork, so that no child makes it again
    const ForkedResult run = runForked(
        [&] {
            ByteWriter out;
            const AlgebraState before = currentState();
            try {
                Result result = computedHere(body);
                out.write(static_cast<int>(kComputed));
                out.write(result);
            } catch (const Interrupted&) {
                out.write(static_cast<int>(kStopped));
            } catch (const AlgebraError& e) {
                out.write(static_cast<int>(kRefused));
                out.write(std::string(e.what()));
            }
            writeChanges(out, before);
            return out.take();
        },
        g_interruptRequested);
    switch (run.end) {
    case ForkedEnd::NotForked:
        return computedHere(body);
    case ForkedEnd::Interrupted:
        throw Interrupted();
    case ForkedEnd::Died:
        throw AlgebraError("the computation ended abnormally");
    case ForkedEnd::Answered:
        break;
    }
    ByteReader in(run.bytes);
    int outcome = kStopped;
    Result result{};
    std::string refusal;
    try {
        in.read(outcome);
        if (outcome == kComputed) in.read(result);
        if (outcome == kRefused) in.read(refusal);
        applyChanges(in);
        engine().drain();
    } catch (const std::exception& e) {
        throw AlgebraError(e.what());
    }
    if (outcome == kStopped) throw Interrupted();
    if (outcome == kRefused) throw AlgebraError(refusal);
    return result;
}

gen evaluated(ToGiac& to, const Expr& e) {
    return giac::eval(to(e), 1, ctx());
}

// Worked out to more digits than the answer shows, which rounds them.
gen numeric(const gen& g, int precision) {
    return giac::_evalf(sequence({g, gen(workingDigits(precision))}), ctx());
}

bool isInteger(const gen& g) {
    return g.type == giac::_INT_ || g.type == giac::_ZINT;
}

bool isRational(const gen& g) {
    return isInteger(g) || g.type == giac::_FRAC;
}

// Giac's antiderivative keeps the integrand's numbers apart from its own (2*x^2/2 for 2x):
// each product's exact numbers made one coefficient cancel as a person would write them, and
// nothing else of the answer's shape changes.
gen numbersGathered(const gen& g) {
    if (g.type == giac::_VECT) {
        vecteur items;
        for (const gen& item : *g._VECTptr)
            items.push_back(numbersGathered(item));
        return gen(items, g.subtype);
    }
    if (g.type != giac::_SYMB) return g;
    const gen leaf = numbersGathered(g._SYMBptr->feuille);
    if (!g.is_symb_of_sommet(giac::at_prod) || leaf.type != giac::_VECT)
        return giac::symbolic(g._SYMBptr->sommet, leaf);
    gen coefficient(1);
    int numbers = 0;
    vecteur rest;
    for (const gen& factor : *leaf._VECTptr) {
        if (isRational(factor)) {
            coefficient = coefficient * factor;
            ++numbers;
        } else if (factor.is_symb_of_sommet(giac::at_inv) && isRational(factor._SYMBptr->feuille) &&
                   !giac::is_zero(factor._SYMBptr->feuille)) {
            coefficient = coefficient / factor._SYMBptr->feuille;
            ++numbers;
        } else {
            rest.push_back(factor);
        }
    }
    if (numbers < 2) return giac::symbolic(giac::at_prod, leaf);
    // Giac's own shape for a fraction times a term: the numerator first, the denominator last.
    const gen top = coefficient.type == giac::_FRAC ? coefficient._FRACptr->num : coefficient;
    vecteur factors;
    if (!giac::is_one(top) || rest.empty()) factors.push_back(top);
    for (const gen& factor : rest)
        factors.push_back(factor);
    if (coefficient.type == giac::_FRAC)
        factors.push_back(giac::symbolic(giac::at_inv, coefficient._FRACptr->den));
    if (factors.size() == 1) return factors.front();
    return giac::symbolic(giac::at_prod, gen(factors, giac::_SEQ__VECT));
}

} // namespace

Expr transform(Op op, const Expr& e, const Settings& settings) {
    return guarded([&] {
        ToGiac to(settings);
        gen g = evaluated(to, e);
        FromGiac back(to.dependents());
        switch (op) {
        case Op::Simplify:
            g = giac::_simplify(g, ctx());
            break;
        case Op::Evaluate:
            break;
        case Op::Expand:
            g = giac::expand(g, ctx());
            break;
        case Op::Factor:
            // Giac's factor leaves an integer whole; its factors are its prime powers.
            g = isInteger(g) ? giac::_ifactor(g, ctx()) : giac::_factor(g, ctx());
            break;
        case Op::Numeric:
            g = numeric(g, settings.precision);
            break;
        }
        return back(g);
    });
}

Expr solve(const Expr& equations, const std::vector<std::string>& variables,
           const Settings& settings) {
    return guarded([&] {
        if (variables.empty()) throw AlgebraError("nothing to solve for");
        gen eqs = ToGiac(settings)(equations);
        vecteur vars;
        for (const std::string& v : variables)
            vars.push_back(identifier(v));
        bool single = vars.size() == 1 && eqs.type != giac::_VECT;
        gen answer = giac::_solve(sequence({eqs, single ? vars[0] : gen(vars, 0)}), ctx());
        if (answer.type != giac::_VECT) throw AlgebraError("no solution list");
        FromGiac back;
        std::vector<Expr> alternatives;
        for (const gen& solution : *answer._VECTptr) {
            if (single) {
                alternatives.push_back(equation(Expr::symbol(variables[0]), back(solution)));
                continue;
            }
            if (solution.type != giac::_VECT || solution._VECTptr->size() != vars.size())
                throw AlgebraError("unexpected solution shape");
            std::vector<Expr> set;
            for (std::size_t i = 0; i < vars.size(); ++i)
                set.push_back(equation(Expr::symbol(variables[i]), back((*solution._VECTptr)[i])));
            alternatives.push_back(Expr::call("TYEqnSet", std::move(set)));
        }
        if (alternatives.empty()) return Expr::call("List");
        if (alternatives.size() == 1) return alternatives.front();
        return Expr::call("TYOr", std::move(alternatives));
    });
}

Expr integrate(const Expr& e, const std::string& variable, const Settings& settings) {
    return guarded([&] {
        gen g = giac::_integrate(sequence({ToGiac(settings)(e), identifier(variable)}), ctx());
        return FromGiac()(numbersGathered(g));
    });
}

Expr differentiate(const Expr& e, const std::string& variable, const Settings& settings) {
    return guarded([&] {
        ToGiac to(settings);
        gen g = giac::eval(to.totalDerivative(e, variable), 1, ctx());
        return FromGiac(to.dependents())(giac::_simplify(g, ctx()));
    });
}

Expr laplace(const Expr& e, const Settings& settings) {
    return guarded([&] {
        gen g = giac::_laplace(sequence({ToGiac(settings)(e), identifier(settings.defaultVariable),
                                         identifier(settings.transformVariable)}),
                               ctx());
        return FromGiac()(g);
    });
}

Expr collect(const Expr& e, const std::string& variable, const Settings& settings) {
    return guarded([&] {
        gen x = identifier(variable);
        ToGiac to(settings);
        gen expanded = giac::expand(evaluated(to, e), ctx());
        gen coefficients = giac::_coeff(sequence({expanded, x}), ctx());
        if (coefficients.type != giac::_VECT) return FromGiac()(expanded);
        // Highest power first, one term per power that is present.
        const vecteur& c = *coefficients._VECTptr;
        std::vector<Expr> terms;
        FromGiac back;
        for (std::size_t i = 0; i < c.size(); ++i) {
            const gen coefficient = giac::_factor(c[i], ctx());
            if (giac::is_zero(coefficient)) continue;
            long power = static_cast<long>(c.size() - 1 - i);
            Expr xpower = power == 0   ? Expr::integer(1)
                          : power == 1 ? Expr::symbol(variable)
                                       : Expr::call("TYPower",
                                                    {Expr::symbol(variable), Expr::integer(power)});
            if (power == 0)
                terms.push_back(back(coefficient));
            else if (giac::is_one(coefficient))
                terms.push_back(xpower);
            else
                terms.push_back(Expr::call("TYTimes", {back(coefficient), xpower}));
        }
        if (terms.empty()) return Expr::integer(0);
        if (terms.size() == 1) return terms.front();
        return Expr::call("TYPlus", std::move(terms));
    });
}

Expr substitute(const Expr& e, const Expr& eq, const Settings& settings) {
    return guarded([&] {
        const Expr* left = nullptr;
        const Expr* right = nullptr;
        if (!asEquation(eq, &left, &right)) throw AlgebraError("not an equation");
        ToGiac to(settings);
        gen g = giac::subst(to(e), to(*left), to(*right), false, ctx());
        return FromGiac()(giac::_simplify(giac::eval(g, 1, ctx()), ctx()));
    });
}

bool holds(const Expr& eq, const Settings& settings) {
    return guarded([&] {
        const Expr* left = nullptr;
        const Expr* right = nullptr;
        if (!asEquation(eq, &left, &right)) throw AlgebraError("not an equation");
        ToGiac to(settings);
        gen difference = giac::_simplify(giac::eval(to(*left) - to(*right), 1, ctx()), ctx());
        return giac::is_zero(difference);
    });
}

namespace {

gen parse(const std::string& source) {
    g_parsing = true;
    if (g_interruptRequested) {
        g_parsing = false;
        throw Interrupted();
    }
    gen parsed(source, ctx());
    g_parsing = false;
    if (g_interruptRequested) {
        giac::ctrl_c = true;
        throw Interrupted();
    }
    return parsed;
}

} // namespace

std::optional<Expr> runCode(const std::string& source, const Settings&) {
    return guarded([&]() -> std::optional<Expr> {
        gen parsed = parse(source);
        if (giac::first_error_line(ctx()) != 0) return std::nullopt;
        gen value = giac::eval(parsed, 1, ctx());
        // Statements separated by ';' give one value each: the last is the answer.
        if (value.type == giac::_VECT && value.subtype == giac::_SEQ__VECT &&
            !value._VECTptr->empty())
            value = value._VECTptr->back();
        return FromGiac()(value);
    });
}

namespace {

double real(const gen& value) {
    gen d = giac::evalf_double(value, 1, ctx());
    if (d.type != giac::_DOUBLE_ || !std::isfinite(d._DOUBLE_val))
        return std::numeric_limits<double>::quiet_NaN();
    return d._DOUBLE_val;
}

} // namespace

std::vector<double> sample(const Expr& f, const std::string& x, const std::vector<double>& xs,
                           const Settings& settings) {
    return guarded([&] {
        gen g = ToGiac(settings)(f);
        gen variable = identifier(x);
        std::vector<double> values;
        values.reserve(xs.size());
        for (double at : xs) {
            if (g_interruptRequested) throw Interrupted();
            values.push_back(real(giac::subst(g, variable, gen(at), false, ctx())));
        }
        return values;
    });
}

std::vector<double> sampleGrid(const Expr& f, const std::string& x, const std::string& y,
                               const std::vector<double>& xs, const std::vector<double>& ys,
                               const Settings& settings) {
    return guarded([&] {
        gen g = ToGiac(settings)(f);
        gen vx = identifier(x);
        gen vy = identifier(y);
        std::vector<double> values;
        values.reserve(xs.size() * ys.size());
        for (double atY : ys) {
            if (g_interruptRequested) throw Interrupted();
            gen row = giac::subst(g, vy, gen(atY), false, ctx());
            for (double atX : xs)
                values.push_back(real(giac::subst(row, vx, gen(atX), false, ctx())));
        }
        return values;
    });
}

Expr roundTrip(const Expr& e, const Settings& settings) {
    std::lock_guard lock(computationMutex());
    return computedHere([&] { return FromGiac()(ToGiac(settings)(e)); });
}

void requestInterrupt() {
    g_interruptRequested = true;
    if (g_computingHere && !g_parsing) giac::ctrl_c = true;
}

void busyWork(double seconds) {
    guarded([&] {
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < until) {
            giac::eval(engine().busyLoop, 1, ctx());
            if (g_interruptRequested) throw Interrupted();
        }
        return 0;
    });
}

void clearInterrupt() {
    g_interruptRequested = false;
}

} // namespace standin::algebra
