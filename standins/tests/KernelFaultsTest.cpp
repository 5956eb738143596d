// The kernel's behaviours that the editor must survive, and its questions to the person:
// interrupts, the scripted faults, the user requests from inside the command requests, and
// the preferences that change later answers.

#include "KernelHarness.h"
#include "Package.h"
#include "Records.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace standin::testing {
namespace {

using Clock = std::chrono::steady_clock;

Expr x() {
    return sym("x");
}
Expr y() {
    return sym("y");
}
Expr plus(std::initializer_list<Expr> t) {
    return fn("TYPlus", t);
}
Expr times(std::initializer_list<Expr> f) {
    return fn("TYTimes", f);
}
Expr simplify(Expr e) {
    return fn("TYSimplify", {std::move(e)});
}
Expr evaluate(int kind, Expr e) {
    return fn("TYEvaluate", {num(kind), std::move(e)});
}
Expr code(const char* text) {
    return fn("TYStringEvaluate", {list({Expr::string(text)})});
}
const char* kEndless = "s:=0;for(j:=0;j<10^12;j++){s:=s+1};s";

// The editor's Escape, pressed from another thread `first` milliseconds on and then every
// `again` milliseconds (0: once) until the test stops it, once the answer is in. A kernel that
// has not yet begun the request drops an interrupt as stale, which on a loaded machine can
// befall the first press; a person presses again, and so does this.
class Escape {
public:
    Escape(KernelHarness& kernel, int first, int again)
        : m_thread([this, &kernel, first, again] {
              std::unique_lock lock(m_mutex);
              const auto stopped = [this] { return m_stopped; };
              if (m_wake.wait_for(lock, std::chrono::milliseconds(first), stopped)) return;
              kernel.interrupt();
              while (again > 0 && !m_wake.wait_for(lock, std::chrono::milliseconds(again), stopped))
                  kernel.interrupt();
          }) {}
    ~Escape() { stop(); }
    void stop() {
        {
            std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopped = false;
    std::thread m_thread; // last: it starts once the rest is ready
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(Interrupt, StopsALongComputationWhichAnswersCanceled) {
    KernelHarness kernel;
    auto start = Clock::now();
    Escape escape(kernel, 300, 300);
    auto answer = kernel.request(code(kEndless));
    escape.stop();
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->isSymbol("$Canceled")) << linearText(*answer);
    EXPECT_LT(secondsSince(start), 20.0);

    auto next = kernel.request(simplify(plus({x(), x()})));
    ASSERT_TRUE(next);
    EXPECT_TRUE(*next == times({num(2), x()})) << "the interrupt must not reach the next request";
}

// Work in which the algebra does not look at its interruption flag for minutes.
Expr longFactor() {
    return evaluate(kFactor,
                    plus({fn("TYPower", {x(), num(20011)}), times({num(3), x()}), num(1)}));
}
// The product of two primes of 50 digits each.
const char* kSemiprime = "236827940119019920162117684907377456453836438278824816976263"
                         "0451351975370698795253897739064546670071";

// The answer to `request` with Escape pressed half a second on and every 300 ms after, and the
// seconds from the first press to the answer.
std::pair<std::optional<Expr>, double> escaped(KernelHarness& kernel, const Expr& request) {
    const auto firstPress = Clock::now() + std::chrono::milliseconds(500);
    Escape escape(kernel, 500, 300);
    auto answer = kernel.request(request);
    escape.stop();
    return {answer, secondsSince(firstPress)};
}

TEST(Interrupt, EndsWorkThatNeverLooksAtTheFlagWithinTwoSeconds) {
    struct Case {
        const char* name;
        Expr request;
    };
    const Case cases[] = {
        {"Factor of x^20011 + 3x + 1", longFactor()},
        {"ifactor of a number of 100 digits, as code",
         code((std::string("ifactor(") + kSemiprime + ")").c_str())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KernelHarness kernel;
        auto [answer, seconds] = escaped(kernel, c.request);
        ASSERT_TRUE(answer);
        EXPECT_TRUE(answer->isSymbol("$Canceled")) << linearText(*answer);
        EXPECT_LT(seconds, 2.0);
        auto next = kernel.request(simplify(plus({num(2), num(3)})));
        ASSERT_TRUE(next);
        EXPECT_TRUE(*next == num(5)) << linearText(*next);
    }
}

// The code's assignments, definitions, settings and random numbers carry on from one request to
// the next; an assignment that the interrupt stopped changes nothing.
TEST(Interrupt, WhatCodeChangesStaysAndAnInterruptedChangeIsNotMade) {
    KernelHarness kernel;
    // Giac's context belongs to the process, which the tests that follow share.
    auto digits = kernel.request(code("Digits"));
    ASSERT_TRUE(digits);
    struct Restore {
        KernelHarness& kernel;
        std::string digits;
        ~Restore() { kernel.request(code(("purge(a,f);Digits:=" + digits).c_str())); }
    } restore{kernel, linearText(*digits)};
    auto set = kernel.request(code("a:=6;f(n):=n^2;Digits:=30;b:=1"));
    ASSERT_TRUE(set);
    EXPECT_TRUE(*set == num(1)) << linearText(*set);
    auto [stopped, seconds] =
        escaped(kernel, code((std::string("a:=ifactor(") + kSemiprime + ")").c_str()));
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(stopped->isSymbol("$Canceled")) << linearText(*stopped);
    EXPECT_LT(seconds, 2.0);
    auto purged = kernel.request(code("purge(b)"));
    ASSERT_TRUE(purged);
    auto kept = kernel.request(code("[a, f(3), Digits, b]"));
    ASSERT_TRUE(kept);
    EXPECT_TRUE(*kept == list({num(6), num(9), num(30), sym("b")})) << linearText(*kept);
    auto first = kernel.request(code("rand(10^9)"));
    auto second = kernel.request(code("rand(10^9)"));
    ASSERT_TRUE(first && second);
    EXPECT_FALSE(*first == *second) << "one random number after another, not the same again";
}

TEST(Interrupt, OneThatArrivesBetweenRequestsIsDropped) {
    KernelHarness kernel;
    kernel.interrupt();
    // The watcher takes it while no request computes, however late a loaded machine runs it;
    // the pause lets it finish with it.
    const auto sent = Clock::now();
    while (kernel.interruptWaiting() && Clock::now() - sent < std::chrono::seconds(20))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_FALSE(kernel.interruptWaiting()) << "the kernel never looked for messages";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto answer = kernel.request(code("for(j:=0;j<20000;j++){k:=j;};7"));
    ASSERT_TRUE(answer);
    EXPECT_TRUE(*answer == num(7)) << linearText(*answer);
    kernel.request(code("purge(j,k)"));
}

TEST(Interrupt, ASlowScriptedComputationGivesWay) {
    KernelHarness kernel("on TYSimplify slow 30\n");
    auto start = Clock::now();
    Escape escape(kernel, 200, 300);
    auto answer = kernel.request(simplify(x()));
    escape.stop();
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->isSymbol("$Canceled"));
    EXPECT_LT(secondsSince(start), 20.0);
}

TEST(Interrupt, AStuckKernelIgnoresItAndAnswersInTheEnd) {
    KernelHarness kernel("on TYSimplify stuck 1\n");
    auto start = Clock::now();
    // Once: a press after the stuck second would stop the computation that follows it.
    Escape escape(kernel, 100, 0);
    auto answer = kernel.request(simplify(plus({x(), x()})));
    escape.stop();
    ASSERT_TRUE(answer);
    EXPECT_TRUE(*answer == times({num(2), x()})) << linearText(*answer);
    EXPECT_GE(secondsSince(start), 1.0);
}

TEST(ScriptedFaults, DeathsLeaveTheEditorWithAClosedLink) {
    struct Case {
        const char* name;
        const char* script;
        Expr request;
        std::size_t userRequests;
    };
    const Case cases[] = {
        {"after connecting", "on start die-after-connect\n", simplify(x()), 0},
        {"in the middle of an evaluation", "on TYSimplify die-mid-evaluation\n", simplify(x()), 0},
        {"inside a user request", "on TYEvaluate die-in-user-request\n",
         evaluate(kSolveFor, equation(plus({x(), y()}), num(3))), 1},
    };
    for (const Case& c : cases) {
        KernelHarness kernel(c.script);
        EXPECT_FALSE(kernel.request(c.request)) << c.name;
        EXPECT_EQ(kernel.lastPacket, ILLEGALPKT) << c.name;
        EXPECT_EQ(kernel.lastError, QKERR_PEER_CLOSED) << c.name;
        EXPECT_EQ(kernel.userRequests.size(), c.userRequests) << c.name;
        EXPECT_EQ(kernel.ended(), LoopEnd::Died) << c.name;
    }
}

TEST(ScriptedFaults, ScriptedAnswersReplaceTheComputedOne) {
    struct Case {
        const char* word;
        const char* answer;
    };
    const Case cases[] = {{"failed", "$Failed"}, {"canceled", "$Canceled"}, {"null", "Null"}};
    for (const Case& c : cases) {
        KernelHarness kernel(std::string("on TYSimplify answer ") + c.word + "\n");
        auto answer = kernel.request(simplify(x()));
        ASSERT_TRUE(answer) << c.word;
        EXPECT_TRUE(answer->isSymbol(c.answer)) << c.word;
        auto other = kernel.request(fn("TYEvaluate", {num(kEvaluate), num(2)}));
        ASSERT_TRUE(other);
        EXPECT_TRUE(*other == num(2)) << "only the named request is touched";
    }
}

TEST(ScriptedFaults, WarningsComeBeforeTheAnswerWithOrWithoutText) {
    KernelHarness withText("on TYSimplify warning Division by zero\n");
    auto answer = withText.request(simplify(plus({x(), x()})));
    ASSERT_TRUE(answer);
    EXPECT_TRUE(*answer == times({num(2), x()}));
    EXPECT_EQ(withText.messages, std::vector<std::string>{"Division by zero"});

    KernelHarness bare("on any warning\n");
    ASSERT_TRUE(bare.request(simplify(x())));
    EXPECT_EQ(bare.messages, std::vector<std::string>{""});
}

TEST(ScriptedFaults, GarbageIsWhatThePeerMustSurvive) {
    {
        KernelHarness kernel("on TYSimplify garbage unknown-head\n");
        EXPECT_FALSE(kernel.request(simplify(x())));
        EXPECT_EQ(kernel.lastError, QKERR_UNKNOWN_PACKET);
        // The real answer still follows the unknown packet.
        QKClearError(kernel.editorLink());
        QKNewPacket(kernel.editorLink());
        auto answer = kernel.answer();
        ASSERT_TRUE(answer);
        EXPECT_TRUE(*answer == x());
    }
    {
        KernelHarness kernel("on TYSimplify garbage extra-arguments\n");
        auto answer = kernel.request(simplify(x()));
        ASSERT_TRUE(answer);
        EXPECT_TRUE(*answer == x());
        EXPECT_TRUE(kernel.request(simplify(y()))) << "the extra argument was skipped";
    }
    {
        KernelHarness kernel("on TYSimplify garbage huge-count\n");
        EXPECT_FALSE(kernel.request(simplify(x())));
        EXPECT_EQ(kernel.ended(), LoopEnd::Died);
    }
    {
        KernelHarness kernel("on TYSimplify garbage deep-nesting\n");
        EXPECT_FALSE(kernel.request(simplify(x()))) << "a bounded reader refuses it";
    }
    {
        KernelHarness kernel("on TYEvaluateEval garbage malformed-records\n"
                             "on tySortPriorities garbage malformed-ordering\n");
        auto records = kernel.request(fn("TYEvaluateEval", {fn("TYMover", {x()})}));
        ASSERT_TRUE(records);
        EXPECT_EQ(linearText(*records), "{{\"text\", 3}, 7, {}, {1, 2, 3, 4}}");
        auto ordering = kernel.request(sym("tySortPriorities"));
        ASSERT_TRUE(ordering);
        EXPECT_EQ(linearText(*ordering), "{True, {{\"a\"}, {3, b}, 7}}");
    }
}

TEST(UserRequests, SolveForAsksForTheVariable) {
    KernelHarness kernel;
    kernel.onUserRequest = [](int, const Expr&) { return sym("y"); };
    auto answer = kernel.request(evaluate(kSolveFor, equation(plus({x(), y()}), num(3))));
    ASSERT_TRUE(answer);
    EXPECT_EQ(linearText(*answer), "y = -x + 3");
    ASSERT_EQ(kernel.userRequests.size(), 1u);
    EXPECT_EQ(kernel.userRequests[0].first, kChooseOption);
    EXPECT_TRUE(kernel.userRequests[0].second ==
                list({Expr::string("Solve for"), list({x(), y()})}));
}

TEST(UserRequests, EachCommandAsksOnceAndUsesTheAnswer) {
    struct Case {
        const char* name;
        Expr request;
        int asked;
        Expr reply;
        const char* answer;
    };
    const Case cases[] = {
        {"substitute", evaluate(kSubstitute, plus({fn("TYPower", {x(), num(2)}), num(1)})),
         kEditExpression, equation(x(), num(2)), "5"},
        {"collect", evaluate(kCollect, plus({times({sym("a"), x()}), times({sym("b"), x()}), y()})),
         kChooseOption, x(), "(a + b)*x + y"},
        {"choose terms", evaluate(kChooseTerms, plus({x(), y(), x()})), kChooseItems,
         list({x(), x()}), "2*x + y"},
        {"check", evaluate(kCheck, equation(plus({x(), x()}), times({num(2), x()}))), kShowMessage,
         sym("$Ignored"), "True"},
        {"a cancelled question cancels the request", evaluate(kSolveFor, equation(x(), num(1))),
         kChooseOption, sym("$Canceled"), "$Canceled"},
    };
    for (const Case& c : cases) {
        KernelHarness kernel;
        kernel.onUserRequest = [&](int, const Expr&) { return c.reply; };
        auto answer = kernel.request(c.request);
        ASSERT_TRUE(answer) << c.name;
        EXPECT_EQ(linearText(*answer), c.answer) << c.name;
        ASSERT_EQ(kernel.userRequests.size(), 1u) << c.name;
        EXPECT_EQ(kernel.userRequests[0].first, c.asked) << c.name;
    }
}

std::vector<int> offered(const Expr& records) {
    std::vector<int> out;
    for (const Expr& r : records.args)
        out.push_back(static_cast<int>(r.args.at(0).toInteger()));
    return out;
}

int placementOf(const Expr& records, int kind) {
    for (const Expr& r : records.args)
        if (r.args.at(0).toInteger() == kind) return static_cast<int>(r.args.at(2).toInteger());
    return -1;
}

TEST(Choices, FitTheMarkedNode) {
    KernelHarness kernel;
    auto choicesFor = [&](Expr marked) {
        auto records = kernel.request(fn("TYEvaluateEval", {std::move(marked)}));
        EXPECT_TRUE(records);
        return records ? *records : Expr();
    };
    Expr equationChoices =
        choicesFor(plus({num(1), fn("TYMover", {equation(fn("TYPower", {x(), num(2)}), num(4))})}));
    std::vector<int> kinds = offered(equationChoices);
    EXPECT_EQ(kinds.front(), kSolve);
    EXPECT_LE(kinds.size(), kMaxRecords);
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), kCheck), kinds.end());
    EXPECT_EQ(placementOf(equationChoices, kSimplifyInPlace), kReplaceParagraph);

