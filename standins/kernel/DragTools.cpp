#include "DragTools.h"

#include "Markers.h"

#include <algorithm>

namespace standin::drag {

namespace {

Path parentOf(const Path& p) {
    return Path(p.begin(), p.end() - 1);
}

bool startsWith(const Path& p, const Path& prefix) {
    return p.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), p.begin());
}

struct Move {
    Expr tree;
    Path mover;
    Path target;
};

std::optional<Move> marks(const Expr& marked) {
    Marked m = stripMarkers(marked);
    if (!m.mover || !m.target || *m.mover == *m.target || m.mover->empty()) return std::nullopt;
    return Move{std::move(m.tree), *m.mover, *m.target};
}

bool siblingsUnder(const Move& m, const char* head) {
    return !m.target.empty() && parentOf(m.mover) == parentOf(m.target) &&
           nodeAt(m.tree, parentOf(m.mover)).isCall(head);
}

// The equation whose side holds the mover as a whole side or as a term of a sum side, and the
// target somewhere in the other side.
struct Crossing {
    Path equation;
    std::size_t side;
    std::optional<std::size_t> term; // the mover's place in a sum side; none: the whole side
};

std::optional<Crossing> crossing(const Move& m) {
    for (std::size_t depth = m.mover.size(); depth-- > 0;) {
        Path at(m.mover.begin(), m.mover.begin() + static_cast<long>(depth));
        const Expr& node = nodeAt(m.tree, at);
        if (!node.isCall("TYInequality", 3) || !node.args[1].isSymbol("Equal")) continue;
        std::size_t side = m.mover[depth];
        if (side == 1) return std::nullopt;
        Path other = at;
        other.push_back(2 - side);
        if (!startsWith(m.target, other)) return std::nullopt;
        std::size_t below = m.mover.size() - depth - 1;
        if (below == 0) return Crossing{at, side, std::nullopt};
        if (below == 1 && node.args[side].isCall("TYPlus"))
            return Crossing{at, side, m.mover.back()};
        return std::nullopt;
    }
    return std::nullopt;
}

// The index of a factor equal to `factor` in a term (the term itself counts as one factor).
std::optional<std::size_t> factorIndex(const Expr& term, const Expr& factor) {
    if (term == factor) return 0;
    if (!term.isCall("TYTimes")) return std::nullopt;
    for (std::size_t i = 0; i < term.args.size(); ++i)
        if (term.args[i] == factor) return i;
    return std::nullopt;
}

// The sum at the target, when the mover is a factor (or a whole term) of one of its terms
// and every term carries that factor.
bool canFactorOut(const Move& m) {
    const Expr& sum = nodeAt(m.tree, m.target);
    if (!sum.isCall("TYPlus") || !startsWith(m.mover, m.target)) return false;
    std::size_t below = m.mover.size() - m.target.size();
    if (below != 1 && below != 2) return false;
    if (below == 2 && !nodeAt(m.tree, parentOf(m.mover)).isCall("TYTimes")) return false;
    const Expr& factor = nodeAt(m.tree, m.mover);
    return std::all_of(sum.args.begin(), sum.args.end(),
                       [&](const Expr& term) { return factorIndex(term, factor).has_value(); });
}

bool canDistribute(const Move& m) {
    return siblingsUnder(m, "TYTimes") && nodeAt(m.tree, m.target).isCall("TYPlus");
}

void moveSibling(Move& m) {
    Expr& parent = nodeAt(m.tree, parentOf(m.mover));
    std::size_t from = m.mover.back();
    std::size_t to = m.target.back();
    Expr item = std::move(parent.args[from]);
    parent.args.erase(parent.args.begin() + static_cast<long>(from));
    parent.args.insert(parent.args.begin() + static_cast<long>(to), std::move(item));
}

void crossOver(Move& m, const Crossing& c) {
    Expr& eq = nodeAt(m.tree, c.equation);
    Expr& from = eq.args[c.side];
    Expr moved;
    if (c.term) {
        moved = from.args[*c.term];
        from.args.erase(from.args.begin() + static_cast<long>(*c.term));
        from = sumOf(std::move(from.args));
    } else {
        moved = from;
        from = Expr::integer(0);
    }
    Expr& to = eq.args[2 - c.side];
    std::vector<Expr> terms;
    if (!(to.isInteger() && to.text == "0")) terms = termsOf(to);
    terms.push_back(negated(std::move(moved)));
    to = sumOf(std::move(terms));
}

