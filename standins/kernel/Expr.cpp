#include "Expr.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace standin {

namespace {

Expr leaf(Expr::Kind kind, std::string text) {
    Expr e;
    e.kind = kind;
    e.text = std::move(text);
    return e;
}

} // namespace

Expr Expr::integer(long long value) {
    return leaf(Kind::Integer, std::to_string(value));
}

Expr Expr::integerText(std::string digits) {
    return leaf(Kind::Integer, std::move(digits));
}

Expr Expr::machine(double value) {
    Expr e;
    e.kind = Kind::Real;
    e.real = value;
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    e.text.assign(buffer, result.ptr);
    return e;
}

Expr Expr::realText(std::string text) {
    Expr e;
    e.kind = Kind::Real;
    e.machineReal = false;
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    e.real = value;
    e.text = std::move(text);
    return e;
}

Expr Expr::string(std::string text) {
    return leaf(Kind::String, std::move(text));
}

Expr Expr::symbol(std::string name) {
    return leaf(Kind::Symbol, std::move(name));
}

Expr Expr::call(std::string head, std::vector<Expr> args) {
    Expr e;
    e.kind = Kind::Function;
    e.text = std::move(head);
    e.args = std::move(args);
    return e;
}

long long Expr::toInteger(bool* ok) const {
    long long value = 0;
    bool good = false;
    if (kind == Kind::Integer) {
        auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        good = result.ec == std::errc() && result.ptr == text.data() + text.size();
    }
    if (ok) *ok = good;
    return good ? value : 0;
}

bool Expr::operator==(const Expr& other) const {
    if (kind != other.kind) return false;
    if (kind == Kind::Real) return real == other.real;
    if (text != other.text || args != other.args) return false;
    if (!compoundHead || !other.compoundHead) return !compoundHead && !other.compoundHead;
    return *compoundHead == *other.compoundHead;
}

Expr nullSymbol() {
    return Expr::symbol("Null");
}
Expr failed() {
    return Expr::symbol("$Failed");
}
Expr canceled() {
    return Expr::symbol("$Canceled");
}

Expr equation(Expr left, Expr right) {
    return Expr::call("TYInequality", {std::move(left), Expr::symbol("Equal"), std::move(right)});
}

bool asEquation(const Expr& e, const Expr** left, const Expr** right) {
    const Expr* l = nullptr;
    const Expr* r = nullptr;
    if (e.isCall("TYInequality", 3) && e.args[1].isSymbol("Equal")) {
        l = &e.args[0];
        r = &e.args[2];
    } else if (e.isCall("Equal", 2) || e.isCall("TYEqual", 2)) {
        l = &e.args[0];
        r = &e.args[1];
    } else {
        return false;
    }
    if (left) *left = l;
    if (right) *right = r;
    return true;
}

Expr negated(Expr e) {
    if (e.isNumber()) {
        if (!e.text.empty() && e.text[0] == '-')
            e.text.erase(0, 1);
        else if (e.text != "0")
            e.text.insert(0, "-");
        e.real = -e.real;
        return e;
    }
    if (e.isCall("TYTimes") && !e.args.empty() && e.args[0].isNumber()) {
        e.args[0] = negated(std::move(e.args[0]));
        if (e.args[0].isInteger() && e.args[0].text == "1") e.args.erase(e.args.begin());
        return productOf(std::move(e.args));
    }
    if (e.isCall("TYTimes")) {
        e.args.insert(e.args.begin(), Expr::integer(-1));
        return e;
    }
    if (e.isCall("TYDivide", 2) && e.args[0].isNumber()) {
        e.args[0] = negated(std::move(e.args[0]));
        return e;
    }
    return Expr::call("TYTimes", {Expr::integer(-1), std::move(e)});
}

std::vector<Expr> termsOf(const Expr& e) {
    if (e.isCall("TYPlus")) return e.args;
    return {e};
}

Expr sumOf(std::vector<Expr> terms) {
    if (terms.empty()) return Expr::integer(0);
    if (terms.size() == 1) return std::move(terms.front());
    return Expr::call("TYPlus", std::move(terms));
}

Expr productOf(std::vector<Expr> factors) {
    if (factors.empty()) return Expr::integer(1);
    if (factors.size() == 1) return std::move(factors.front());
    return Expr::call("TYTimes", std::move(factors));
}

