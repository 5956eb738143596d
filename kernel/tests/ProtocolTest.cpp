// Every request of the package protocol: the packet it sends (head, argument count, argument
// order and forms) and how its answer is read.

#include "SessionFixture.h"
#include "expr/ExprSettings.h"

namespace kerneltest {
namespace {

using kernel::CandidateRecords;

struct ProtocolRow {
    const char* name;
    std::function<std::string(kernel::KernelSession&)> call; // the answer as text
    PipeKernel::Reply reply;
    const char* request;
    const char* answer;
};

std::string Records(kernel::KernelSession&, int32_t count, const CandidateRecords& records) {
    std::string text = std::to_string(count) + ":";
    for (int32_t i = 0; i < count; ++i) {
        const auto& r = records[static_cast<std::size_t>(i)];
        text += " {" + std::to_string(r.value) + "," + r.text.ToCString() + "," +
                std::to_string(r.second) + "}";
    }
    return text;
}

PipeKernel::Reply OneRecord() {
    return ReturnExpr([](QKLINK link) {
        QKPutFunction(link, "List", 1);
        QKPutFunction(link, "List", 3);
        QKPutInteger(link, 4);
        QKPutString(link, "Expand");
        QKPutInteger(link, 2);
    });
}

TEST_F(SessionTest, EachRequestSendsItsPacketAndReadsItsAnswer) {
    const ProtocolRow rows[] = {
        {"string evaluate", [](auto& s) { return TextOf(s.StringEvaluate(*Sym("x")).get()); },
         ReturnInteger(5), "EvaluatePacket[TYStringEvaluate[x]]", "5"},
        {"compute plot", [](auto& s) { return TextOf(s.ComputePlot(*Sym("x")).get()); },
         ReturnSymbol("done"), "EvaluatePacket[TYComputePlot[x]]", "done"},
        {"a cancelled plot is no plot",
         [](auto& s) { return TextOf(s.ComputePlot(*Sym("x")).get()); }, ReturnSymbol("$Canceled"),
         "EvaluatePacket[TYComputePlot[x]]", "<null>"},
        {"session preferences",
         [](auto& s) {
             s.SetSessionPrefs();
             return std::string("-");
         },
         ReturnSymbol("Null"), "EvaluatePacket[TYSetSessionPrefs[x, xi, 0]]", "-"},
        {"preferences with the default ordering",
         [](auto& s) {
             s.SetConstantsToBack(false);
             s.SetSessionPrefsWithOrdering();
             return std::string(s.ConstantsToBack() ? "back" : "front");
         },
         ReturnSymbol("Null"),
         "EvaluatePacket[TYSetSessionPrefs[x, xi, 0, tyDefaultSortPriorities]]", "back"},
        {"preferences with a saved ordering",
         [](auto& s) {
             std::vector<NodePtr> items;
             items.push_back(Sym("a"));
             s.SetSavedOrdering(List(std::move(items)), false);
             s.SetSessionPrefsWithOrdering();
             return std::string(s.ConstantsToBack() ? "back" : "front");
         },
         ReturnSymbol("Null"), "EvaluatePacket[TYSetSessionPrefs[x, xi, 0, List[a]]]", "front"},
        {"shuffle", [](auto& s) { return TextOf(s.Shuffle(3, *Sym("y")).get()); },
         ReturnSymbol("y"), "EvaluatePacket[TYShuffle[3, y]]", "y"},
        {"drop", [](auto& s) { return TextOf(s.Drop(2, *Sym("y"), *Sym("z")).get()); },
         ReturnSymbol("z"), "EvaluatePacket[TYDrop[2, y, z]]", "z"},
        {"evaluate shuffle",
         [](auto& s) {
             CandidateRecords r;
             return Records(s, s.EvaluateShuffle(*Sym("y"), r), r);
         },
         OneRecord(), "EvaluatePacket[TYEvaluateShuffle[y]]", "1: {4,Expand,2}"},
        {"evaluate drop",
         [](auto& s) {
             CandidateRecords r;
             return Records(s, s.EvaluateDrop(*Sym("y"), *Sym("z"), r), r);
         },
         OneRecord(), "EvaluatePacket[TYEvaluateDrop[y, z]]", "1: {4,Expand,2}"},
        {"evaluate", [](auto& s) { return TextOf(s.Evaluate(7, *Sym("y")).get()); },
         ReturnInteger(1), "EvaluatePacket[TYEvaluate[7, y]]", "1"},
        {"evaluate eval",
         [](auto& s) {
             CandidateRecords r;
             return Records(s, s.EvaluateEval(*Sym("y"), r), r);
         },
         OneRecord(), "EvaluatePacket[TYEvaluateEval[y]]", "1: {4,Expand,2}"},
        {"simplify", [](auto& s) { return TextOf(s.Simplify(*Sym("y")).get()); }, ReturnInteger(0),
         "EvaluatePacket[TYSimplify[y]]", "0"},
        {"sort priorities",
         [](auto& s) {
             std::vector<NodePtr> items;
             items.push_back(Sym("b"));
             s.SetSortPriorities(List(std::move(items)), false);
             return std::string(s.ConstantsToBack() ? "back" : "front");
         },
         ReturnSymbol("Null"), "EvaluatePacket[TYSetSortPriorities[List[b]]]", "front"},
        {"current sort priorities",
         [](auto& s) { return TextOf(s.GetSortPriorities(false).get()); }, ReturnSymbol("p"),
         "EvaluatePacket[tySortPriorities]", "p"},
        {"default sort priorities",
         [](auto& s) {
             s.SetConstantsToBack(false);
             NodePtr answer = s.GetSortPriorities(true);
             return TextOf(answer.get()) + (s.ConstantsToBack() ? " back" : " front");
         },
         ReturnSymbol("p"), "EvaluatePacket[tyDefaultSortPriorities]", "p back"},
        {"declare a constant",
         [](auto& s) {
             s.SetConstant('a', true);
             return std::string("-");
         },
         ReturnSymbol("Null"), "EvaluatePacket[SetAttributes[a, Constant]]", "-"},
        {"clear a constant",
         [](auto& s) {
             s.SetConstant('k', false);
             return std::string("-");
         },
         ReturnSymbol("Null"), "EvaluatePacket[ClearAttributes[k, Constant]]", "-"},
        {"next priority",
         [](auto& s) {
             std::vector<NodePtr> items;
             items.push_back(Int(3));
             items.push_back(Int(7));
             items.push_back(Int(5));
             return TextOf(s.NextPriority(*List(std::move(items))).get());
         },
         ReturnInteger(8), "EvaluatePacket[Plus[Part[Sort[List[3, 7, 5], Greater], 1], 1]]", "8"},
        {"standard form text", [](auto& s) { return s.ToStandardFormText(*Sym("y")); },
         ReturnString("\\!\\(Hold[y+1]\\)"), "ToString[Hold[y], StandardForm]", "\\(y+1\\)"},
    };
    for (const ProtocolRow& row : rows) {
        SCOPED_TRACE(row.name);
        kernel->Serve({row.reply});
        const std::string answer = row.call(session);
        const std::vector<std::string> requests = kernel->Requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.back(), row.request);
        EXPECT_EQ(answer, row.answer);
        EXPECT_FALSE(session.IsBusy());
        EXPECT_EQ(host.waitCursor, 0);
        EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    }
    EXPECT_EQ(kernel->Requests().size(), std::size(rows)) << "one packet per request";
}

// What the preferences and the term ordering decide about the display of answers is the
// session's from its start and follows every change: the digits of reals, constants drawn last
// (on at first), and the default and transform variables that answers name.
TEST_F(SessionTest, AnswersShowAsThePreferencesAndTheOrderingSay) {
    auto shown = [] { return CurrentExprSettings(); };
    EXPECT_EQ(shown().precision, 0);
    EXPECT_TRUE(shown().constantsToBack);
    EXPECT_EQ(shown().defaultVariable, "x");
    EXPECT_EQ(shown().transformVariable, "xi");

    kernel::SessionPrefs prefs = session.Prefs();
    prefs.precision = 12;
    prefs.defaultVariable = Str31("t");
    prefs.transformVariable = Str31("s");
    session.SetPrefs(prefs);
    EXPECT_EQ(shown().precision, 12);
    EXPECT_EQ(shown().defaultVariable, "t");
    kernel->Serve({ReturnSymbol("tyTransformVar")});
    EXPECT_EQ(TextOf(session.Simplify(*Sym("y")).get()), "s") << "the answer names the variable";

    const struct {
        const char* name;
        std::function<void()> change;
        bool back;
    } rows[] = {
        {"the Term Ordering turns it off",
         [&] { session.SetSortPriorities(List(std::vector<NodePtr>()), false); }, false},
        {"the kernel's default ordering turns it on", [&] { session.GetSortPriorities(true); },
         true},
        {"a saved ordering sent with the preferences",
         [&] {
             session.SetSavedOrdering(List(std::vector<NodePtr>()), false);
             session.SetSessionPrefsWithOrdering();
         },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        kernel->Serve({ReturnSymbol("Null")});
        row.change();
        EXPECT_EQ(shown().constantsToBack, row.back);
    }
}

TEST_F(SessionTest, OnlyTheUserCommandsShowTheWaitCursorAroundTheirRequest) {
    struct Row {
        const char* name;
        std::function<void(kernel::KernelSession&)> call;
        const char* history;
    };
    const Row rows[] = {
        {"simplify", [](auto& s) { s.Simplify(*Sym("x")); }, "+-"},
        {"evaluate", [](auto& s) { s.Evaluate(1, *Sym("x")); }, "+-"},
        {"code", [](auto& s) { s.StringEvaluate(*Sym("x")); }, "+-"},
        {"shuffle", [](auto& s) { s.Shuffle(1, *Sym("x")); }, "+-"},
        {"candidates",
         [](auto& s) {
             CandidateRecords r;
             s.EvaluateEval(*Sym("x"), r);
         },
         ""},
        {"preferences", [](auto& s) { s.SetSessionPrefs(); }, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.cursorHistory.clear();
        kernel->Serve({ReturnInteger(1)});
        row.call(session);
        kernel->Requests();
        EXPECT_EQ(host.cursorHistory, row.history);
    }
}

TEST_F(SessionTest, StandardFormTextKeepsTheLinearPartAndWrapsItOnce) {
    const struct {
        const char* answer;
        const char* text;
    } rows[] = {
        {"\\!\\(Hold[a+b]\\)", "\\(a+b\\)"},    // long: trimmed, then wrapped
        {"twelve chars", "\\(twelve chars\\)"}, // 12 characters stay whole
        {"ab", "\\(ab\\)"},                     // short: wrapped only
        {"123456789\\(x\\)123", "\\(x\\)"},     // already wrapped after trimming
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer);
        kernel->Serve({ReturnString(row.answer)});
        EXPECT_EQ(session.ToStandardFormText(*Sym("y")), row.text);
    }
}

} // namespace
} // namespace kerneltest
