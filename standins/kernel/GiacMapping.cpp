// The kernel's expressions to Giac values and back: the program's own heads, the standard heads
// the editor also sends, and the shapes Giac prefers read back in the program's own form.

#include "GiacMapping.h"

#include "RealDigits.h"

#include <gmp.h>

#include <cmath>
#include <map>
#include <utility>

// Giac keeps its symbol tables, caches and big-number temporaries for the life of the process
// and never gives them back. Every program that runs Giac links this file, so LeakSanitizer
// looks past them however the program is started (a test program's listing included).
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgiac\n"
           "leak:__gmp_default_allocate\n"
           "leak:__gmp_default_reallocate\n";
}

namespace standin::algebra {

using giac::gen;
using giac::vecteur;

Engine::Engine() {
    giac::logptr(&sink, &context);
    giac::debug_infolevel = 0;
    infinity = gen("+infinity", &context);
    busyLoop = gen("for(j:=0;j<2000;j++){k:=j;};0", &context);
    pi = gen("pi", &context);
}

Engine& engine() {
    static Engine instance;
    return instance;
}

giac::context* ctx() {
    return engine().ctx();
}

gen identifier(const std::string& name) {
    return gen(giac::identificateur(name));
}

vecteur vec(std::initializer_list<gen> items) {
    return vecteur(items.begin(), items.end());
}
gen sequence(const vecteur& items) {
    return gen(items, giac::_SEQ__VECT);
}
gen sequence(std::initializer_list<gen> items) {
    return sequence(vec(items));
}

namespace {

struct FunctionRow {
    const char* name;
    const giac::unary_function_ptr* function;
};

// The program's own function heads and the Giac function each one stands for.
const std::vector<FunctionRow>& functionRows() {
    static const std::vector<FunctionRow> rows = {
        {"TYSin", giac::at_sin},
        {"TYCos", giac::at_cos},
        {"TYTan", giac::at_tan},
        {"TYArcSin", giac::at_asin},
        {"TYArcCos", giac::at_acos},
        {"TYArcTan", giac::at_atan},
        {"TYSinh", giac::at_sinh},
        {"TYCosh", giac::at_cosh},
        {"TYTanh", giac::at_tanh},
        {"TYArcSinh", giac::at_asinh},
        {"TYArcCosh", giac::at_acosh},
        {"TYArcTanh", giac::at_atanh},
        {"TYSec", giac::at_sec},
        {"TYCsc", giac::at_csc},
        {"TYCot", giac::at_cot},
        {"TYExp", giac::at_exp},
        {"TYFloor", giac::at_floor},
        {"TYCeiling", giac::at_ceil},
        {"TYRound", giac::at_round},
        {"TYRe", giac::at_re},
        {"TYIm", giac::at_im},
        {"TYArg", giac::at_arg},
        {"TYErf", giac::at_erf},
        {"TYErfc", giac::at_erfc},
        {"Gamma", giac::at_Gamma},
        {"TYBeta", giac::at_Beta},
        {"TYZeta", giac::at_Zeta},
        {"TYBinomial", giac::at_comb},
        {"TYGCD", giac::at_gcd},
        {"TYLCM", giac::at_lcm},
        {"TYSinIntegral", giac::at_Si},
        {"TYCosIntegral", giac::at_Ci},
        {"TYUnitStep", giac::at_Heaviside},
        {"TYDiracDelta", giac::at_Dirac},
        {"TYConjugate", giac::at_conj},
        {"TYFactorial", giac::at_factorial},
        {"TYAbs", giac::at_abs},
        {"TYMod", giac::at_irem},
    };
    return rows;
}

// The standard heads that name the same functions.
const char* ownHead(const std::string& head) {
    static const std::map<std::string, const char*> standard = {{"Sin", "TYSin"},
                                                                {"Cos", "TYCos"},
                                                                {"Tan", "TYTan"},
                                                                {"Exp", "TYExp"},
                                                                {"Abs", "TYAbs"},
                                                                {"Factorial", "TYFactorial"},
                                                                {"Mod", "TYMod"},
                                                                {"Conjugate", "TYConjugate"},
                                                                {"Sqrt", "TYRadical"},
                                                                {"Log", "TYLog"},
                                                                {"Plus", "TYPlus"},
                                                                {"Times", "TYTimes"},
                                                                {"Power", "TYPower"},
                                                                {"Divide", "TYDivide"},
                                                                {"Integrate", "TYIntegrate"},
                                                                {"D", "TYD"},
                                                                {"Dt", "TYDt"},
                                                                {"Limit", "TYLimit"},
                                                                {"Sum", "TYSum"},
                                                                {"Product", "TYProduct"},
                                                                {"Subscript", "TYSubscript"},
                                                                {"Det", "TYDet"},
                                                                {"Or", "TYOr"}};
    auto it = standard.find(head);
    return it == standard.end() ? nullptr : it->second;
}

struct RelationRow {
    const char* name;
    const giac::unary_function_ptr* function;
};
const std::vector<RelationRow>& relationRows() {
    static const std::vector<RelationRow> rows = {{"Equal", giac::at_equal},
                                                  {"Less", giac::at_inferieur_strict},
                                                  {"Greater", giac::at_superieur_strict},
                                                  {"LessEqual", giac::at_inferieur_egal},
                                                  {"GreaterEqual", giac::at_superieur_egal},
                                                  {"Unequal", giac::at_different}};
    return rows;
}

gen imaginaryUnit() {
    return gen(gen(0), gen(1));
}

// a^b as a formula; evaluation decides what it is.
gen power(const gen& a, const gen& b) {
    return giac::symbolic(giac::at_pow, sequence({a, b}));
}

} // namespace

class ToGiac::Impl {
public:
    explicit Impl(const Settings& settings) : m_settings(settings) {}

