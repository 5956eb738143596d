#include "NodeCases.h"
#include "expr/ExprSettings.h"
#include "expr/LinkReader.h"
#include "expr/PowerNode.h"

#include <cstring>
#include <limits>

namespace exprtest {
namespace {

// What a kernel sends, put with the interface-1 build's put side.
using Sender = std::function<void(QKLINK)>;

void Number(QKLINK link, int32_t token, const char* text) {
    QKPutNext(link, token);
    QKPutSize(link, static_cast<int32_t>(std::strlen(text)));
    QKPutData(link, text, static_cast<int32_t>(std::strlen(text)));
}

// Log[x], or Log[base, x] for a base above 0.
Sender Log(int32_t base) {
    return [base](QKLINK l) {
        QKPutFunction(l, "Log", base > 0 ? 2 : 1);
        if (base > 0) QKPutLongInteger(l, base);
        QKPutSymbol(l, "x");
    };
}

struct ReadCase {
    const char* name;
    Sender send;
    const char* tag;   // the tree's root class
    const char* own;   // the tree written back in the program's own form
    const char* boxes; // null: not checked
};

const ReadCase kReads[] = {
    {"nine-character integer", [](QKLINK l) { Number(l, QKTOK_INTEGER, "-12345678"); }, "intN",
     "-12345678", nullptr},
    {"ten-character integer", [](QKLINK l) { Number(l, QKTOK_INTEGER, "1234567890"); }, "intN",
     "1234567890", nullptr},
    {"machine integer", [](QKLINK l) { QKPutLongInteger(l, -7); }, "intN", "-7", nullptr},
    {"fifteen-character real", [](QKLINK l) { Number(l, QKTOK_REAL, "3.1415926535897"); }, "reaN",
     "R:3.1415926535896999", nullptr},
    {"sixteen-character real", [](QKLINK l) { Number(l, QKTOK_REAL, "3.14159265358979"); }, "reaN",
     "R:3.14159265358979", "3.14159265358979"},
    {"machine real", [](QKLINK l) { QKPutDouble(l, 0.25); }, "reaN", "R:.25", nullptr},
    // The link writes a double with 17 digits and without the zero before a leading point.
    {"long real below one", [](QKLINK l) { QKPutDouble(l, 0.8268218104318059); }, "reaN",
     "R:0.82682181043180591", "0.8268218104318059"},
    {"long negative real below one", [](QKLINK l) { Number(l, QKTOK_REAL, "-.1234567890123456"); },
     "reaN", "R:-0.1234567890123456", "-0.1234567890123456"},
    {"string", [](QKLINK l) { QKPutString(l, "a\\tb"); }, "strN", "\"a b\"", nullptr},
    {"own symbol", [](QKLINK l) { QKPutSymbol(l, "myVar"); }, "symN", "myVar", nullptr},
    {"default variable", [](QKLINK l) { QKPutSymbol(l, "tyDefaultVar"); }, "symN", "x", nullptr},
    {"plus-or-minus", [](QKLINK l) { QKPutSymbol(l, "plusMinus"); }, "node", "plusMinus", nullptr},
    {"sum",
     [](QKLINK l) {
         QKPutFunction(l, "TYPlus", 2);
         QKPutSymbol(l, "a");
         QKPutLongInteger(l, 2);
     },
     "sumN", "TYPlus[a, 2]", "a + 2"},
    {"kernel power with a negative exponent",
     [](QKLINK l) {
         QKPutFunction(l, "TYPower", 2);
         QKPutSymbol(l, "x");
         QKPutLongInteger(l, -2);
     },
     "node", "TYPower[x, -2]", nullptr},
    {"complex with real part zero",
     [](QKLINK l) {
         QKPutFunction(l, "Complex", 2);
         QKPutLongInteger(l, 0);
         QKPutLongInteger(l, 2);
     },
     "prdN", "TYTimes[2, I]", nullptr},
    {"complex with a real zero",
     [](QKLINK l) {
         QKPutFunction(l, "Complex", 2);
         QKPutDouble(l, 0.0);
         QKPutLongInteger(l, 2);
     },
     "sumN", "TYPlus[R:0.0, TYTimes[2, I]]", nullptr},
    {"natural logarithm", Log(0), "funN", "TYLog[x]", "ln x"},
    {"logarithm to base two", Log(2), "funN", "TYLog[2, x]", "logSubs{2}Bracket{x}"},
    {"wrapper stands for its argument",
     [](QKLINK l) {
         QKPutFunction(l, "Hold", 1);
         QKPutSymbol(l, "x");
     },
     "symN", "x", nullptr},
    {"directed infinity without direction",
     [](QKLINK l) { QKPutFunction(l, "TYDirectedInfinity", 0); }, "symN", "Infinity", nullptr},
    {"directed infinity",
     [](QKLINK l) {
         QKPutFunction(l, "TYDirectedInfinity", 1);
         QKPutLongInteger(l, -1);
     },
     "prdN", "TYTimes[-1, Infinity]", nullptr},
    {"unknown head",
     [](QKLINK l) {
         QKPutFunction(l, "Foo", 2);
         QKPutSymbol(l, "x");
         QKPutSymbol(l, "y");
     },
     "funN", "Foo[x, y]", "FooBracket{x,y}"},
    {"function of the table",
     [](QKLINK l) {
         QKPutFunction(l, "Sin", 1);
         QKPutSymbol(l, "x");
     },
     "funN", "TYSin[x]", "sin x"},
    {"list",
     [](QKLINK l) {
         QKPutFunction(l, "List", 2);
         QKPutLongInteger(l, 1);
         QKPutLongInteger(l, 2);
     },
     "lisN", "List[1, 2]", "Matr{Row{1|2}}"},
    {"rule",
     [](QKLINK l) {
         QKPutFunction(l, "Rule", 2);
         QKPutSymbol(l, "x");
         QKPutLongInteger(l, 2);
     },
     "rulN", "Rule[x, 2]", "x <x9C> 2"},
    {"residue",
     [](QKLINK l) {
         QKPutFunction(l, "TYMod", 2);
         QKPutSymbol(l, "a");
         QKPutLongInteger(l, 3);
     },
     "modN", "TYMod[a, 3]", "a mod 3"},
    {"radical",
     [](QKLINK l) {
         QKPutFunction(l, "TYRadical", 2);
         QKPutSymbol(l, "x");
         QKPutLongInteger(l, 3);
     },
     "radN", "TYRadical[x, 3]", "Root{x|3}"},
    {"inverse transform",
     [](QKLINK l) {
         QKPutFunction(l, "TYInverseLaplaceTransform", 3);
         QKPutSymbol(l, "f");
         QKPutSymbol(l, "s");
         QKPutSymbol(l, "t");
     },
     "funN", nullptr, nullptr},
    {"graphics read as an application",
     [](QKLINK l) {
         QKPutFunction(l, "Graphics", 1);
         QKPutFunction(l, "List", 0);
     },
     "funN", "Graphics[List[]]", nullptr},
};

class Reader : public NodeTest {
protected:
    // One packet: what `send` puts, then the symbol "after" where asked.
    void Send(const Sender& send, bool after = false) {
        send(link);
        if (after) QKPutSymbol(link, "after");
        EXPECT_TRUE(QKEndPacket(link));
        EXPECT_TRUE(QKFlush(link));
    }
    NodePtr Read(const Sender& send) {
        Send(send);
        LinkReader reader(link);
        NodePtr node = reader.ReadExpr();
        EXPECT_FALSE(reader.Failed());
        return node;
    }
    // Reads what `send` puts and checks that the symbol sent behind it arrives whole, with no
    // failure: the first expression took exactly its own tokens. Answers the first expression.
    NodePtr ReadBeforeAfter(const Sender& send) {
        Send(send, true);
        LinkReader reader(link);
        NodePtr first = reader.ReadExpr();
        EXPECT_EQ(Own(*reader.ReadExpr()), "after");
        EXPECT_FALSE(reader.Failed());
        return first;
    }
};

TEST_F(Reader, BuildsTheClassThatFitsTheAnswer) {
    for (const ReadCase& row : kReads) {
        SCOPED_TRACE(row.name);
        NodePtr node = Read(row.send);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->TypeTag(), ::TypeTag(row.tag));
        if (row.own) {
            EXPECT_EQ(Own(*node), row.own);
        }
        if (row.boxes) {
            EXPECT_EQ(BoxesOf(*Read(row.send)), row.boxes);
        }
    }
}

// The reader follows the text: nine characters stay a machine number, ten keep their digits.
TEST_F(Reader, LongNumbersKeepTheirText) {
    NodePtr integer = Read([](QKLINK l) { Number(l, QKTOK_INTEGER, "12345678901234567890"); });
    ASSERT_NE(dynamic_cast<IntegerNode*>(integer.get()), nullptr);
    NodePtr small = Read([](QKLINK l) { Number(l, QKTOK_INTEGER, "123456789"); });
    EXPECT_NE(dynamic_cast<MachineIntegerNode*>(small.get()), nullptr);
    NodePtr real = Read([](QKLINK l) { Number(l, QKTOK_REAL, "3.14159265358979"); });
    EXPECT_NE(dynamic_cast<RealNode*>(real.get()), nullptr);
    LinkReader plain(link);
    plain.SetPlainReals(true);
    Number(link, QKTOK_REAL, "3.14159265358979");
    QKEndPacket(link);
    QKFlush(link);
    EXPECT_NE(dynamic_cast<MachineRealNode*>(plain.ReadExpr().get()), nullptr);
}

TEST_F(Reader, BaseTenLogarithmIsPlainLog) {
    NodePtr log = Read([](QKLINK l) {
        QKPutFunction(l, "Log", 2);
        QKPutLongInteger(l, 10);
        QKPutSymbol(l, "x");
    });
    EXPECT_EQ(BoxesOf(*log), "log x");
    // Only the integer ten: a real base is a base like any other.
    NodePtr real = Read([](QKLINK l) {
        QKPutFunction(l, "Log", 2);
        QKPutDouble(l, 10.0);
        QKPutSymbol(l, "x");
    });
    EXPECT_EQ(BoxesOf(*real), "logSubs{10}Bracket{x}");
}

// A logarithm read from the kernel and written back must mean what it meant: a display of
// "log x" stands for base 10, so it may not go back as the one-argument (natural) logarithm.
struct LogCase {
    const char* name;
    Sender send;
    const char* boxes;
    const char* own;
    const char* standard;
};

const LogCase kLogRoundTrips[] = {
    {"natural", Log(0), "ln x", "TYLog[x]", "Log[x]"},
    {"base ten", Log(10), "log x", "TYLog[10, x]", "Log[10, x]"},
    {"base ten of a sum",
     [](QKLINK l) {
         QKPutFunction(l, "Log", 2);
         QKPutLongInteger(l, 10);
         QKPutFunction(l, "TYPlus", 2);
         QKPutSymbol(l, "x");
         QKPutLongInteger(l, 1);
     },
     "logParen{x + 1}", "TYLog[10, TYPlus[x, 1]]", "Log[10, Plus[x, 1]]"},
    {"base two", Log(2), "logSubs{2}Bracket{x}", "TYLog[2, x]", "Log[2, x]"},
    {"symbolic base",
     [](QKLINK l) {
         QKPutFunction(l, "Log", 2);
         QKPutSymbol(l, "b");
         QKPutSymbol(l, "x");
     },
     "logSubs{b}Bracket{x}", "TYLog[b, x]", "Log[b, x]"},
};

TEST_F(Reader, LogarithmsKeepTheirBaseThroughARoundTrip) {
    for (const LogCase& row : kLogRoundTrips) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(BoxesOf(*Read(row.send)), row.boxes);
        NodePtr node = Read(row.send);
        EXPECT_EQ(Own(*node), row.own);
        EXPECT_EQ(Standard(*node), row.standard);
        // What went out comes back as the same display.
        node->PutToLink(link, kNoMarkers);
        NodePtr again = Read([](QKLINK) {});
        EXPECT_EQ(BoxesOf(*again), row.boxes);
    }
}

