// The packet loop between a request and its answer: the kernel's messages, its questions to the
// user, packets of other kinds, record lists, requests that must not be sent, link errors and
// the quit.

#include "SessionFixture.h"
#include "expr/LeafNodes.h"

namespace kerneltest {
namespace {

using kernel::CandidateRecords;
using kernel::KernelSession;

std::function<void(QKLINK)> SymbolArg(const char* name) {
    return [name](QKLINK link) { QKPutSymbol(link, name); };
}

TEST_F(SessionTest, KernelMessagesAreShownOnlyWhenWarningsAreWanted) {
    struct Row {
        const char* name;
        bool showWarnings;
        PipeKernel::Reply reply;
        std::vector<std::string> messages;
    };
    const Row rows[] = {
        {"message and text",
         true,
         Packets({Message("x is a bad name"), ReturnInteger(1)}),
         {"Oskaria returned an error: x is a bad name"}},
        {"message alone: the loop goes on with the packet it read",
         true,
         Packets({Message(nullptr), ReturnInteger(1)}),
         {"Oskaria returned an error: General Corvinet error."}},
        {"two messages",
         true,
         Packets({Message("first"), Message(nullptr), ReturnInteger(1)}),
         {"Oskaria returned an error: first",
          "Oskaria returned an error: General Corvinet error."}},
        {"warnings off", false, Packets({Message("x is a bad name"), ReturnInteger(1)}), {}},
        {"other packets are skipped",
         true,
         Packets({OtherPacket("TextPacket"), OtherPacket("DisplayPacket"), ReturnInteger(1)}),
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.messages.clear();
        kernel::SessionPrefs prefs = session.Prefs();
        prefs.showWarnings = row.showWarnings;
        session.SetPrefs(prefs);
        kernel->Serve({row.reply});
        NodePtr answer = session.Simplify(*Sym("x"));
        EXPECT_EQ(TextOf(answer.get()), "1");
        EXPECT_EQ(host.messages, row.messages);
        EXPECT_TRUE(session.IsConnected());
    }
}

TEST_F(SessionTest, TheKernelsQuestionsAreAnsweredOrCancelledAndSomeAreNotAnswered) {
    struct Row {
        const char* name;
        int32_t number;
        bool userAnswers;
        const char* sent; // what the kernel reads back; null: nothing
        bool asked;       // the user saw the question
    };
    const Row rows[] = {
        {"choose an option", 3, true, "chosen", true},
        {"cancelled", 3, false, "$Canceled", true},
        {"edit an expression", 1, false, "$Canceled", true},
        {"select a subexpression", 2, true, "chosen", true},
        {"choose from a list", 5, false, "$Canceled", true},
        {"show a message", 6, true, "chosen", true},
        {"request 4 gets an empty packet", 4, true, nullptr, false},
        {"an unknown request gets an empty packet", 9, true, nullptr, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.kernelRequests.clear();
        std::string argument;
        host.onKernelRequest = [&](int32_t, NodePtr arg) -> NodePtr {
            argument = TextOf(arg.get());
            return row.userAnswers ? Sym("chosen") : nullptr;
        };
        std::vector<std::string> answers;
        // An empty packet carries nothing the kernel could read: that nothing was sent shows
        // in the next request arriving whole.
        kernel->Serve(
            {Packets({Question(row.number, SymbolArg("question"), row.sent ? &answers : nullptr),
                      ReturnInteger(2)}),
             ReturnInteger(4)});
        NodePtr answer = session.Evaluate(1, *Sym("x"));
        NodePtr next = session.Simplify(*Sym("z"));
        const std::vector<std::string> requests = kernel->Requests();
        EXPECT_EQ(TextOf(answer.get()), "2");
        EXPECT_EQ(TextOf(next.get()), "4");
        EXPECT_EQ(requests.back(), "EvaluatePacket[TYSimplify[z]]");
        if (row.sent) {
            EXPECT_EQ(answers, std::vector<std::string>{row.sent});
        }
        EXPECT_EQ(host.kernelRequests.size(), row.asked ? 1u : 0u);
        if (row.asked) {
            EXPECT_EQ(argument, "question");
        }
    }
}

TEST_F(SessionTest, NoRequestLeavesWhileAnotherWaitsForItsAnswer) {
    // The kernel's question arrives while the first request waits: anything the person does
    // meanwhile finds the session busy and sends nothing.
    std::vector<std::string> answers;
    std::string nested;
    int32_t nestedCount = -1;
    std::string nestedText;
    host.onKernelRequest = [&](int32_t, NodePtr) -> NodePtr {
        EXPECT_TRUE(session.IsBusy());
        EXPECT_TRUE(session.CheckBusy());
        nested = TextOf(session.Simplify(*Sym("y")).get());
        CandidateRecords records;
        records[0].value = 9;
        nestedCount = session.EvaluateEval(*Sym("y"), records);
        EXPECT_EQ(records[0].value, 0);
        nestedText = session.ToStandardFormText(*Sym("y"));
        session.SetConstant('a', true);
        EXPECT_EQ(TextOf(session.GetSortPriorities(false).get()), "Error");
        std::vector<NodePtr> items;
        items.push_back(Int(3));
        EXPECT_EQ(TextOf(session.NextPriority(*List(std::move(items))).get()), "1");
        return nullptr;
    };
    kernel->Serve({Packets({Question(3, SymbolArg("q"), &answers), ReturnInteger(2)})});
    EXPECT_EQ(TextOf(session.Simplify(*Sym("x")).get()), "2");
    EXPECT_EQ(nested, "Error");
    EXPECT_EQ(nestedCount, 1);
    EXPECT_EQ(nestedText, "Error");
    EXPECT_EQ(kernel->Requests(), std::vector<std::string>{"EvaluatePacket[TYSimplify[x]]"});
    EXPECT_EQ(answers, std::vector<std::string>{"$Canceled"});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], ::KernelSession::kBusyMessage);
    EXPECT_FALSE(session.CheckBusy());
}

TEST_F(SessionTest, RecordListsFillAtMostSixteenRecordsAndReadDamagedOnesSafely) {
    auto records = [](std::vector<std::function<void(QKLINK)>> elements) {
        return ReturnExpr([elements](QKLINK link) {
            QKPutFunction(link, "List", static_cast<int32_t>(elements.size()));
            for (const auto& element : elements)
                element(link);
        });
    };
    auto record = [](std::vector<std::function<void(QKLINK)>> items) {
        return [items](QKLINK link) {
            QKPutFunction(link, "List", static_cast<int32_t>(items.size()));
            for (const auto& item : items)
                item(link);
        };
    };
    auto integer = [](int32_t n) { return [n](QKLINK link) { QKPutInteger(link, n); }; };
    auto string = [](const char* s) { return [s](QKLINK link) { QKPutString(link, s); }; };
    std::vector<std::function<void(QKLINK)>> twenty;
    for (int i = 0; i < 20; ++i)
        twenty.push_back(record({integer(i), string("r"), integer(100 + i)}));

    struct Row {
        const char* name;
        PipeKernel::Reply reply;
        int32_t count;
        std::vector<std::string> records; // value|text|second
    };
    const Row rows[] = {
        {"full records",
         records({record({integer(3), string("Expand"), integer(1)}),
                  record({integer(5), string("Factor"), integer(0)})}),
         2,
         {"3|Expand|1", "5|Factor|0"}},
        {"no text", records({record({integer(3)})}), 1, {"3|???|0"}},
        {"no second value", records({record({integer(3), string("Expand")})}), 1, {"3|Expand|0"}},
        {"a second value that is no integer",
         records({record({integer(3), string("Expand"), string("x")})}),
         1,
         {"3|Expand|0"}},
        {"an element that is no record", records({string("loose")}), 1, {"0|???|0"}},
        {"a record without an integer first",
         records({record({string("a"), string("b"), integer(1)})}),
         1,
         {"0|???|0"}},
        {"twenty records", records(twenty), 16, {"0|r|100", "15|r|115"}},
        {"an empty list is one empty record", records({}), 1, {"0||0"}},
        {"no list at all", ReturnSymbol("$Failed"), 1, {"0||0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CandidateRecords out;
        for (auto& r : out) {
            r.value = 77;
            r.second = 77;
            r.text = std::string_view("stale");
        }
        kernel->Serve({row.reply});
        EXPECT_EQ(session.EvaluateEval(*Sym("x"), out), row.count);
        auto shown = [&](std::size_t i) {
            return std::to_string(out[i].value) + "|" + out[i].text.ToCString() + "|" +
                   std::to_string(out[i].second);
        };
        EXPECT_EQ(shown(0), row.records.front());
        if (row.records.size() > 1) {
            EXPECT_EQ(shown(static_cast<std::size_t>(row.count - 1)), row.records.back());
        }
    }
}

TEST_F(SessionTest, GarbledAnswersAreReportedAndTheSessionStaysInStep) {
    struct Row {
        const char* name;
        PipeKernel::Reply reply;
        const char* answer;
        std::size_t messages;
    };
    const Row rows[] = {
        {"an expression more than a return holds", ReturnExpr([](QKLINK link) {
             QKPutInteger(link, 1);
             QKPutInteger(link, 2);
         }),
         "1", 0},
        {"a return without its expression",
         [](QKLINK link) {
             QKPutFunction(link, "ReturnPacket", 0);
             QKEndPacket(link);
         },
         "Error", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        host.messages.clear();
        kernel->Serve({row.reply, ReturnInteger(3)});
        EXPECT_EQ(TextOf(session.Simplify(*Sym("x")).get()), row.answer);
        // The next request gets its own answer.
        EXPECT_EQ(TextOf(session.Simplify(*Sym("y")).get()), "3");
        EXPECT_LE(host.messages.size(), row.messages + 1);
        EXPECT_GE(host.messages.size(), row.messages);
        for (const std::string& message : host.messages)
            EXPECT_EQ(message.rfind(KernelSession::kLinkErrorPrefix, 0), 0u) << message;
        EXPECT_TRUE(session.IsConnected());
    }
}

TEST_F(SessionTest, APacketOfNoKnownKindEndsTheRequestAndClosesTheLink) {
    // Alone, nothing follows it: the request must not wait for an answer that never comes. And
    // an answer after it cannot be told from the next request's: the link goes either way.
    const PipeKernel::Reply rows[] = {
        OtherPacket("GarblePacket"),
        Packets({OtherPacket("GarblePacket"), ReturnInteger(1)}),
    };
    for (const PipeKernel::Reply& reply : rows) {
        SCOPED_TRACE(&reply == &rows[0] ? "alone" : "before an answer");
        host.messages.clear();
        host.paletteOpen = true;
        kernel->Serve({reply});
        EXPECT_EQ(session.Simplify(*Sym("x"))->TypeTag(), TypeTag("errN"));
        EXPECT_FALSE(session.IsBusy());
        EXPECT_FALSE(session.IsConnected());
        EXPECT_FALSE(host.paletteOpen);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].rfind(KernelSession::kLinkErrorPrefix, 0), 0u)
            << host.messages[0];
        EXPECT_EQ(session.LastError(), QKERR_UNKNOWN_PACKET);
        // Nothing more is sent; a new kernel can be started.
        EXPECT_EQ(session.Simplify(*Sym("y"))->TypeTag(), TypeTag("errN"));
        EXPECT_EQ(host.messages.size(), 1u);
        kernel->Requests();
        kernel->CloseKernelSide();
        kernel = std::make_unique<PipeKernel>(env);
        session.AttachLink(kernel->TakeEditorLink());
        ASSERT_TRUE(session.IsConnected());
    }
}

TEST_F(SessionTest, AKernelThatGoesAwayMidRequestClosesTheSession) {
    // The document asks through its own interface.
    Installed<::KernelSession> installed(gKernelSession, &session);
    EXPECT_TRUE(IsKernelConnected());
    host.paletteOpen = true;
    kernel->Serve({GoAway()});
    NodePtr answer = session.Simplify(*Sym("x"));
    EXPECT_EQ(answer->TypeTag(), TypeTag("errN"));
    EXPECT_FALSE(session.IsConnected());
    EXPECT_FALSE(session.IsBusy());
    EXPECT_FALSE(host.paletteOpen);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind(KernelSession::kLinkErrorPrefix, 0), 0u) << host.messages[0];
    EXPECT_EQ(session.LastError(), QKERR_PEER_CLOSED);
    EXPECT_FALSE(IsKernelConnected());
    EXPECT_FALSE(IsKernelBusy());
    // Later requests are refused without a word.
    EXPECT_EQ(session.Simplify(*Sym("x"))->TypeTag(), TypeTag("errN"));
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(SessionTest, WithoutAKernelNothingIsSentAndTheRefusalsAnswerTheirDefaults) {
    kernel->Serve({GoAway()});
    session.Simplify(*Sym("x"));
    ASSERT_FALSE(session.IsConnected());
    host.messages.clear();
    CandidateRecords records;
    records[0].value = 5;
    EXPECT_EQ(session.EvaluateDrop(*Sym("x"), *Sym("y"), records), 1);
    EXPECT_EQ(records[0].value, 0);
    EXPECT_EQ(session.ToStandardFormText(*Sym("x")), "Error");
    EXPECT_EQ(session.ComputePlot(*Sym("x"))->TypeTag(), TypeTag("errN"));
    session.SetConstant('a', true);
    session.SetSessionPrefs();
    std::vector<NodePtr> items;
    items.push_back(Sym("a"));
    session.SetSortPriorities(List(std::move(items)), false);
    EXPECT_FALSE(session.ConstantsToBack()) << "the flag is kept even when nothing is sent";
    EXPECT_FALSE(session.CheckBusy());
    session.Interrupt();
    session.Quit(true);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(SessionTest, QuitDrainsToTheSuspendPacketWithoutAnsweringQuestions) {
    std::vector<std::string> answers;
    host.paletteOpen = true;
    kernel->Serve({Packets({[](QKLINK link) {
                                QKPutFunction(link, "CallPacket", 2);
                                QKPutInteger(link, 3);
                                QKPutSymbol(link, "q");
                                QKEndPacket(link);
                            },
                            ReturnInteger(1),
                            [](QKLINK link) {
                                QKPutFunction(link, "SuspendPacket", 0);
                                QKEndPacket(link);
                            }})});
    session.Quit(true);
    EXPECT_EQ(kernel->Requests(), std::vector<std::string>{"EvaluatePacket[Quit[]]"});
    EXPECT_TRUE(host.kernelRequests.empty());
    EXPECT_FALSE(session.IsConnected());
    EXPECT_FALSE(host.paletteOpen);
    EXPECT_TRUE(host.messages.empty()) << "a local kernel has no minutes to report";
}

} // namespace
} // namespace kerneltest