void distribute(Move& m) {
    Path productPath = parentOf(m.mover);
    Expr& product = nodeAt(m.tree, productPath);
    const std::size_t from = m.mover.back();
    const std::size_t to = m.target.back();
    const Expr factor = product.args[from];
    std::vector<Expr> terms;
    for (const Expr& term : product.args[to].args) {
        std::vector<Expr> factors = term.isCall("TYTimes") ? term.args : std::vector<Expr>{term};
        if (from < to)
            factors.insert(factors.begin(), factor);
        else
            factors.push_back(factor);
        terms.push_back(productOf(std::move(factors)));
    }
    product.args[to] = sumOf(std::move(terms));
    product.args.erase(product.args.begin() + static_cast<long>(from));
    product = productOf(std::move(product.args));
}

void factorOut(Move& m) {
    Expr& sum = nodeAt(m.tree, m.target);
    const Expr factor = nodeAt(m.tree, m.mover);
    std::vector<Expr> rest;
    for (const Expr& term : sum.args) {
        if (term == factor) {
            rest.push_back(Expr::integer(1));
            continue;
        }
        std::vector<Expr> factors = term.args;
        factors.erase(factors.begin() + static_cast<long>(*factorIndex(term, factor)));
        rest.push_back(productOf(std::move(factors)));
    }
    sum = Expr::call("TYTimes", {factor, sumOf(std::move(rest))});
}

bool contains(const Expr& e, const Expr& part) {
    if (e == part) return true;
    return std::any_of(e.args.begin(), e.args.end(),
                       [&](const Expr& a) { return contains(a, part); });
}

Expr replaced(const Expr& e, const Expr& from, const Expr& to) {
    if (e == from) return to;
    Expr out = e;
    for (Expr& a : out.args)
        a = replaced(a, from, to);
    return out;
}

} // namespace

std::vector<Record> shuffleChoices(const Expr& marked) {
    auto m = marks(marked);
    std::vector<Record> out;
    if (!m) return out;
    if (siblingsUnder(*m, "TYPlus")) out.push_back({kMoveTerm, "Move term", kReplaceParagraph});
    if (canDistribute(*m)) out.push_back({kDistribute, "Distribute", kReplaceParagraph});
    if (siblingsUnder(*m, "TYTimes"))
        out.push_back({kMoveFactor, "Move factor", kReplaceParagraph});
    if (crossing(*m)) out.push_back({kOtherSide, "Move to other side", kReplaceParagraph});
    if (canFactorOut(*m)) out.push_back({kFactorOut, "Factor out", kReplaceParagraph});
    return out;
}

std::optional<Expr> shuffle(int kind, const Expr& marked) {
    auto m = marks(marked);
    if (!m) return std::nullopt;
    switch (kind) {
    case kMoveTerm:
        if (!siblingsUnder(*m, "TYPlus")) return std::nullopt;
        moveSibling(*m);
        break;
    case kMoveFactor:
        if (!siblingsUnder(*m, "TYTimes")) return std::nullopt;
        moveSibling(*m);
        break;
    case kOtherSide: {
        auto c = crossing(*m);
        if (!c) return std::nullopt;
        crossOver(*m, *c);
        break;
    }
    case kDistribute:
        if (!canDistribute(*m)) return std::nullopt;
        distribute(*m);
        break;
    case kFactorOut:
        if (!canFactorOut(*m)) return std::nullopt;
        factorOut(*m);
        break;
    default:
        return std::nullopt;
    }
    return std::move(m->tree);
}

std::vector<Record> dropChoices(const Expr& node, const Expr& target) {
    std::vector<Record> out;
    const Expr* left = nullptr;
    if (!asEquation(node, &left)) return out;
    if (contains(target, *left) && !(target == node))
        out.push_back({kSubstituteEquation, "Substitute", kWholeAnswer});
    if (asEquation(target)) {
        out.push_back({kAddEquations, "Add equations", kWholeAnswer});
        out.push_back({kSubtractEquations, "Subtract equations", kWholeAnswer});
    }
    return out;
}

std::optional<Expr> drop(int kind, const Expr& node, const Expr& target) {
    const Expr* left = nullptr;
    const Expr* right = nullptr;
    if (!asEquation(node, &left, &right)) return std::nullopt;
    if (kind == kSubstituteEquation) {
        if (!contains(target, *left)) return std::nullopt;
        return replaced(target, *left, *right);
    }
    const Expr* targetLeft = nullptr;
    const Expr* targetRight = nullptr;
    if ((kind != kAddEquations && kind != kSubtractEquations) ||
        !asEquation(target, &targetLeft, &targetRight))
        return std::nullopt;
    auto combine = [&](const Expr& mine, const Expr& theirs) {
        std::vector<Expr> terms = termsOf(theirs);
        for (const Expr& t : termsOf(mine))
            terms.push_back(kind == kAddEquations ? t : negated(t));
        return sumOf(std::move(terms));
    };
    return equation(combine(*left, *targetLeft), combine(*right, *targetRight));
}

} // namespace standin::drag
