// Lists and arrays: their forms on the wire, and reading them back as nested functions.

#include "WireFixture.h"

#include <numeric>
#include <string>
#include <vector>

namespace corvinet::testing {
namespace {

using namespace std::string_literals;

class Arrays : public LoopbackTest {};

TEST_F(Arrays, ListsBelow128AreFunctionsAndLongerOnesArrays) {
    std::vector<int32_t> values(128);
    std::iota(values.begin(), values.end(), 0);

    ASSERT_TRUE(QKPutIntegerList(link, values.data(), 127));
    std::string bytes = wire();
    EXPECT_EQ(bytes.substr(0, 10), "F127 #\x47"
                                   "A~\x44");
    EXPECT_EQ(bytes.substr(14, 10), "\nP127 \xE4\x00\x00\x00"s);

    ASSERT_TRUE(QKPutIntegerList(link, values.data(), 128));
    bytes = wire();
    // `A`, the leaf count, the shape block (F 128 List .), then the leaves as one run.
    const std::string shape = "F128 #\x47"
                              "A~\x44"
                              "List\n.";
    const std::string frame = "A128 D" + std::string(1, char(0x40 + shape.size())) + shape + "\n";
    EXPECT_EQ(bytes.substr(0, frame.size()), frame);
    EXPECT_EQ(bytes.substr(frame.size(), 6), "P128 \xE4"s);
    EXPECT_EQ(bytes.size(), frame.size() + 6 + 128 * 4 + 1);
}

TEST_F(Arrays, PackedRunOfThreeIntegers) {
    const int32_t three[] = {1, 2, 3};
    const int32_t dims[] = {3};
    open("Corvinet 3 -formats 1,2,3,7 -tokens 100 -decoders 196608"); // runs, no array form
    ASSERT_TRUE(QKPutIntegerArray(link, three, dims, nullptr, 1));
    EXPECT_EQ(wire(), "F\x43#\x47"
                      "A~\x44"
                      "List\nP\x43\xE4\x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00\n"s);
}

TEST_F(Arrays, ArraysReadAsNestedFunctions) {
    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(peer.name);
        open(peer.features);
        const double values[] = {1, 2, 3, 4, 5, 6};
        const int32_t dims[] = {2, 3};
        const char* heads[] = {"Matrix", nullptr};
        ASSERT_TRUE(QKPutDoubleArray(link, values, dims, heads, 2));
        const int32_t empty[] = {0};
        ASSERT_TRUE(QKPutIntegerArray(link, nullptr, empty, nullptr, 1));
        QKEndPacket(link);

        int32_t n = 0;
        ASSERT_TRUE(QKCheckFunctionWithArgCount(link, "Matrix", &(n = 2)));
        for (int row = 0; row < 2; ++row) {
            ASSERT_TRUE(QKCheckFunctionWithArgCount(link, "List", &(n = 3)));
            for (int column = 0; column < 3; ++column) {
                double d = 0;
                ASSERT_TRUE(QKGetDouble(link, &d)) << QKErrorMessage(link);
                EXPECT_EQ(d, values[row * 3 + column]);
            }
        }
        ASSERT_TRUE(QKCheckFunctionWithArgCount(link, "List", &(n = 0)));
        int32_t owed = -1;
        QKExpressionsToGet(link, &owed);
        EXPECT_EQ(owed, 0);
        EXPECT_EQ(QKError(link), 0);
    }
}

TEST_F(Arrays, ListsRoundTrip) {
    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(peer.name);
        open(peer.features);
        for (int32_t count : {0, 5, 127, 128, 1000}) {
            SCOPED_TRACE(count);
            std::vector<double> values(static_cast<std::size_t>(count));
            std::iota(values.begin(), values.end(), -2.5);
            ASSERT_TRUE(QKPutRealList(link, values.data(), count));
            double* back = nullptr;
            int32_t length = -1;
            ASSERT_TRUE(QKGetRealList(link, &back, &length)) << QKErrorMessage(link);
            ASSERT_EQ(length, count);
            EXPECT_EQ(std::vector<double>(back, back + length), values);
            QKDisownRealList(link, back, length);
        }
    }
}

TEST_F(Arrays, DamagedArrays) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"leaf count disagreeing with the shape", "A\x43"
                                                  "D\x4A"
                                                  "F\x42#\x44"
                                                  "A~\x41"
                                                  "L\n.\n"},
        {"shape without its end", "A\x42"
                                  "D\x49"
                                  "F\x42#\x44"
                                  "A~\x41"
                                  "L\n\n"},
        {"shape longer than its block", "A\x42"
                                        "D\x43"
                                        "F\x42#\n"},
        {"array leaf that is not a number", "A\x41"
                                            "D\x4A"
                                            "F\x41#\x44"
                                            "A~\x41"
                                            "L\n.\n#\x44"
                                            "A~\x41"
                                            "x\n"},
        {"dimensions beyond 32 bits", "A\x40"
                                      "D29 F99999 #\x44"
                                      "A~\x41"
                                      "L\nF99999 #\x44"
                                      "A~\x41"
                                      "L\n.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(nullptr);
        feed(c.bytes);
        for (int i = 0; i < 8 && QKError(link) == 0; ++i) {
            const int token = QKGetNext(link);
            int32_t n = 0;
            if (token == QKTOK_FUNCTION) QKGetArgCount(link, &n);
        }
        EXPECT_EQ(QKError(link), QKERR_INCONSISTENT_DATA) << QKErrorMessage(link);
    }
}

} // namespace
} // namespace corvinet::testing