    gen operator()(const Expr& e) { return convert(e); }

    // d f / d variable, every letter of f that is neither constant nor the variable taken as a
    // function of the variable.
    gen totalDerivative(const Expr& f, const std::string& variable) {
        std::set<std::string> scope;
        for (const std::string& v : variablesOf(f))
            if (v != variable && !m_settings.constants.count(v)) scope.insert(v);
        std::swap(scope, m_scope);
        std::string outer = std::exchange(m_dependsOn, variable);
        gen g = convert(f);
        m_dependents.insert(m_scope.begin(), m_scope.end());
        std::swap(scope, m_scope);
        m_dependsOn = outer;
        return giac::symbolic(giac::at_derive, sequence({g, identifier(variable)}));
    }
    // The letters that were taken as functions of a variable.
    const std::set<std::string>& dependents() const { return m_dependents; }

private:
    [[noreturn]] void refuse(const std::string& what) {
        throw AlgebraError("no algebra for " + what);
    }

    gen integer(const std::string& digits) {
        // Giac counts on small integers being machine integers.
        if (digits.size() <= 18) return gen(static_cast<long long>(std::stoll(digits)));
        mpz_t z;
        if (mpz_init_set_str(z, digits.c_str(), 10) != 0) {
            mpz_clear(z);
            refuse("integer " + digits);
        }
        gen g(z);
        mpz_clear(z);
        return g;
    }

    // Number text of any length, made exact and then rounded to as many digits as it carries,
    // and never to fewer than the calculation works with.
    gen realFromText(const std::string& text) {
        std::string mantissa;
        long exponent = 0;
        bool negative = false;
        std::size_t i = 0;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
        bool point = false;
        for (; i < text.size(); ++i) {
            char c = text[i];
            if (c >= '0' && c <= '9') {
                mantissa += c;
                if (point) --exponent;
            } else if (c == '.' && !point) {
                point = true;
            } else {
                break;
            }
        }
        if (i < text.size() && (text[i] == 'e' || text[i] == 'E'))
            exponent += std::strtol(text.c_str() + i + 1, nullptr, 10);
        else if (text.compare(i, 2, "*^") == 0)
            exponent += std::strtol(text.c_str() + i + 2, nullptr, 10);
        if (mantissa.empty()) refuse("number " + text);
        gen exact = integer(mantissa);
        if (exponent > 0)
            exact = exact * giac::eval(power(gen(10), gen(exponent)), 1, engine().ctx());
        if (exponent < 0)
            exact = exact / giac::eval(power(gen(10), gen(-exponent)), 1, engine().ctx());
        if (negative) exact = -exact;
        int digits =
            std::max(static_cast<int>(mantissa.size()), workingDigits(m_settings.precision));
        return giac::_evalf(sequence({exact, gen(digits)}), engine().ctx());
    }

