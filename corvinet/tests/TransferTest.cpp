// Marks and the copy of expressions between links.

#include "WireFixture.h"

#include <string>
#include <vector>

using namespace std::string_literals;

namespace corvinet::testing {
namespace {

class Transfer : public LoopbackTest {};

TEST_F(Transfer, MarkReturnsAndSkips) {
    QKPutFunction(link, "f", 2);
    QKPutInteger(link, 1);
    QKPutFunction(link, "g", 1);
    QKPutString(link, "deep");
    QKPutSymbol(link, "after");
    QKFlush(link);

    int32_t n = 0;
    ASSERT_TRUE(QKCheckFunction(link, "f", &n));
    QKMARK mark = QKCreateMark(link);
    ASSERT_NE(mark, nullptr);
    int32_t i = 0;
    ASSERT_TRUE(QKGetInteger(link, &i));
    ASSERT_TRUE(QKCheckFunction(link, "g", &n));

    // Back to the mark, then past the integer and the whole g[...].
    ASSERT_EQ(QKSeekMark(link, mark, 2), mark);
    EXPECT_TRUE(QKCheckSymbol(link, "after"));

    ASSERT_EQ(QKSeekToMark(link, mark, 0), mark);
    ASSERT_TRUE(QKGetInteger(link, &i));
    EXPECT_EQ(i, 1);
    QKDestroyMark(link, mark);
    EXPECT_EQ(QKError(link), 0);
}

TEST_F(Transfer, ExpressionGoesOutAsItCame) {
    openOther(nullptr);

    const char16_t wide[] = {0x3B1};
    const unsigned char bytes[] = {0xE9};
    QKPutFunction(link, "f", 5);
    QKPutString(link, "a\\\\b");
    QKPutUnicodeSymbol(link, wide, 1);
    QKPutByteString(link, bytes, 1);
    QKPutDouble(link, 0.5);
    QKPutFunction(link, "List", 0);
    QKPutSymbol(link, "next");
    std::string sent = wire();
    feed(sent);

    ASSERT_TRUE(QKTransferExpression(other, link));
    // The copy is the first expression byte for byte; the source stands at the next one.
    const std::string copy = [&] {
        std::swap(link, other);
        std::string bytes = wire();
        std::swap(link, other);
        return bytes;
    }();
    const std::string next = "#\x47"
                             "A~\x44"
                             "next\n";
    EXPECT_EQ(copy, sent.substr(0, sent.size() - next.size()));
    EXPECT_TRUE(QKCheckSymbol(link, "next"));

    // Without a destination the expression is skipped.
    QKPutFunction(link, "skip", 1);
    QKPutInteger(link, 3);
    QKPutSymbol(link, "kept");
    ASSERT_TRUE(QKTransferExpression(nullptr, link));
    EXPECT_TRUE(QKCheckSymbol(link, "kept"));
}

TEST_F(Transfer, ArrayGoesOutInTheDestinationsForm) {
    const int32_t values[] = {1, 2, 3, 4, 5, 6};
    const int32_t dims[] = {2, 3};
    const char* heads[] = {"M", nullptr};
    for (const Peer& peer : {kPeers[0], kPeers[3]}) {
        SCOPED_TRACE(peer.name);
        openOther(peer.features);
        ASSERT_TRUE(QKPutIntegerArray(link, values, dims, heads, 2));
        const std::string sent = wire();
        feed(sent);
        ASSERT_TRUE(QKTransferExpression(other, link)) << QKErrorMessage(other);
        ASSERT_TRUE(QKFlush(other));
        if (!peer.features) {
            // Toward a peer that reads the array form, the copy is the array as it came.
            std::swap(link, other);
            EXPECT_EQ(wire(), sent);
            std::swap(link, other);
            continue;
        }
        int32_t* data = nullptr;
        int32_t* shape = nullptr;
        char** names = nullptr;
        int32_t depth = 0;
        ASSERT_TRUE(QKGetIntegerArray(other, &data, &shape, &names, &depth));
        EXPECT_EQ(std::vector<int32_t>(data, data + 6), std::vector<int32_t>(values, values + 6));
        EXPECT_STREQ(names[0], "M");
        QKDisownIntegerArray(other, data, shape, names, depth);
    }
}

// Plain tokens and pass-through bytes go out as they came where the destination reads the plain
// form; else the plain tokens go out as text, and a pass-through byte, which has no text, is
// refused and stays in hand.
TEST_F(Transfer, PlainTokensAndPassThroughBytesGoOutRawWhereThePlainFormIsRead) {
    const char* const noPlain = "Corvinet 3 -formats 1,2,3 -decoders 458752";
    struct Case {
        const char* name;
        const char* peer; // the destination's features
        std::string bytes;
        std::string copy; // the destination's bytes
        int error;        // of the source, when the copy fails
    } cases[] = {
        {"plain string", nullptr, "S2 ab\n", "S2 ab\n", 0},
        {"plain integer", nullptr, "I3 -17\r", "I3 -17\n", 0},
        {"plain real, empty", nullptr, "R0 \n", "R0 \n", 0},
        {"plain symbol's compact length is written decimal", nullptr, "Y\x41x\n", "Y1 x\n", 0},
        {"pass-through byte", nullptr,
         "5\x42"
         "ab\n",
         "5\x42"
         "ab\n",
         0},
        {"empty pass-through byte", nullptr, "0\x40,", "0\x40\n", 0},
        {"plain integer toward no plain form", noPlain, "I3 -17\n",
         "+\x46"
         "B~\x43-17\n",
         0},
        {"plain string toward no plain form", noPlain, "S2 ab\n",
         "\"\x47"
         "C~\x42\0a\0b\n"s,
         0},
        {"pass-through byte toward no plain form", noPlain, "5\x40\n", "", QKERR_GET_SEQUENCE},
        {"a shape's closing byte", nullptr, ".\x40\n", "", QKERR_DESTROYED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(nullptr);
        openOther(c.peer);
        feed(c.bytes + "#\x44"
                       "A~\x41"
                       "x\n");
        EXPECT_EQ(QKTransferExpression(other, link), c.error == 0);
        std::swap(link, other);
        EXPECT_EQ(wire(), c.copy);
        std::swap(link, other);
        EXPECT_EQ(QKError(link), c.error);
        EXPECT_EQ(QKError(other), c.error);
        if (c.error == QKERR_GET_SEQUENCE) {
            // The refused token is still the one in hand.
            EXPECT_TRUE(QKClearError(link));
            EXPECT_EQ(QKGetRawType(link), c.bytes[0]);
            continue;
        }
        if (c.error == 0) {
            EXPECT_TRUE(QKCheckSymbol(link, "x"));
        }
    }
}

// Inside an expression, and without a destination, the raw tokens are copied or skipped whole.
TEST_F(Transfer, RawTokensInsideAnExpression) {
    openOther(nullptr);
    const std::string expression = "F\x42#\x44"
                                   "A~\x41"
                                   "f\n3\x41z\nS1 q\n";
    feed(expression + expression +
         "#\x44"
         "A~\x41"
         "x\n");
    ASSERT_TRUE(QKTransferExpression(other, link)) << QKErrorMessage(other);
    std::swap(link, other);
    EXPECT_EQ(wire(), expression);
    std::swap(link, other);
    ASSERT_TRUE(QKTransferExpression(nullptr, link)) << QKErrorMessage(link);
    EXPECT_TRUE(QKCheckSymbol(link, "x"));
}

TEST_F(Transfer, AlignedDuplicateReadsOnWhereTheOtherStands) {
    QKPutSymbol(link, "a");
    QKPutSymbol(link, "b");
    QKPutSymbol(link, "c");
    QKFlush(link);
    int32_t error = 0;
    other = QKDuplicateLink(link, "copy", &error);
    ASSERT_NE(other, nullptr) << error;
    ASSERT_TRUE(QKCheckSymbol(link, "a"));
    ASSERT_TRUE(QKGetNext(link));

    ASSERT_TRUE(QKAlign(other, link));
    EXPECT_TRUE(QKCheckSymbol(other, "b"));
    EXPECT_TRUE(QKCheckSymbol(link, "b"));
    EXPECT_TRUE(QKCheckSymbol(link, "c"));

    // Links that do not share a put state, or one with an error, are refused.
    QKLINK stranger = QKLoopbackOpen(env, &error);
    ASSERT_NE(stranger, nullptr);
    EXPECT_FALSE(QKAlign(stranger, link));
    QKClose(stranger);
    QKSetError(other, QKERR_GET_SEQUENCE);
    EXPECT_FALSE(QKAlign(other, link));
}

TEST_F(Transfer, ForwardResetStartsAfreshAtAnOffset) {
    const std::string a = "#\x44"
                          "A~\x41"
                          "a\n";
    // The first head is read off by wire(); offsets count from the start of the data.
    QKPutFunction(link, "f", 2);
    const auto headLength = static_cast<int32_t>(wire().size());
    QKPutFunction(link, "f", 2);
    QKPutSymbol(link, "a");
    QKPutSymbol(link, "b");
    QKFlush(link);
    int32_t n = 0;
    ASSERT_TRUE(QKCheckFunction(link, "f", &n));

    // Past the head and the first argument: the get state no longer owes the function's
    // arguments, so the symbol reads as a packet's own expression.
    ASSERT_TRUE(QKForwardReset(link, 2 * headLength + static_cast<int32_t>(a.size())));
    int32_t owed = -1;
    QKExpressionsToGet(link, &owed);
    EXPECT_EQ(owed, 0);
    EXPECT_TRUE(QKCheckSymbol(link, "b"));

    EXPECT_FALSE(QKForwardReset(link, 1 << 20));
    EXPECT_EQ(QKError(link), QKERR_INCONSISTENT_DATA);
}

} // namespace
} // namespace corvinet::testing