    Expr integral = choicesFor(fn("TYMover", {fn("TYIntegrate", {x(), x()})}));
    EXPECT_EQ(offered(integral).front(), kIntegrate);

    Expr plot = choicesFor(fn("TYMover", {fn("TYTwoDPlot", {list({x()})})}));
    EXPECT_EQ(offered(plot), std::vector<int>{kPlot});
    EXPECT_EQ(placementOf(plot, kPlot), kIntoPlot);

    Expr letter = choicesFor(fn("TYMover", {sym("a")}));
    EXPECT_EQ(placementOf(letter, kDeclareConstant), kConstantOn);
    EXPECT_EQ(placementOf(letter, kNotConstant), -1);
    ASSERT_TRUE(kernel.request(fn("SetAttributes", {sym("a"), sym("Constant")})));
    Expr constant = choicesFor(fn("TYMover", {sym("a")}));
    EXPECT_EQ(placementOf(constant, kNotConstant), kConstantOff);
    EXPECT_EQ(placementOf(constant, kDeclareConstant), -1);
}

TEST(Preferences, ChangeTheAnswersThatFollow) {
    KernelHarness kernel;
    // Constants are not variables of a calculation: with a declared, t is the one.
    ASSERT_TRUE(kernel.request(fn("TYSetSessionPrefs", {sym("t"), sym("s"), num(20)})));
    ASSERT_TRUE(kernel.request(fn("SetAttributes", {sym("a"), sym("Constant")})));
    auto integral = kernel.request(evaluate(kIntegrate, times({sym("a"), sym("t")})));
    ASSERT_TRUE(integral);
    EXPECT_EQ(linearText(*integral), "a*t^2/2 + C_tyReplSub");
    auto derivative = kernel.request(evaluate(kDifferentiate, times({sym("a"), sym("t")})));
    ASSERT_TRUE(derivative);
    EXPECT_TRUE(*derivative == sym("a")) << linearText(*derivative);

    auto root = kernel.request(evaluate(kNumeric, fn("TYRadical", {num(2), num(2)})));
    ASSERT_TRUE(root);
    EXPECT_FALSE(root->machineReal);
    EXPECT_EQ(root->text.substr(0, 20), "1.414213562373095048");

    auto laplace = kernel.request(evaluate(kLaplace, sym("t")));
    ASSERT_TRUE(laplace);
    EXPECT_EQ(linearText(*laplace), "1/s^2");

    ASSERT_TRUE(kernel.request(
        fn("TYSetSortPriorities",
           {list({sym("True"), list({list({y(), num(5)}), list({x(), num(1)})})})})));
    auto sum = kernel.request(simplify(plus({x(), y()})));
    ASSERT_TRUE(sum);
    EXPECT_TRUE(*sum == plus({y(), x()})) << linearText(*sum);
    auto priorities = kernel.request(sym("tySortPriorities"));
    ASSERT_TRUE(priorities);
    EXPECT_EQ(linearText(*priorities), "{True, {{y, 5}, {x, 1}}}");
}