    gen symbol(const std::string& name) {
        if (name == "Pi") return engine().pi;
        if (name == "E" || isConstantLetter(name, "e")) return giac::symbolic(giac::at_exp, gen(1));
        if (name == "I" || isConstantLetter(name, "i")) return imaginaryUnit();
        if (name == "Infinity") return engine().infinity;
        if (name == "True") return gen(1);
        if (name == "False") return gen(0);
        if (name == "tyDefaultVar") return identifier(m_settings.defaultVariable);
        if (name == "tyTransformVar") return identifier(m_settings.transformVariable);
        if (name.empty() || name[0] == '$' || name == "Null" || name == "Error") refuse(name);
        if (!m_dependsOn.empty() && m_scope.count(name))
            return giac::symbolic(giac::at_of,
                                  sequence({identifier(name), identifier(m_dependsOn)}));
        return identifier(name);
    }

    // Letters a construct runs over, while it converts; they leave with it, on an exception's
    // way out too.
    class Bound {
    public:
        Bound(std::multiset<std::string>& set, const std::vector<std::string>& letters)
            : m_set(set) {
            for (const std::string& letter : letters)
                m_added.push_back(m_set.insert(letter));
        }
        ~Bound() {
            for (auto it : m_added)
                m_set.erase(it);
        }
        Bound(const Bound&) = delete;
        Bound& operator=(const Bound&) = delete;

    private:
        std::multiset<std::string>& m_set;
        std::vector<std::multiset<std::string>::iterator> m_added;
    };

    // The typed letter that stands for a number of its own while it is declared constant; a
    // sum, product, integral, limit or derivative that runs over it makes it its variable.
    bool isConstantLetter(const std::string& name, const char* letter) const {
        return name == letter && m_settings.constants.count(name) && !m_bound.count(name);
    }

    // The letters `head` applied to `a` runs over: the variable of a sum, product, integral or
    // limit, and a derivative's variables.
    static std::vector<std::string> boundLetters(const std::string& head,
                                                 const std::vector<Expr>& a) {
        std::vector<std::string> letters;
        auto add = [&](const Expr& v) {
            const Expr& letter = v.isCall("List") && !v.args.empty() ? v.args[0] : v;
            if (letter.isSymbol()) letters.push_back(letter.text);
        };
        if ((head == "TYSum" || head == "TYProduct" || head == "TYIntegrate") && a.size() == 2)
            add(a[1]);
        if ((head == "TYD" || head == "TYDt") && !a.empty())
            for (std::size_t i = 1; i < a.size(); ++i)
                add(a[i]);
        if (head == "TYLimit" && a.size() >= 2) {
            const Expr* variable = nullptr;
            if (a[1].isCall("Rule", 2))
                add(a[1].args[0]);
            else if (asEquation(a[1], &variable))
                add(*variable);
        }
        return letters;
    }

    vecteur all(const std::vector<Expr>& args) {
        vecteur out;
        for (const Expr& a : args)
            out.push_back(convert(a));
        return out;
    }

    gen relation(const Expr& e) {
        // A chain a < b <= c is the conjunction of its links.
        vecteur links;
        for (std::size_t i = 1; i + 1 < e.args.size(); i += 2) {
            const Expr& op = e.args[i];
            const RelationRow* row = nullptr;
            for (const auto& r : relationRows())
                if (op.isSymbol(r.name)) row = &r;
            if (!row) refuse("relation " + linearText(op));
            links.push_back(giac::symbolic(
                *row->function, sequence({convert(e.args[i - 1]), convert(e.args[i + 1])})));
        }
        if (links.empty()) refuse("an empty relation");
        if (links.size() == 1) return links[0];
        return giac::symbolic(giac::at_and, sequence(links));
    }

    // {var, lo, hi} or a lone variable, as Giac's trailing arguments.
    vecteur range(const Expr& bounds) {
        if (bounds.isCall("List") && bounds.args.size() == 3) return all(bounds.args);
        return vec({convert(bounds)});
    }

    gen rows(const std::vector<Expr>& items) {
        vecteur out;
        for (const Expr& item : items) {
            if (!item.isFunction()) refuse("a matrix row " + linearText(item));
            out.push_back(gen(all(item.args), 0));
        }
        return gen(out, giac::_MATRIX__VECT);
    }

