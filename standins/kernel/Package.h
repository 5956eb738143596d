#pragma once

// The kernel package: what each request of the editor computes and answers. It keeps the
// session's preferences, the term-ordering priorities and the letters declared constant, and
// asks the person through a `UserChannel` only from inside the requests that need it.

#include "Algebra.h"
#include "Expr.h"
#include "Records.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace standin {

// The kernel's questions to the person (kernel requests 1 edit an expression, 2 select a
// subexpression, 3 choose one option, 5 choose items, 6 show a message). Answers the one
// expression read back ("$Canceled" when the person cancelled), or nothing when the link
// failed, after which the request's answer no longer matters.
class UserChannel {
public:
    virtual ~UserChannel() = default;
    virtual std::optional<Expr> ask(int request, const Expr& argument) = 0;
};

enum UserRequest {
    kEditExpression = 1,
    kSelectPart = 2,
    kChooseOption = 3,
    kChooseItems = 5,
    kShowMessage = 6
};

struct SortPriorities {
    bool use = false;
    std::vector<std::pair<std::string, int>> entries; // letter, priority
};

class Package {
public:
    explicit Package(UserChannel& user);

    // The answer to one request: the content of an "EvaluatePacket", or a bare request.
    // Never throws: an interrupted computation answers "$Canceled", one that fails "$Failed".
    // Its reals have the preferences' precision, but for plot data.
    Expr answer(const Expr& request);

    bool quitRequested() const { return m_quit; }
    const algebra::Settings& settings() const { return m_settings; }
    const std::set<std::string>& constants() const { return m_settings.constants; }
    const SortPriorities& priorities() const { return m_priorities; }

    static SortPriorities defaultPriorities();

private:
    Expr dispatch(const Expr& request);
    Expr evaluate(int kind, const Expr& node);
    Expr setPreferences(const Expr& request);
    Expr setPriorities(const Expr& list);
    Expr prioritiesAnswer(const SortPriorities& p) const;
    Expr ordered(Expr e) const;
    Expr toStandardFormText(const Expr& request) const;
    Expr runCode(const Expr& code);

    // The variable a calculation works in: the default variable when the expression has it,
    // else its first letter that is not constant.
    std::string variableOf(const Expr& e) const;
    std::vector<std::string> freeVariables(const Expr& e) const;
    std::optional<Expr> ask(int request, const Expr& argument);

    UserChannel& m_user;
    algebra::Settings m_settings;
    SortPriorities m_priorities;
    bool m_quit = false;
};

// The calculations a person would expect to be offered for `node`.
std::vector<Record> evaluationChoices(const Expr& node, const algebra::Settings& settings,
                                      const std::set<std::string>& constants);

// Plus, Times, List, Sort and Part over integers: the next-priority request is written with
// the kernel's standard heads. Nothing for anything else.
std::optional<Expr> evaluateStandard(const Expr& e);

} // namespace standin