// The kernel's answers keep their grouping wherever they are written: the boxes group by the
// levels of their places, and so must the text and MathML, or a - (b + c) reads a - b + c.
TEST_F(Reader, AnswersKeepTheirGroupingInTextAndMathML) {
    struct Row {
        const char* name;
        Sender send;
        const char* text;
        const char* mathml;
    };
    const auto sumOf = [](QKLINK l, const char* a, const char* b) {
        QKPutFunction(l, "Plus", 2);
        QKPutSymbol(l, a);
        QKPutSymbol(l, b);
    };
    // clang-format off
    const Row rows[] = {
        {"a difference of a sum",
         [&](QKLINK l) {
             QKPutFunction(l, "Plus", 2);
             QKPutSymbol(l, "a");
             QKPutFunction(l, "Times", 2);
             QKPutLongInteger(l, -1);
             sumOf(l, "b", "c");
         },
         "a - (b + c)",
         "<mrow><mi>a</mi><mo>-</mo><mrow><mo>(</mo><mrow><mi>b</mi><mo>+</mo>"
         "<mi>c</mi></mrow><mo>)</mo></mrow></mrow>"},
        {"a factorial of a sum",
         [&](QKLINK l) {
             QKPutFunction(l, "Factorial", 1);
             sumOf(l, "a", "b");
         },
         "(a + b)!",
         "<mrow><mrow><mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow>"
         "<mo>)</mo></mrow><mo>!</mo></mrow>"},
        {"a product of sums",
         [&](QKLINK l) {
             QKPutFunction(l, "Times", 2);
             sumOf(l, "a", "b");
             sumOf(l, "c", "d");
         },
         "(a + b) (c + d)",
         "<mrow><mrow><mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow>"
         "<mo>)</mo></mrow><mo>&InvisibleTimes;</mo><mrow><mo>(</mo><mrow><mi>c</mi>"
         "<mo>+</mo><mi>d</mi></mrow><mo>)</mo></mrow></mrow>"},
        {"a power of a sum",
         [&](QKLINK l) {
             QKPutFunction(l, "Power", 2);
             sumOf(l, "a", "b");
             QKPutLongInteger(l, 2);
         },
         "(a + b)^2",
         "<msup><mrow><mo>(</mo><mrow><mi>a</mi><mo>+</mo><mi>b</mi></mrow>"
         "<mo>)</mo></mrow><mn>2</mn></msup>"},
        // Where the meaning needs none, none is added.
        {"a sum in a sum",
         [&](QKLINK l) {
             QKPutFunction(l, "Plus", 2);
             QKPutSymbol(l, "a");
             sumOf(l, "b", "c");
         },
         "a + b + c",
         "<mrow><mi>a</mi><mo>+</mo><mrow><mi>b</mi><mo>+</mo><mi>c</mi></mrow></mrow>"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const NodePtr answer = Read(row.send);
        EXPECT_EQ(treecheck::WritingProblem(*answer), "");
        EXPECT_EQ(Text(*answer), row.text);
        EXPECT_EQ(MathML(*Read(row.send)), row.mathml);
    }
}

// Writing the text is no edit: the tree the session sends on afterwards is the one it read.
TEST_F(Reader, WritingTheTextLeavesTheAnswerAsItWas) {
    const NodePtr answer = Read([](QKLINK l) {
        QKPutFunction(l, "Plus", 2);
        QKPutSymbol(l, "a");
        QKPutFunction(l, "Times", 2);
        QKPutLongInteger(l, -1);
        QKPutSymbol(l, "b");
    });
    const std::string before = Own(*answer);
    EXPECT_EQ(before, "TYPlus[a, TYTimes[-1, b]]");
    EXPECT_EQ(Text(*answer), "a - b");
    EXPECT_EQ(Text(*answer), "a - b");
    EXPECT_EQ(Own(*answer), before);
}

// A number token whose text is no number stands as an error node, whatever its length, and
// the answer after it is read whole: it would otherwise go back out as it came.
TEST_F(Reader, NumberTextThatIsNoNumberIsAnError) {
    struct Row {
        int32_t token;
        const char* text;
    };
    const Row rows[] = {{QKTOK_INTEGER, "12]x'34567890"},
                        {QKTOK_INTEGER, "1-2"},
                        {QKTOK_REAL, "1.2.3"},
                        {QKTOK_REAL, "e5"},
                        {QKTOK_REAL, "1.5e"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        NodePtr node = ReadBeforeAfter([&](QKLINK l) { Number(l, row.token, row.text); });
        EXPECT_EQ(node->TypeTag(), TypeTag("errN"));
    }
    // Blanks, signs, points and exponents as numbers carry them are numbers.
    for (const char* text : {" -1.5e+3", "+.5", "7.", "2.5*^-4", "1.25`20"}) {
        SCOPED_TRACE(text);
        NodePtr node = ReadBeforeAfter([&](QKLINK l) { Number(l, QKTOK_REAL, text); });
        EXPECT_EQ(node->TypeTag(), TypeTag("reaN"));
    }
}

// Plot data keeps undefined points as NaN; written back, such values are the kernel's words
// for them, which read back as what was written, never as digits no peer reads.
TEST_F(Reader, NonFiniteMachineRealsGoOutAsTheKernelsWords) {
    struct Row {
        double value;
        const char* own;
        const char* standard;
    };
    const double infinity = std::numeric_limits<double>::infinity();
    const Row rows[] = {
        {std::numeric_limits<double>::quiet_NaN(), "Indeterminate", "Indeterminate"},
        {infinity, "Infinity", "Infinity"},
        {-infinity, "TYTimes[-1, Infinity]", "Times[-1, Infinity]"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.own);
        const MachineRealNode node(row.value);
        EXPECT_EQ(Own(node), row.own);
        EXPECT_EQ(Standard(node), row.standard);
        for (const bool standard : {false, true})
            EXPECT_EQ(treecheck::LinkProblem(node, standard), "");
    }
}

// Surplus arguments are read and dropped, so the next expression is read whole.
TEST_F(Reader, ConsumesExactlyTheAnnouncedArguments) {
    const Sender surplus[] = {
        [](QKLINK l) {
            QKPutFunction(l, "Hold", 3);
            QKPutSymbol(l, "x");
            QKPutFunction(l, "f", 1);
            QKPutSymbol(l, "y");
            QKPutSymbol(l, "z");
        },
        [](QKLINK l) {
            QKPutFunction(l, "TYMod", 3);
            QKPutSymbol(l, "x");
            QKPutSymbol(l, "y");
            QKPutSymbol(l, "z");
        },
        [](QKLINK l) {
            QKPutFunction(l, "TYFactorial", 2);
            QKPutSymbol(l, "x");
            QKPutSymbol(l, "y");
        },
        [](QKLINK l) { QKPutFunction(l, "TYMod", 0); },
        [](QKLINK l) {
            QKPutFunction(l, "Rule", 1);
            QKPutSymbol(l, "x");
        },
    };
    for (const Sender& send : surplus) {
        NodePtr first = ReadBeforeAfter(send);
        ASSERT_NE(first, nullptr);
        Str255 text;
        first->WriteText(text); // missing children are handled
    }
}

TEST_F(Reader, DeepNestingIsSkippedAndTheLinkStaysInStep) {
    constexpr int32_t kDepth = 3000;
    for (int32_t i = 0; i < kDepth; ++i)
        QKPutFunction(link, "f", 1);
    QKPutSymbol(link, "x");
    QKPutSymbol(link, "after");
    ASSERT_TRUE(QKEndPacket(link));
    ASSERT_TRUE(QKFlush(link));
    LinkReader reader(link);
    NodePtr deep = reader.ReadExpr();
    ASSERT_NE(deep, nullptr);
    EXPECT_FALSE(reader.Failed());
    EXPECT_EQ(Own(*reader.ReadExpr()), "after");
}

// An answer cut short ends the read at the first link error: the tree holds what arrived and
// error nodes for the rest, and nothing more is asked of the link.
TEST_F(Reader, TruncatedAnswerEndsInErrorNodes) {
    QKPutFunction(link, "TYPlus", 3);
    QKPutSymbol(link, "a");
    ASSERT_TRUE(QKEndPacket(link));
    ASSERT_TRUE(QKFlush(link));
    LinkReader reader(link);
    NodePtr sum = reader.ReadExpr();
    EXPECT_TRUE(reader.Failed());
    ASSERT_NE(sum, nullptr);
    EXPECT_EQ(sum->ChildCount(), 2);
    EXPECT_EQ(sum->LastChild()->TypeTag(), ::TypeTag("errN"));
    EXPECT_EQ(reader.ReadExpr()->TypeTag(), ::TypeTag("errN"));
}

// A count no peer can fill stops at the first error instead of building that many nodes.
TEST_F(Reader, HugeCountStopsAtTheFirstError) {
    QKPutFunction(link, "List", 2147483647);
    QKPutLongInteger(link, 1);
    ASSERT_TRUE(QKEndPacket(link));
    ASSERT_TRUE(QKFlush(link));
    LinkReader reader(link);
    NodePtr list = reader.ReadExpr();
    EXPECT_TRUE(reader.Failed());
    EXPECT_LE(list->ChildCount(), 2);
}

// Stands in for the kernel session: records each report with the link's error at that moment,
// and closes the link as the session does when asked to.
class RecordingHandler : public LinkErrorHandler {
public:
    explicit RecordingHandler(QKLINK* owned = nullptr) : m_owned(owned) {}
    void HandleLinkError(QKLINK failed) override {
        calls.push_back({failed, QKError(failed)});
        if (m_owned && *m_owned == failed) {
            QKClose(failed);
            *m_owned = nullptr;
        }
    }
    struct Call {
        QKLINK link;
        int32_t error;
    };
    std::vector<Call> calls;

private:
    QKLINK* m_owned;
};

struct FailureCase {
    const char* name;
    Sender send;
};

// Answers that break off: each ends the read at a link failure.
const FailureCase kBrokenAnswers[] = {
    {"sum missing its last terms",
     [](QKLINK l) {
         QKPutFunction(l, "TYPlus", 3);
         QKPutSymbol(l, "a");
     }},
    {"count no peer can fill",
     [](QKLINK l) {
         QKPutFunction(l, "List", 2147483647);
         QKPutLongInteger(l, 1);
     }},
    {"logarithm missing its argument",
     [](QKLINK l) {
         QKPutFunction(l, "Log", 2);
         QKPutLongInteger(l, 10);
     }},
    {"too deep and cut short",
     [](QKLINK l) {
         for (int32_t i = 0; i < LinkReader::kMaxDepth + 5; ++i)
             QKPutFunction(l, "f", 2);
         QKPutSymbol(l, "x");
     }},
};

class LinkErrors : public Reader {
protected:
    NodePtr ReadBroken(const Sender& send, LinkReader*& reader) {
        Send(send);
        m_reader = std::make_unique<LinkReader>(link);
        reader = m_reader.get();
        NodePtr node = reader->ReadExpr();
        // A second expression asks nothing more of a failed link.
        EXPECT_EQ(reader->ReadExpr()->TypeTag(), ::TypeTag("errN"));
        return node;
    }
    void FreshLink() {
        if (link) QKClose(link);
        int32_t error = 0;
        link = QKLoopbackOpen(env, &error);
        ASSERT_NE(link, nullptr) << error;
    }
    std::unique_ptr<LinkReader> m_reader;
};

TEST_F(LinkErrors, FirstFailureIsReportedOnceWithTheLinksError) {
    for (const FailureCase& row : kBrokenAnswers) {
        SCOPED_TRACE(row.name);
        RecordingHandler handler;
        Installed<LinkErrorHandler> installed(gLinkErrorHandler, &handler);
        LinkReader* reader = nullptr;
        NodePtr node = ReadBroken(row.send, reader);
        ASSERT_NE(node, nullptr);
        EXPECT_TRUE(reader->Failed());
        ASSERT_EQ(handler.calls.size(), 1u);
        EXPECT_EQ(handler.calls[0].link, link);
        EXPECT_NE(handler.calls[0].error, 0);
        Str255 text;
        node->WriteText(text); // the partial tree is whole enough to show
        m_reader.reset();
        FreshLink();
    }
}

// The session closes the link from its handler; the reader must not touch it again, whatever
// is left of the expression it was reading (the sanitizers see any use after the close).
TEST_F(LinkErrors, HandlerMayCloseTheLink) {
    for (const FailureCase& row : kBrokenAnswers) {
        SCOPED_TRACE(row.name);
        if (!link) FreshLink();
        RecordingHandler handler(&link);
        Installed<LinkErrorHandler> installed(gLinkErrorHandler, &handler);
        LinkReader* reader = nullptr;
        NodePtr node = ReadBroken(row.send, reader);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(handler.calls.size(), 1u);
        EXPECT_EQ(link, nullptr);
        m_reader.reset();
    }
}

// Answers that are whole, however odd, report nothing: a number as a head, nesting past the
// depth bound, surplus arguments.
TEST_F(LinkErrors, WholeAnswersReportNothing) {
    const Sender whole[] = {
        [](QKLINK l) {
            QKPutNext(l, QKTOK_FUNCTION);
            QKPutArgCount(l, 1);
            QKPutLongInteger(l, 2);
            QKPutSymbol(l, "x");
        },
        [](QKLINK l) {
            for (int32_t i = 0; i < LinkReader::kMaxDepth + 5; ++i)
                QKPutFunction(l, "f", 1);
            QKPutSymbol(l, "x");
        },
        [](QKLINK l) {
            QKPutFunction(l, "Hold", 2);
            QKPutSymbol(l, "x");
            QKPutSymbol(l, "y");
        },
    };
    RecordingHandler handler;
    Installed<LinkErrorHandler> installed(gLinkErrorHandler, &handler);
    for (const Sender& send : whole)
        ReadBeforeAfter(send);
    EXPECT_TRUE(handler.calls.empty());
}

} // namespace
} // namespace exprtest
