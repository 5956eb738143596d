// The records offered for a marked node, the record-list form, and the small evaluator of the
// standard heads that the next-priority request uses.

#include "Package.h"

#include <algorithm>

namespace standin {

Expr recordList(const std::vector<Record>& records) {
    std::vector<Expr> items;
    for (const Record& r : records) {
        if (items.size() == kMaxRecords) break;
        items.push_back(Expr::call(
            "List", {Expr::integer(r.value), Expr::string(r.text), Expr::integer(r.placement)}));
    }
    if (items.empty())
        items.push_back(Expr::call("List", {Expr::integer(0), Expr::string(""), Expr::integer(0)}));
    return Expr::call("List", std::move(items));
}

namespace {

bool isEquationSet(const Expr& e) {
    return e.isCall("TYEqnSet") && !e.args.empty() &&
           std::all_of(e.args.begin(), e.args.end(), [](const Expr& a) { return asEquation(a); });
}

bool mentions(const Expr& e, const std::string& name) {
    if (e.isSymbol() && e.text == name) return true;
    return std::any_of(e.args.begin(), e.args.end(),
                       [&](const Expr& a) { return mentions(a, name); });
}

} // namespace

std::vector<Record> evaluationChoices(const Expr& node, const algebra::Settings& settings,
                                      const std::set<std::string>& constants) {
    std::vector<Record> out;
    if (node.isCall("TYTwoDPlot") || node.isCall("TYThreeDPlot")) {
        out.push_back({kPlot, "Plot", kIntoPlot});
        return out;
    }
    const bool equations = asEquation(node) || isEquationSet(node);
    const bool letters = !variablesOf(node).empty();
    if (node.isCall("TYIntegrate")) out.push_back({kIntegrate, "Integrate", kNewParagraphAfter});
    if (node.isCall("TYD") || node.isCall("TYDt"))
        out.push_back({kDifferentiate, "Differentiate", kNewParagraphAfter});
    if (node.isCall("TYLimit")) out.push_back({kLimit, "Limit", kNewParagraphAfter});
    if (node.isCall("TYSum")) out.push_back({kSumProduct, "Sum", kNewParagraphAfter});
    if (node.isCall("TYProduct")) out.push_back({kSumProduct, "Product", kNewParagraphAfter});
    if (equations && letters) {
        out.push_back({kSolve, "Solve", kNewParagraphAfter});
        out.push_back({kSolveFor, "Solve for...", kNewParagraphAfter});
    }
    out.push_back({kSimplify, "Simplify", kNewParagraphAfter});
    out.push_back({kEvaluate, "Evaluate", kNewParagraphAfter});
    out.push_back({kExpand, "Expand", kNewParagraphAfter});
    out.push_back({kFactor, "Factor", kNewParagraphAfter});
    out.push_back({kNumeric, "Numeric value", kNewParagraphAfter});
    out.push_back({kSimplifyInPlace, "Simplify in place", kReplaceParagraph});
    if (node.isSymbol() && letters) {
        if (constants.count(node.text))
            out.push_back({kNotConstant, "Not a constant", kConstantOff});
        else
            out.push_back({kDeclareConstant, "Declare constant", kConstantOn});
    }
    if (letters) out.push_back({kSubstitute, "Substitute...", kNewParagraphAfter});
    if (letters && !equations) out.push_back({kCollect, "Collect...", kNewParagraphAfter});
    if (node.isCall("TYPlus") && node.args.size() >= 2)
        out.push_back({kChooseTerms, "Choose terms...", kNewParagraphAfter});
    if (equations) out.push_back({kCheck, "Check", kNewParagraphAfter});
    if (!equations && mentions(node, settings.defaultVariable))
        out.push_back({kLaplace, "Laplace transform", kNewParagraphAfter});
    if (out.size() > kMaxRecords) out.resize(kMaxRecords);
    return out;
}

namespace {

std::optional<long long> integerValue(const Expr& e) {
    bool ok = false;
    long long v = e.toInteger(&ok);
    if (!ok) return std::nullopt;
    return v;
}

} // namespace

std::optional<Expr> evaluateStandard(const Expr& e) {
    if (e.isInteger()) return e;
    if (!e.isFunction()) return std::nullopt;
    std::vector<Expr> args;
    for (std::size_t i = 0; i < e.args.size(); ++i) {
        // The ordering symbol of Sort stays a symbol.
        if (e.isCall("Sort") && i == 1) {
            args.push_back(e.args[i]);
            continue;
        }
        auto value = evaluateStandard(e.args[i]);
        if (!value) return std::nullopt;
        args.push_back(std::move(*value));
    }
    if (e.isCall("List")) return Expr::call("List", std::move(args));
    if (e.isCall("Plus") || e.isCall("Times")) {
        long long total = e.isCall("Plus") ? 0 : 1;
        for (const Expr& a : args) {
            auto v = integerValue(a);
            if (!v) return std::nullopt;
            bool overflow = e.isCall("Plus") ? __builtin_add_overflow(total, *v, &total)
                                             : __builtin_mul_overflow(total, *v, &total);
            if (overflow) return std::nullopt;
        }
        return Expr::integer(total);
    }
    if (e.isCall("Sort") && !args.empty() && args[0].isCall("List")) {
        std::vector<long long> values;
        for (const Expr& a : args[0].args) {
            auto v = integerValue(a);
            if (!v) return std::nullopt;
            values.push_back(*v);
        }
        bool descending = args.size() == 2 && args[1].isSymbol("Greater");
        if (descending)
            std::sort(values.begin(), values.end(), std::greater<>());
        else
            std::sort(values.begin(), values.end());
        std::vector<Expr> sorted;
        for (long long v : values)
            sorted.push_back(Expr::integer(v));
        return Expr::call("List", std::move(sorted));
    }
    if (e.isCall("Part", 2) && args[0].isCall("List")) {
        auto index = integerValue(args[1]);
        const auto count = static_cast<long long>(args[0].args.size());
        if (!index || *index == 0 || *index > count || *index < -count) return std::nullopt;
        long long at = *index > 0 ? *index - 1 : count + *index;
        return args[0].args[static_cast<std::size_t>(at)];
    }
    return std::nullopt;
}

} // namespace standin
