#include "Package.h"

#include "DragTools.h"
#include "Markers.h"
#include "Plotting.h"
#include "RealDigits.h"

#include <algorithm>
#include <functional>
#include <map>

namespace standin {

namespace {

// The "EvaluatePacket" arguments that only load or name the package.
bool isPackageLoad(const Expr& request) {
    return request.isCall("Needs") || request.isCall("Get") || request.isCall("BeginPackage") ||
           (request.isString() && request.text == "TYCompute`");
}

Expr symbolText(const Expr& e) {
    return Expr::symbol(e.isSymbol() ? e.text : linearText(e));
}

// Letters of a term, for ordering: one-letter symbols anywhere inside it.
void lettersOf(const Expr& e, std::vector<std::string>& out) {
    if (e.isSymbol() && e.text.size() == 1) out.push_back(e.text);
    for (const Expr& a : e.args)
        lettersOf(a, out);
}

// A line of code as program text for the algebra system: the kernel language's own names of
// the common commands, written as calls (Factor[...]), become the algebra system's names.
std::string codeText(const Expr& line) {
    if (line.isString()) return line.text;
    static const std::map<std::string, std::string> commands = {
        {"Factor", "factor"}, {"Expand", "expand"},       {"Simplify", "simplify"},
        {"Solve", "solve"},   {"Integrate", "integrate"}, {"D", "diff"},
        {"N", "evalf"},       {"Together", "normal"}};
    std::function<Expr(const Expr&)> renamed = [&](const Expr& e) {
        Expr out = e;
        if (out.isFunction() && !out.compoundHead)
            if (auto it = commands.find(out.text); it != commands.end()) out.text = it->second;
        for (Expr& a : out.args)
            a = renamed(a);
        return out;
    };
    return linearText(renamed(line));
}

} // namespace

Package::Package(UserChannel& user) : m_user(user), m_priorities(defaultPriorities()) {}

SortPriorities Package::defaultPriorities() {
    return SortPriorities{false, {{"x", 3}, {"y", 2}, {"z", 1}}};
}

Expr Package::answer(const Expr& request) {
    try {
        Expr result = dispatch(request);
        // Plot data goes out whole: the editor reads it as machine numbers to draw.
        if (result.isCall("TYTwoDPlot") || result.isCall("TYThreeDPlot")) return result;
        return realsAtPrecision(std::move(result), m_settings.precision);
    } catch (const algebra::Interrupted&) {
        algebra::clearInterrupt();
        return canceled();
    } catch (const algebra::AlgebraError&) {
        return failed();
    }
}

std::optional<Expr> Package::ask(int request, const Expr& argument) {
    return m_user.ask(request, argument);
}

Expr Package::dispatch(const Expr& r) {
    if (r.isSymbol("tySortPriorities")) return prioritiesAnswer(m_priorities);
    if (r.isSymbol("tyDefaultSortPriorities")) return prioritiesAnswer(defaultPriorities());
    if (isPackageLoad(r)) return nullSymbol();
    if (r.isCall("Quit")) {
        m_quit = true;
        return nullSymbol();
    }
    if (r.isCall("TYSetSessionPrefs")) return setPreferences(r);
    if (r.isCall("TYSetSortPriorities", 1)) return setPriorities(r.args[0]);
    if ((r.isCall("SetAttributes", 2) || r.isCall("ClearAttributes", 2)) &&
        r.args[1].isSymbol("Constant")) {
        std::string letter = symbolText(r.args[0]).text;
        if (r.isCall("SetAttributes"))
            m_settings.constants.insert(letter);
        else
            m_settings.constants.erase(letter);
        return nullSymbol();
    }
    if (r.isCall("ToString", 2)) return toStandardFormText(r);
    if (r.isCall("Plus") || r.isCall("Part") || r.isCall("Sort") || r.isCall("Times")) {
        auto value = evaluateStandard(r);
        return value ? *value : failed();
    }
    if (r.isCall("TYStringEvaluate", 1)) return runCode(r.args[0]);
    if (r.isCall("TYComputePlot", 1)) return evaluate(kPlot, r.args[0]);
    if (r.isCall("TYTwoDPlot") || r.isCall("TYThreeDPlot")) return evaluate(kPlot, r);
    if (r.isCall("TYEvaluateEval", 1)) {
        Marked m = stripMarkers(r.args[0]);
        const Expr& node = m.mover ? nodeAt(m.tree, *m.mover) : m.tree;
        return recordList(evaluationChoices(node, m_settings, m_settings.constants));
    }
    if (r.isCall("TYSimplify", 1)) return evaluate(kSimplify, r.args[0]);
    if (r.isCall("TYEvaluate", 2) && r.args[0].isInteger())
        return evaluate(static_cast<int>(r.args[0].toInteger()), r.args[1]);
    if (r.isCall("TYEvaluateShuffle", 1)) return recordList(drag::shuffleChoices(r.args[0]));
    if (r.isCall("TYEvaluateDrop", 2)) return recordList(drag::dropChoices(r.args[0], r.args[1]));
    if (r.isCall("TYShuffle", 2) && r.args[0].isInteger()) {
        auto moved = drag::shuffle(static_cast<int>(r.args[0].toInteger()), r.args[1]);
        return moved ? *moved : canceled();
    }
    if (r.isCall("TYDrop", 3) && r.args[0].isInteger()) {
        auto combined = drag::drop(static_cast<int>(r.args[0].toInteger()), r.args[1], r.args[2]);
        return combined ? *combined : canceled();
    }
    return failed();
}

Expr Package::setPreferences(const Expr& r) {
    if (r.args.size() < 3) return nullSymbol();
    if (r.args[0].isSymbol()) m_settings.defaultVariable = r.args[0].text;
    if (r.args[1].isSymbol()) m_settings.transformVariable = r.args[1].text;
    bool fits = false;
    long long precision = r.args[2].toInteger(&fits);
    if (fits && precision >= 0 && precision <= 1000)
        m_settings.precision = static_cast<int>(precision);
    if (r.args.size() >= 4) {
        if (r.args[3].isSymbol("tyDefaultSortPriorities"))
            m_priorities = defaultPriorities();
        else
            setPriorities(r.args[3]);
    }
    return nullSymbol();
}

Expr Package::setPriorities(const Expr& list) {
    // {True|False, {{letter, priority}, ...}}; entries of any other shape are passed over.
    if (!list.isCall("List", 2) || !list.args[1].isCall("List")) return nullSymbol();
    SortPriorities p;
    p.use = list.args[0].isSymbol("True");
    for (const Expr& entry : list.args[1].args) {
        if (!entry.isCall("List", 2) || !entry.args[0].isSymbol() || !entry.args[1].isInteger())
            continue;
        bool fits = false;
        long long priority = entry.args[1].toInteger(&fits);
        if (!fits || priority < 0 || priority > 255) continue;
        p.entries.emplace_back(entry.args[0].text, static_cast<int>(priority));
    }
    m_priorities = std::move(p);
    return nullSymbol();
}

Expr Package::prioritiesAnswer(const SortPriorities& p) const {
    std::vector<Expr> entries;
    for (const auto& [letter, priority] : p.entries)
        entries.push_back(Expr::call("List", {Expr::symbol(letter), Expr::integer(priority)}));
    return Expr::call(
        "List", {Expr::symbol(p.use ? "True" : "False"), Expr::call("List", std::move(entries))});
}

Expr Package::ordered(Expr e) const {
    if (!m_priorities.use) return e;
    for (Expr& a : e.args)
        a = ordered(std::move(a));
    if (!e.isCall("TYPlus")) return e;
    auto key = [&](const Expr& term) {
        std::vector<std::string> letters;
        lettersOf(term, letters);
        int best = -1;
        for (const auto& [letter, priority] : m_priorities.entries)
            if (std::find(letters.begin(), letters.end(), letter) != letters.end())
                best = std::max(best, priority);
        return best;
    };
    std::stable_sort(e.args.begin(), e.args.end(),
                     [&](const Expr& a, const Expr& b) { return key(a) > key(b); });
    return e;
}

Expr Package::toStandardFormText(const Expr& r) const {
    // The editor drops the first nine and the last three characters of a long answer and keeps
    // what lies between them: the linear text.
    const Expr& held = r.args[0].isCall("Hold", 1) ? r.args[0].args[0] : r.args[0];
    return Expr::string("\\!\\(Hold[" + linearText(held) + "]\\)");
}

Expr Package::runCode(const Expr& code) {
    std::string source;
    const std::vector<Expr> lines = code.isCall("List") ? code.args : std::vector<Expr>{code};
    for (const Expr& line : lines) {
        if (!source.empty()) source += "\n";
        source += codeText(line);
    }
    auto value = algebra::runCode(source, m_settings);
    return value ? ordered(std::move(*value)) : failed();
}

std::vector<std::string> Package::freeVariables(const Expr& e) const {
    std::vector<std::string> out;
    for (const std::string& v : variablesOf(e))
        if (!m_settings.constants.count(v)) out.push_back(v);
    return out;
}

std::string Package::variableOf(const Expr& e) const {
    std::vector<std::string> vars = freeVariables(e);
    if (vars.empty() ||
        std::find(vars.begin(), vars.end(), m_settings.defaultVariable) != vars.end())
        return m_settings.defaultVariable;
    return vars.front();
}

Expr Package::evaluate(int kind, const Expr& node) {
    using algebra::Op;
    const algebra::Settings& s = m_settings;
    switch (kind) {
    case kSimplify:
    case kSimplifyInPlace:
        return ordered(algebra::transform(Op::Simplify, node, s));
    case kEvaluate:
    case kLimit:
    case kSumProduct:
        return ordered(algebra::transform(Op::Evaluate, node, s));
    case kExpand:
        return ordered(algebra::transform(Op::Expand, node, s));
    case kFactor:
        return ordered(algebra::transform(Op::Factor, node, s));
    case kNumeric:
        return ordered(algebra::transform(Op::Numeric, node, s));
    case kSolve: {
        std::vector<std::string> vars = freeVariables(node);
        if (asEquation(node)) vars = {variableOf(node)};
        return ordered(algebra::solve(node, vars, s));
    }
    case kSolveFor: {
        std::vector<Expr> options;
        for (const std::string& v : freeVariables(node))
            options.push_back(Expr::symbol(v));
        auto chosen =
            ask(kChooseOption,
                Expr::call("List", {Expr::string("Solve for"), Expr::call("List", options)}));
        if (!chosen || !chosen->isSymbol() || chosen->text[0] == '$') return canceled();
        return ordered(algebra::solve(node, {chosen->text}, s));
    }
    case kIntegrate: {
        // An indefinite integral gains a constant whose index is left to the editor: it
        // numbers the marker past the constants its expression already holds.
        const Expr* f = &node;
        std::string variable = variableOf(node);
        if (node.isCall("TYIntegrate", 2)) {
            if (node.args[1].isCall("List"))
                return ordered(algebra::transform(Op::Evaluate, node, s));
            f = &node.args[0];
            if (node.args[1].isSymbol()) variable = node.args[1].text;
        }
        Expr integral = algebra::integrate(*f, variable, s);
        std::vector<Expr> terms = termsOf(integral);
        terms.push_back(Expr::call("TYSubscript", {Expr::symbol("C"), Expr::symbol("tyReplSub")}));
        return ordered(sumOf(std::move(terms)));
    }
    case kDifferentiate:
        if (node.isCall("TYD") || node.isCall("TYDt"))
            return ordered(algebra::transform(Op::Simplify, node, s));
        return ordered(algebra::differentiate(node, variableOf(node), s));
    case kLaplace:
        return ordered(algebra::laplace(
            node.isCall("TYLaplaceTransform") && !node.args.empty() ? node.args[0] : node, s));
    case kDeclareConstant:
    case kNotConstant:
        if (!node.isSymbol()) return failed();
        if (kind == kDeclareConstant)
            m_settings.constants.insert(node.text);
        else
            m_settings.constants.erase(node.text);
        return nullSymbol();
    case kPlot: {
        auto graphics = plot::compute(node, s);
        return graphics ? *graphics : canceled();
    }
    case kSubstitute: {
        Expr proposal = equation(Expr::symbol(variableOf(node)), Expr::symbol(variableOf(node)));
        auto eq = ask(kEditExpression, Expr::call("List", {Expr::string("Substitute"), proposal}));
        if (!eq || !asEquation(*eq)) return canceled();
        return ordered(algebra::substitute(node, *eq, s));
    }
    case kCollect: {
        std::vector<Expr> options;
        for (const std::string& v : freeVariables(node))
            options.push_back(Expr::symbol(v));
        auto chosen = ask(kChooseOption, Expr::call("List", {Expr::string("Collect terms in"),
                                                             Expr::call("List", options)}));
        if (!chosen || !chosen->isSymbol() || chosen->text[0] == '$') return canceled();
        return algebra::collect(node, chosen->text, s);
    }
    case kChooseTerms: {
        if (!node.isCall("TYPlus")) return failed();
        auto chosen =
            ask(kChooseItems,
                Expr::call("List", {Expr::string("Choose the terms to simplify together"),
                                    Expr::string("Other terms"), Expr::string("Chosen terms"),
                                    Expr::call("List", node.args), Expr::call("List")}));
        if (!chosen || !chosen->isCall("List")) return canceled();
        std::vector<Expr> rest = node.args;
        for (const Expr& term : chosen->args) {
            auto it = std::find(rest.begin(), rest.end(), term);
            if (it != rest.end()) rest.erase(it);
        }
        std::vector<Expr> terms{algebra::transform(Op::Simplify, sumOf(chosen->args), s)};
        terms.insert(terms.end(), rest.begin(), rest.end());
        return sumOf(std::move(terms));
    }
    case kCheck: {
        if (!asEquation(node)) return failed();
        bool ok = algebra::holds(node, s);
        if (!ask(kShowMessage,
                 Expr::string(ok ? "The equation holds." : "The equation does not hold.")))
            return canceled();
        return Expr::symbol(ok ? "True" : "False");
    }
    default:
        return failed();
    }
}

} // namespace standin