    gen convert(const Expr& e) {
        switch (e.kind) {
        case Expr::Kind::Integer:
            return integer(e.text);
        case Expr::Kind::Real:
            // A machine real stands for the decimal its shortest text gives (what was
            // typed), computed with many digits like any other: Giac's own doubles are short
            // of the machine's bits.
            if (e.machineReal && !std::isfinite(e.real)) return gen(e.real);
            return realFromText(e.text);
        case Expr::Kind::String:
            return giac::string2gen(e.text, false);
        case Expr::Kind::Symbol:
            return symbol(e.text);
        case Expr::Kind::Function:
            break;
        }
        if (e.compoundHead) refuse("a compound head");
        const char* standard = ownHead(e.text);
        const std::string h = standard ? standard : e.text;
        const Bound bound(m_bound, boundLetters(h, e.args));
        return convertFunction(e, h);
    }

    gen convertFunction(const Expr& e, const std::string& h) {
        const auto& a = e.args;
        auto n = a.size();
        giac::context* ctx = engine().ctx();
        if (h == "TYPlus") {
            gen sum(0);
            for (const Expr& term : a)
                sum = sum + convert(term);
            return sum;
        }
        if (h == "TYTimes") {
            gen product(1);
            for (const Expr& factor : a)
                product = product * convert(factor);
            return product;
        }
        if (h == "TYPower" && n == 2) return power(convert(a[0]), convert(a[1]));
        if (h == "TYDivide" && n == 2) return convert(a[0]) / convert(a[1]);
        if (h == "TYRadical" && (n == 1 || n == 2)) {
            gen index = n == 2 ? convert(a[1]) : gen(2);
            return power(convert(a[0]), gen(1) / index);
        }
        if ((h == "TYLog") && n == 1) return giac::symbolic(giac::at_ln, convert(a[0]));
        if ((h == "TYLog") && n == 2)
            return giac::symbolic(giac::at_ln, convert(a[1])) /
                   giac::symbolic(giac::at_ln, convert(a[0]));
        if (h == "TYDet" && n == 1) return giac::symbolic(giac::at_det, convert(a[0]));
        if (h == "TYInequality") return relation(e);
        for (const auto& r : relationRows())
            if (h == r.name && n == 2)
                return giac::symbolic(*r.function, sequence({convert(a[0]), convert(a[1])}));
        if (h == "TYEqual" && n == 2)
            return giac::symbolic(giac::at_equal, sequence({convert(a[0]), convert(a[1])}));
        if (h == "Rule" && n == 2)
            return giac::symbolic(giac::at_equal, sequence({convert(a[0]), convert(a[1])}));
        if (h == "List" || h == "TYEqnSet" || h == "TYColumn") return gen(all(a), 0);
        if (h == "TYMatrix") return rows(a);
        if (h == "TYTable") return giac::_tran(rows(a), ctx);
        if (h == "TYOr") return giac::symbolic(giac::at_ou, sequence(all(a)));
        if (h == "TYSplit" && n >= 1) {
            // {value, condition} pairs; a last condition "otherwise" is the default value.
            vecteur pieces;
            for (std::size_t i = 0; i < n; ++i) {
                const Expr& piece = a[i];
                if (!piece.isCall("List", 2)) refuse("a piece " + linearText(piece));
                if (i + 1 == n && piece.args[1].isSymbol("tyOtherwise")) {
                    pieces.push_back(convert(piece.args[0]));
                } else {
                    pieces.push_back(convert(piece.args[1]));
                    pieces.push_back(convert(piece.args[0]));
                }
            }
            return giac::symbolic(giac::at_piecewise, sequence(pieces));
        }
        if (h == "TYSubscript" && n >= 2) {
            std::string name = linearText(a[0]);
            for (std::size_t i = 1; i < n; ++i)
                name += "_" + linearText(a[i]);
            return identifier(name);
        }
        if (h == "TYIntegrate" && n == 2) {
            vecteur args = vec({convert(a[0])});
            for (const gen& g : range(a[1]))
                args.push_back(g);
            return giac::symbolic(giac::at_integrate, sequence(args));
        }
        if (h == "TYDt" && n == 2 && a[1].isSymbol()) return totalDerivative(a[0], a[1].text);
        if ((h == "TYD" || h == "TYDt") && n >= 1) {
            gen f = convert(a[0]);
            for (std::size_t i = 1; i < n; ++i) {
                const Expr& v = a[i];
                if (v.isCall("List", 2))
                    f = giac::symbolic(giac::at_derive,
                                       sequence({f, convert(v.args[0]), convert(v.args[1])}));
                else
                    f = giac::symbolic(giac::at_derive, sequence({f, convert(v)}));
            }
            return f;
        }
        if (h == "TYLimit" && n >= 2) {
            const Expr& at = a[1];
            const Expr* variable = nullptr;
            const Expr* point = nullptr;
            if (at.isCall("Rule", 2)) {
                variable = &at.args[0];
                point = &at.args[1];
            } else if (asEquation(at, &variable, &point)) {
            } else {
                refuse("a limit condition " + linearText(at));
            }
            vecteur args = vec({convert(a[0]), convert(*variable), convert(*point)});
            // Direction -1 comes from above, 1 from below; Giac counts the other way round.
            if (n >= 3 && a[2].isCall("Rule", 2) && a[2].args[1].isInteger())
                args.push_back(gen(-a[2].args[1].toInteger()));
            return giac::symbolic(giac::at_limit, sequence(args));
        }
        if ((h == "TYSum" || h == "TYProduct") && n == 2) {
            vecteur args = vec({convert(a[0])});
            for (const gen& g : range(a[1]))
                args.push_back(g);
            return giac::symbolic(h == "TYSum" ? giac::at_sum : giac::at_product, sequence(args));
        }
        if ((h == "TYLaplaceTransform") && n >= 1)
            return giac::_laplace(sequence({convert(a[0]), identifier(m_settings.defaultVariable),
                                            identifier(m_settings.transformVariable)}),
                                  ctx);
        if (h == "Complex" && n == 2) return convert(a[0]) + convert(a[1]) * imaginaryUnit();
        if (h == "TYDirectedInfinity") return engine().infinity;
        if ((h == "Hold" || h == "TYMover" || h == "TYTarget" || h == "TYMarker") && n >= 1)
            return convert(a[0]);
        for (const auto& row : functionRows())
            if (h == row.name) {
                vecteur args = all(a);
                return giac::symbolic(*row.function, args.size() == 1 ? args[0] : sequence(args));
            }
        if (h.empty() || h.rfind("TY", 0) == 0 || h[0] == '$') refuse(h);
        // A function of the user's own: f(x).
        vecteur args = all(a);
        return giac::symbolic(
            giac::at_of, sequence({identifier(h), args.size() == 1 ? args[0] : sequence(args)}));
    }