TEST(Preferences, OnlyConstantsDifferentiateToZeroInATotalDerivative) {
    KernelHarness kernel;
    const Expr product = fn("TYDt", {times({y(), x()}), x()});
    auto total = kernel.request(evaluate(kDifferentiate, product));
    ASSERT_TRUE(total);
    EXPECT_TRUE(*total == plus({times({x(), fn("TYDt", {y(), x()})}), y()})) << linearText(*total);
    ASSERT_TRUE(kernel.request(fn("SetAttributes", {y(), sym("Constant")})));
    auto constant = kernel.request(evaluate(kDifferentiate, product));
    ASSERT_TRUE(constant);
    EXPECT_TRUE(*constant == y()) << linearText(*constant);
    auto partial =
        kernel.request(evaluate(kDifferentiate, fn("TYD", {times({sym("b"), x()}), x()})));
    ASSERT_TRUE(partial);
    EXPECT_TRUE(*partial == sym("b")) << "a partial derivative holds every other letter still";
}

// The letters the editor's palette opens with checked are constant from the start, e and i
// being Euler's number and the imaginary unit; a sum, integral, limit or derivative that runs
// over one of them makes it its variable.
TEST(Preferences, ThePalettesLettersAreConstantButWhereTheyAreBound) {
    KernelHarness kernel;
    auto pow = [](Expr a, Expr b) { return fn("TYPower", {std::move(a), std::move(b)}); };
    const Expr e = sym("e");
    const Expr i = sym("i");
    struct Row {
        const char* name;
        Expr request;
        const char* answer;
    };
    const Row rows[] = {
        {"d/dx e^x", evaluate(kDifferentiate, fn("TYDt", {pow(e, x()), x()})), "E^x"},
        {"i^2", simplify(pow(i, num(2))), "-1"},
        {"d/dx (c x)", evaluate(kDifferentiate, fn("TYDt", {times({sym("c"), x()}), x()})), "c"},
        {"d/de e^2", simplify(fn("TYD", {pow(e, num(2)), e})), "2*e"},
        {"the integral of i from 0 to 2 in i",
         simplify(fn("TYIntegrate", {i, list({i, num(0), num(2)})})), "2"},
        {"the limit of e + 1 as e goes to 0",
         evaluate(kLimit, fn("TYLimit", {plus({e, num(1)}), fn("Rule", {e, num(0)})})), "1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto answer = kernel.request(row.request);
        ASSERT_TRUE(answer);
        EXPECT_EQ(linearText(*answer), row.answer);
    }
}

TEST(Lifecycle, QuitSuspendsAndEndsTheLoop) {
    KernelHarness kernel;
    auto answer = kernel.request(fn("Quit", {}));
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->isSymbol("$Suspended"));
    EXPECT_EQ(kernel.lastPacket, SUSPENDPKT);
    EXPECT_EQ(kernel.ended(), LoopEnd::Quit);
}

TEST(Lifecycle, AClosedLinkEndsTheLoop) {
    KernelHarness kernel;
    ASSERT_TRUE(kernel.request(simplify(x())));
    kernel.closeEditorLink();
    EXPECT_EQ(kernel.ended(), LoopEnd::Closed);
}

TEST(Lifecycle, AMalformedRequestIsAnsweredFailedAndTheNextOneServed) {
    KernelHarness kernel;
    QKLINK link = kernel.editorLink();
    ASSERT_TRUE(QKPutFunction(link, "EvaluatePacket", 2) && QKPutInteger(link, 1) &&
                QKPutInteger(link, 2) && QKEndPacket(link) && QKFlush(link));
    auto answer = kernel.answer();
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->isSymbol("$Failed"));
    auto next = kernel.request(simplify(plus({x(), x()})));
    ASSERT_TRUE(next);
    EXPECT_TRUE(*next == times({num(2), x()}));
}

} // namespace
} // namespace standin::testing
