#pragma once

// The stand-in kernel's own expression tree: what it reads off the link, hands to the algebra
// and writes back. A value type; copies are deep (children are held by value).

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace standin {

struct Expr {
    enum class Kind { Integer, Real, String, Symbol, Function };

    Kind kind = Kind::Symbol;
    // Integer: decimal digits with an optional leading '-'; Real: number text (when `exact`
    // is false the double is authoritative); String: the text; Symbol: the name; Function: the
    // head symbol's name, empty when the head is itself an expression (`compoundHead`).
    std::string text;
    double real = 0.0;
    bool machineReal = true;
    std::vector<Expr> args;
    std::shared_ptr<const Expr> compoundHead;

    static Expr integer(long long value);
    static Expr integerText(std::string digits);
    static Expr machine(double value);
    static Expr realText(std::string text);
    static Expr string(std::string text);
    static Expr symbol(std::string name);
    static Expr call(std::string head, std::vector<Expr> args = {});
    static Expr call(std::string head, std::initializer_list<Expr> args) {
        return call(std::move(head), std::vector<Expr>(args));
    }

    bool isSymbol(const char* name) const { return kind == Kind::Symbol && text == name; }
    bool isSymbol() const { return kind == Kind::Symbol; }
    bool isInteger() const { return kind == Kind::Integer; }
    bool isNumber() const { return kind == Kind::Integer || kind == Kind::Real; }
    bool isString() const { return kind == Kind::String; }
    bool isCall(const char* head) const {
        return kind == Kind::Function && !compoundHead && text == head;
    }
    bool isCall(const char* head, std::size_t count) const {
        return isCall(head) && args.size() == count;
    }
    bool isFunction() const { return kind == Kind::Function; }
    // The integer value when it fits 64 bits; `ok` (when given) says whether it did.
    long long toInteger(bool* ok = nullptr) const;

    bool operator==(const Expr& other) const;
    bool operator!=(const Expr& other) const { return !(*this == other); }
};

// Linear text of an expression, as a person would type it: a + b*c, x^2, {1, 2}, f(x).
std::string linearText(const Expr& e);

// Common answers.
Expr nullSymbol();
Expr failed();
Expr canceled();

// An equation a = b in the program's own form.
Expr equation(Expr left, Expr right);
// True when `e` is an equation a = b in either form; the sides are stored through the pointers.
bool asEquation(const Expr& e, const Expr** left = nullptr, const Expr** right = nullptr);

// -e, written the way a person would: a number changes sign, a product's leading number
// changes sign (a leading 1 that becomes -1 stays), anything else gets a factor -1 in front.
Expr negated(Expr e);
// The terms of `e` as a sum: a sum's own terms, or `e` alone.
std::vector<Expr> termsOf(const Expr& e);
// A sum of `terms`: 0 for none, the term itself for one.
Expr sumOf(std::vector<Expr> terms);
// A product of `factors`: 1 for none, the factor itself for one.
Expr productOf(std::vector<Expr> factors);

// One-letter and longer plain symbols found in `e`, in order of first appearance, without the
// names of constants and functions.
std::vector<std::string> variablesOf(const Expr& e);

} // namespace standin