    const Settings& m_settings;
    std::multiset<std::string> m_bound;
    std::string m_dependsOn;
    std::set<std::string> m_scope;
    std::set<std::string> m_dependents;
};

ToGiac::ToGiac(const Settings& settings) : m_impl(std::make_unique<Impl>(settings)) {}
ToGiac::~ToGiac() = default;
gen ToGiac::operator()(const Expr& e) {
    return (*m_impl)(e);
}
gen ToGiac::totalDerivative(const Expr& f, const std::string& variable) {
    return m_impl->totalDerivative(f, variable);
}
const std::set<std::string>& ToGiac::dependents() const {
    return m_impl->dependents();
}

namespace {

class GiacReader {
public:
    explicit GiacReader(const std::set<std::string>* dependents) : m_dependents(dependents) {}

    Expr operator()(const gen& g) { return convert(g); }

private:
    std::string text(const gen& g) { return g.print(engine().ctx()); }

    static bool isNegativeNumber(const Expr& e) {
        return e.isNumber() && !e.text.empty() && e.text[0] == '-';
    }

    Expr number(const gen& g) {
        if (g.type == giac::_INT_) return Expr::integer(g.val);
        if (g.type == giac::_ZINT) return Expr::integerText(text(g));
        if (g.type == giac::_DOUBLE_) return Expr::machine(g._DOUBLE_val);
        std::string t = text(g);
        // Giac may write an exponent as e+12; the link's number text takes e12.
        std::size_t plus = t.find("e+");
        if (plus != std::string::npos) t.erase(plus + 1, 1);
        return Expr::realText(t);
    }