namespace {

const std::set<std::string>& notVariables() {
    static const std::set<std::string> names = {
        "Pi",       "E",         "I",        "Infinity", "True",          "False",
        "Null",     "Equal",     "Less",     "Greater",  "LessEqual",     "GreaterEqual",
        "Unequal",  "Direction", "Constant", "Error",    "Indeterminate", "tyOtherwise",
        "plusMinus"};
    return names;
}

void collectVariables(const Expr& e, std::vector<std::string>& out) {
    if (e.isSymbol()) {
        if (!notVariables().count(e.text) && e.text.rfind('$', 0) != 0 &&
            std::find(out.begin(), out.end(), e.text) == out.end())
            out.push_back(e.text);
        return;
    }
    if (!e.isFunction()) return;
    // The bound variable of a sum, product, limit or integral is not free.
    for (const Expr& arg : e.args)
        collectVariables(arg, out);
}

const char* relationText(const std::string& name) {
    if (name == "Equal") return " = ";
    if (name == "Less") return " < ";
    if (name == "Greater") return " > ";
    if (name == "LessEqual") return " <= ";
    if (name == "GreaterEqual") return " >= ";
    if (name == "Unequal") return " != ";
    return nullptr;
}

// Binding strengths of the linear form: larger binds tighter.
enum Level { kRelation = 1, kSum = 2, kProduct = 3, kPower = 4, kAtom = 5 };

bool isNegative(const Expr& e) {
    if (e.isNumber()) return !e.text.empty() && e.text[0] == '-';
    return e.isCall("TYTimes") && !e.args.empty() && isNegative(e.args[0]);
}

std::string text(const Expr& e, int context);

std::string joined(const std::vector<Expr>& args, const char* separator, int context) {
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i) out += separator;
        out += text(args[i], context);
    }
    return out;
}

std::string wrap(std::string inner, int level, int context) {
    return level < context ? "(" + inner + ")" : inner;
}

std::string functionName(const std::string& head) {
    std::string name = head.rfind("TY", 0) == 0 ? head.substr(2) : head;
    if (!name.empty() && name.size() <= 4) name[0] = static_cast<char>(std::tolower(name[0]));
    return name;
}

std::string text(const Expr& e, int context) {
    switch (e.kind) {
    case Expr::Kind::Integer:
    case Expr::Kind::Real:
        return wrap(e.text, isNegative(e) ? kSum : kAtom, context);
    case Expr::Kind::String:
        return "\"" + e.text + "\"";
    case Expr::Kind::Symbol:
        return e.text;
    case Expr::Kind::Function:
        break;
    }
    if (e.compoundHead) return text(*e.compoundHead, kAtom) + "(" + joined(e.args, ", ", 0) + ")";
    const std::string& h = e.text;
    if (h == "TYPlus" || h == "Plus") {
        std::string out;
        for (std::size_t i = 0; i < e.args.size(); ++i) {
            std::string term = text(e.args[i], kSum);
            if (i && !term.empty() && term[0] == '-')
                out += " - " + term.substr(1);
            else
                out += (i ? " + " : "") + term;
        }
        return wrap(out, kSum, context);
    }
    if (h == "TYTimes" || h == "Times") {
        if (e.args.size() >= 2 && e.args[0].isInteger() && e.args[0].text == "-1") {
            std::vector<Expr> rest(e.args.begin() + 1, e.args.end());
            return wrap("-" + joined(rest, "*", kProduct), kSum, context);
        }
        return wrap(joined(e.args, "*", kProduct), kProduct, context);
    }
    if ((h == "TYPower" || h == "Power") && e.args.size() == 2)
        return wrap(text(e.args[0], kAtom) + "^" + text(e.args[1], kAtom), kPower, context);
    if ((h == "TYDivide" || h == "Divide") && e.args.size() == 2)
        return wrap(text(e.args[0], kProduct) + "/" + text(e.args[1], kPower), kProduct, context);
    if (h == "TYRadical" && e.args.size() == 2) {
        if (e.args[1].isInteger() && e.args[1].text == "2")
            return "sqrt(" + text(e.args[0], 0) + ")";
        return wrap(text(e.args[0], kAtom) + "^(1/" + text(e.args[1], kProduct) + ")", kPower,
                    context);
    }
    if (h == "TYInequality") {
        std::string out;
        for (const Expr& item : e.args) {
            const char* relation = item.isSymbol() ? relationText(item.text) : nullptr;
            out += relation ? relation : text(item, kSum);
        }
        return wrap(out, kRelation, context);
    }
    if (asEquation(e))
        return wrap(text(e.args[0], kSum) + " = " + text(e.args[1], kSum), kRelation, context);
    if (h == "List" || h == "TYEqnSet" || h == "TYMatrix" || h == "TYTable" || h == "TYColumn")
        return "{" + joined(e.args, ", ", 0) + "}";
    if (h == "TYOr") return wrap(joined(e.args, " or ", kSum), kRelation, context);
    if (h == "TYSubscript" && !e.args.empty()) {
        std::vector<Expr> rest(e.args.begin() + 1, e.args.end());
        return text(e.args[0], kAtom) + "_" + joined(rest, ",", kAtom);
    }
    if (h == "TYFactorial" && e.args.size() == 1) return text(e.args[0], kAtom) + "!";
    if (h == "TYAbs" && e.args.size() == 1) return "|" + text(e.args[0], 0) + "|";
    if (h == "Rule" && e.args.size() == 2)
        return text(e.args[0], kSum) + " -> " + text(e.args[1], kSum);
    return functionName(h) + "(" + joined(e.args, ", ", 0) + ")";
}

} // namespace

std::string linearText(const Expr& e) {
    return text(e, 0);
}

std::vector<std::string> variablesOf(const Expr& e) {
    std::vector<std::string> out;
    collectVariables(e, out);
    return out;
}

} // namespace standin