    Expr identifierName(const std::string& name) {
        if (name == "pi") return Expr::symbol("Pi");
        if (name == "infinity") return Expr::symbol("Infinity");
        if (name == "undef") return Expr::symbol("Indeterminate");
        std::size_t underscore = name.find('_');
        if (underscore != std::string::npos && underscore > 0 && underscore + 1 < name.size()) {
            std::string index = name.substr(underscore + 1);
            bool digits = index.find_first_not_of("0123456789") == std::string::npos;
            return Expr::call("TYSubscript",
                              {Expr::symbol(name.substr(0, underscore)),
                               digits ? Expr::integerText(index) : Expr::symbol(index)});
        }
        return Expr::symbol(name);
    }

    std::vector<Expr> arguments(const gen& feuille) {
        std::vector<Expr> out;
        if (feuille.type == giac::_VECT && feuille.subtype == giac::_SEQ__VECT)
            for (const gen& item : *feuille._VECTptr)
                out.push_back(convert(item));
        else
            out.push_back(convert(feuille));
        return out;
    }

    bool isDependent(const Expr& e) const {
        return m_dependents && e.isSymbol() && m_dependents->count(e.text);
    }

    std::vector<Expr> items(const gen& v) {
        std::vector<Expr> out;
        for (const gen& item : *v._VECTptr)
            out.push_back(convert(item));
        return out;
    }

    // A product split into numerator and denominator, so that x*y^-1 reads as x/y.
    Expr product(const gen& feuille) {
        std::vector<Expr> top, bottom;
        vecteur factors = feuille.type == giac::_VECT ? *feuille._VECTptr : vec({feuille});
        for (const gen& f : factors) {
            if (f.is_symb_of_sommet(giac::at_inv)) {
                bottom.push_back(convert(f._SYMBptr->feuille));
            } else if (f.is_symb_of_sommet(giac::at_pow) &&
                       f._SYMBptr->feuille._VECTptr->back().type == giac::_INT_ &&
                       f._SYMBptr->feuille._VECTptr->back().val < 0) {
                const vecteur& parts = *f._SYMBptr->feuille._VECTptr;
                int power = -parts.back().val;
                Expr base = convert(parts.front());
                bottom.push_back(power == 1 ? base
                                            : Expr::call("TYPower", {base, Expr::integer(power)}));
            } else {
                top.push_back(convert(f));
            }
        }
        bool negative = false;
        if (!top.empty() && isNegativeNumber(top.front())) {
            negative = true;
            top.front() = negated(top.front());
            if (top.front().isInteger() && top.front().text == "1" && top.size() > 1)
                top.erase(top.begin());
        }
        Expr result =
            bottom.empty()
                ? productOf(std::move(top))
                : Expr::call("TYDivide", {productOf(std::move(top)), productOf(std::move(bottom))});
        return negative ? negated(std::move(result)) : result;
    }

    Expr power(const gen& feuille) {
        const vecteur& parts = *feuille._VECTptr;
        Expr base = convert(parts[0]);
        const gen& exponent = parts[1];
        if (exponent.type == giac::_FRAC && exponent._FRACptr->num == 1 &&
            exponent._FRACptr->den.type == giac::_INT_)
            return Expr::call("TYRadical", {base, Expr::integer(exponent._FRACptr->den.val)});
        if (exponent.type == giac::_INT_ && exponent.val < 0)
            return Expr::call("TYDivide",
                              {Expr::integer(1),
                               exponent.val == -1
                                   ? base
                                   : Expr::call("TYPower", {base, Expr::integer(-exponent.val)})});
        return Expr::call("TYPower", {base, convert(exponent)});
    }

    Expr symbolic(const gen& g) {
        const giac::unary_function_ptr& op = g._SYMBptr->sommet;
        const gen& f = g._SYMBptr->feuille;
        if (op == giac::at_plus) {
            std::vector<Expr> terms;
            for (Expr& t : f.type == giac::_VECT ? items(f) : arguments(f))
                if (t.isCall("TYPlus"))
                    for (Expr& inner : t.args)
                        terms.push_back(std::move(inner));
                else
                    terms.push_back(std::move(t));
            return sumOf(std::move(terms));
        }
        if (op == giac::at_neg) return negated(convert(f));
        if (op == giac::at_prod) return product(f);
        if (op == giac::at_inv) return Expr::call("TYDivide", {Expr::integer(1), convert(f)});
        if (op == giac::at_pow) return power(f);
        if (op == giac::at_exp) {
            Expr exponent = convert(f);
            if (exponent.isInteger() && exponent.text == "1") return Expr::symbol("E");
            return Expr::call("TYPower", {Expr::symbol("E"), std::move(exponent)});
        }
        if (op == giac::at_ln) return Expr::call("TYLog", {convert(f)});
        if (op == giac::at_sqrt) return Expr::call("TYRadical", {convert(f), Expr::integer(2)});
        for (const auto& r : relationRows())
            if (op == *r.function) {
                std::vector<Expr> sides = arguments(f);
                if (sides.size() != 2) break;
                return Expr::call("TYInequality", {sides[0], Expr::symbol(r.name), sides[1]});
            }
        if (op == giac::at_ou) return Expr::call("TYOr", arguments(f));
        if (op == giac::at_piecewise) {
            std::vector<Expr> parts = arguments(f);
            std::vector<Expr> pieces;
            for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
                pieces.push_back(Expr::call("List", {parts[i + 1], parts[i]}));
            if (parts.size() % 2 == 1)
                pieces.push_back(Expr::call("List", {parts.back(), Expr::symbol("tyOtherwise")}));
            return Expr::call("TYSplit", std::move(pieces));
        }
        if (op == giac::at_and) return Expr::call("TYEqnSet", arguments(f));
        if (op == giac::at_of) {
            std::vector<Expr> parts = arguments(f);
            if (parts.size() == 2 && isDependent(parts[0])) return parts[0];
            if (parts.size() == 2 && parts[0].isSymbol()) {
                Expr call = Expr::call(parts[0].text);
                if (parts[1].isCall("List") && f._VECTptr->back().subtype == giac::_SEQ__VECT)
                    call.args = parts[1].args;
                else
                    call.args.push_back(parts[1]);
                return call;
            }
        }
        if (op == giac::at_integrate || op == giac::at_sum || op == giac::at_product) {
            std::vector<Expr> parts = arguments(f);
            const char* head = op == giac::at_integrate ? "TYIntegrate"
                               : op == giac::at_sum     ? "TYSum"
                                                        : "TYProduct";
            if (parts.size() == 4)
                return Expr::call(head,
                                  {parts[0], Expr::call("List", {parts[1], parts[2], parts[3]})});
            if (parts.size() == 2) return Expr::call(head, {parts[0], parts[1]});
        }
        if (op == giac::at_derive) {
            std::vector<Expr> parts = arguments(f);
            if (parts.size() == 2)
                return Expr::call(isDependent(parts[0]) ? "TYDt" : "TYD", {parts[0], parts[1]});
        }
        for (const auto& row : functionRows())
            if (op == *row.function) return Expr::call(row.name, arguments(f));
        return Expr::call(op.ptr()->s, arguments(f));
    }

    Expr convert(const gen& g) {
        switch (g.type) {
        case giac::_INT_:
        case giac::_ZINT:
        case giac::_DOUBLE_:
        case giac::_REAL:
            return number(g);
        case giac::_FRAC: {
            Expr num = convert(g._FRACptr->num);
            Expr den = convert(g._FRACptr->den);
            return Expr::call("TYDivide", {num, den});
        }
        case giac::_CPLX: {
            Expr re = convert(*g._CPLXptr);
            Expr im = convert(*(g._CPLXptr + 1));
            Expr imaginary = im.isInteger() && im.text == "1"
                                 ? Expr::symbol("I")
                                 : Expr::call("TYTimes", {im, Expr::symbol("I")});
            if (re.isInteger() && re.text == "0") return imaginary;
            return Expr::call("TYPlus", {re, imaginary});
        }
        case giac::_IDNT:
            return identifierName(g._IDNTptr->id_name);
        case giac::_SYMB:
            return symbolic(g);
        case giac::_VECT: {
            std::vector<Expr> items;
            for (const gen& item : *g._VECTptr)
                items.push_back(convert(item));
            if (giac::ckmatrix(g) && g.subtype == giac::_MATRIX__VECT)
                return Expr::call("TYMatrix", std::move(items));
            return Expr::call("List", std::move(items));
        }
        case giac::_STRNG:
            return Expr::string(*g._STRNGptr);
        default:
            throw AlgebraError("no form for the Giac value " + text(g));
        }
    }

    const std::set<std::string>* m_dependents = nullptr;
};

// Runs one computation: honours an interrupt that arrives while it runs, leaves Giac ready

} // namespace

Expr FromGiac::operator()(const gen& g) const {
    return GiacReader(m_dependents)(g);
}

} // namespace standin::algebra
