// Arrays read back whole and a part at a time, over peers that read the array form, packed runs
// and binary numbers or none of them.

#include "WireFixture.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

namespace corvinet::testing {
namespace {

using namespace std::string_literals;

class ArrayGet : public LoopbackTest {
protected:
    void expectEnd(QKLINK from) {
        EXPECT_TRUE(QKCheckSymbol(from, "end")) << QKErrorMessage(from);
        EXPECT_EQ(QKError(from), 0);
    }
};

struct Shape {
    std::vector<int32_t> dims;
    std::vector<std::string> heads;
};

void expectShape(const int32_t* dims, char** heads, int32_t depth, const Shape& shape) {
    ASSERT_EQ(depth, static_cast<int32_t>(shape.dims.size()));
    for (std::size_t i = 0; i < shape.dims.size(); ++i) {
        EXPECT_EQ(dims[i], shape.dims[i]);
        EXPECT_STREQ(heads[i], shape.heads[i].c_str());
    }
}

TEST_F(ArrayGet, WholeArraysComeBackOverEveryPeer) {
    const double reals[] = {1, 2.5, 3, 4, 5, -6};
    const int32_t matrix[] = {2, 3};
    const char* matrixHeads[] = {"Matrix", nullptr};
    const int32_t cube[] = {2, 2, 2};
    const int32_t emptyRows[] = {2, 0};
    const unsigned char bytes[] = {0, 127, 255};
    const int32_t three[] = {3};
    const long double longs[] = {1.25L, -3.0L, 1e300L};

    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(peer.name);
        open(peer.features);
        std::vector<int32_t> eight(8);
        std::iota(eight.begin(), eight.end(), -4);
        ASSERT_TRUE(QKPutDoubleArray(link, reals, matrix, matrixHeads, 2));
        ASSERT_TRUE(QKPutIntegerArray(link, eight.data(), cube, nullptr, 3));
        ASSERT_TRUE(QKPutIntegerArray(link, nullptr, emptyRows, nullptr, 2));
        ASSERT_TRUE(QKPutByteArray(link, bytes, three, nullptr, 1));
        ASSERT_TRUE(QKPutLongDoubleArray(link, longs, three, nullptr, 1));
        ASSERT_TRUE(QKPutSymbol(link, "end"));
        ASSERT_TRUE(QKFlush(link));

        int32_t* dims = nullptr;
        char** heads = nullptr;
        int32_t depth = 0;
        double* d = nullptr;
        ASSERT_TRUE(QKGetDoubleArray(link, &d, &dims, &heads, &depth)) << QKErrorMessage(link);
        expectShape(dims, heads, depth, {{2, 3}, {"Matrix", "List"}});
        EXPECT_EQ(std::vector<double>(d, d + 6), std::vector<double>(reals, reals + 6));
        QKDisownDoubleArray(link, d, dims, heads, depth);

        int32_t* i = nullptr;
        ASSERT_TRUE(QKGetIntegerArray(link, &i, &dims, &heads, &depth)) << QKErrorMessage(link);
        expectShape(dims, heads, depth, {{2, 2, 2}, {"List", "List", "List"}});
        EXPECT_EQ(std::vector<int32_t>(i, i + 8), eight);
        QKDisownIntegerArray(link, i, dims, heads, depth);

        ASSERT_TRUE(QKGetIntegerArray(link, &i, &dims, &heads, &depth)) << QKErrorMessage(link);
        expectShape(dims, heads, depth, {{2, 0}, {"List", "List"}});
        QKDisownIntegerArray(link, i, dims, heads, depth);

        unsigned char* b = nullptr;
        ASSERT_TRUE(QKGetByteArray(link, &b, &dims, &heads, &depth)) << QKErrorMessage(link);
        EXPECT_EQ(std::vector<unsigned char>(b, b + 3),
                  std::vector<unsigned char>(bytes, bytes + 3));
        QKDisownByteArray(link, b, dims, heads, depth);

        long double* l = nullptr;
        ASSERT_TRUE(QKGetLongDoubleArray(link, &l, &dims, &heads, &depth)) << QKErrorMessage(link);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(static_cast<double>(l[k]), static_cast<double>(longs[k]));
        QKDisownLongDoubleArray(link, l, dims, heads, depth);
        expectEnd(link);
    }
}

TEST_F(ArrayGet, CodeAsTheLeavesTravel) {
    const int16_t shorts[] = {1, -2};
    const int32_t two[] = {2};
    for (const Peer& peer : {kPeers[0], kPeers[3]}) {
        SCOPED_TRACE(peer.name);
        open(peer.features);
        ASSERT_TRUE(QKPutShortIntegerArray(link, shorts, two, nullptr, 1));
        ASSERT_TRUE(QKFlush(link));
        void* data = nullptr;
        int32_t* dims = nullptr;
        char** heads = nullptr;
        int32_t depth = 0, code = 0;
        ASSERT_TRUE(QKGetBinaryNumberArray0(link, &data, &dims, &heads, &depth, &code));
        // Binary where the peer takes shorts, else number text read as the build's integers.
        if (peer.features) {
            EXPECT_EQ(code, 0xE4);
            EXPECT_EQ(static_cast<int32_t*>(data)[1], -2);
        } else {
            EXPECT_EQ(code, 0xE2);
            EXPECT_EQ(static_cast<int16_t*>(data)[1], -2);
        }
        QKDisownBinaryNumberArray(link, data, dims, heads, depth, code);
    }
}

TEST_F(ArrayGet, NestedFunctionsThatAreNoArrayAreRefused) {
    struct Case {
        const char* name;
        std::vector<int32_t> rows; // arguments of each row
        const char* secondHead;
    } cases[] = {
        {"ragged rows", {2, 3}, "List"},
        {"another head", {2, 2}, "Other"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(nullptr);
        ASSERT_TRUE(QKPutFunction(link, "List", 2));
        for (std::size_t row = 0; row < 2; ++row) {
            ASSERT_TRUE(QKPutFunction(link, row == 0 ? "List" : c.secondHead, c.rows[row]));
            for (int32_t k = 0; k < c.rows[row]; ++k)
                ASSERT_TRUE(QKPutInteger(link, k));
        }
        ASSERT_TRUE(QKFlush(link));
        int32_t* data = nullptr;
        int32_t* dims = nullptr;
        char** heads = nullptr;
        int32_t depth = 0;
        EXPECT_FALSE(QKGetIntegerArray(link, &data, &dims, &heads, &depth));
        EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
        EXPECT_EQ(data, nullptr);
    }
}

TEST_F(ArrayGet, AnnouncedLeavesThatNeverArriveAllocateNothingBig) {
    // Two leaves of 2^31-1 arrive, then the data ends.
    const std::string shape = "F2147483647 #\x47"
                              "A~\x44"
                              "List\n.";
    feed("A2147483647 D" + std::string(1, char(0x40 + shape.size())) + shape + "\n" +
         "\xE4\x01\x00\x00\x00\n\xE4\x02\x00\x00\x00\n"s);
    int32_t* data = nullptr;
    int32_t* dims = nullptr;
    char** heads = nullptr;
    int32_t depth = 0;
    EXPECT_FALSE(QKGetIntegerArray(link, &data, &dims, &heads, &depth));
    EXPECT_NE(QKError(link), 0);
}

// The largest single request an environment made of its allocator.
std::size_t gLargestRequest = 0;
void* recordingAllocate(std::size_t size) {
    gLargestRequest = std::max(gLargestRequest, size);
    return std::malloc(size);
}

class RecordingEnvironment {
public:
    RecordingEnvironment() {
        QKNewParameters(m_block, buildProfile().defaultFirst, buildProfile().defaultSecond);
        QKSetDeviceParameter(m_block, "");
        QKSetAllocParameter(m_block, recordingAllocate, std::free);
        env = QKBegin(m_block);
        int32_t error = 0;
        link = QKLoopbackOpen(env, &error);
        gLargestRequest = 0;
    }
    ~RecordingEnvironment() {
        QKClose(link);
        QKEnd(env);
    }
    QKENV env = nullptr;
    QKLINK link = nullptr;

private:
    QKParameters m_block{};
};

TEST(ListGet, ListsOfEverySizeComeBackWhole) {
    // Sizes on both sides of the read steps (4,096 numbers) and of the buffer's growth (64 KB,
    // then four times as much at each step up to the announced length).
    RecordingEnvironment recording;
    QKLINK link = recording.link;
    ASSERT_NE(link, nullptr);
    for (int32_t count : {0, 1, 4096, 4097, 16383, 16384, 16385, 70000, 300000}) {
        SCOPED_TRACE(count);
        std::vector<int32_t> integers(static_cast<std::size_t>(count));
        std::iota(integers.begin(), integers.end(), -7);
        std::vector<double> reals(integers.begin(), integers.end());
        ASSERT_TRUE(QKPutIntegerList(link, integers.data(), count));
        ASSERT_TRUE(QKPutRealList(link, reals.data(), count));
        ASSERT_TRUE(QKFlush(link));
        // An honest list is read into one block of its own size, not into a larger one.
        const auto atMost = [&](std::size_t size) {
            return std::max<std::size_t>(std::size_t(count) * size, StreamPool::kBlockSize + 64);
        };

        gLargestRequest = 0;
        int32_t* integersBack = nullptr;
        int32_t length = -1;
        ASSERT_TRUE(QKGetIntegerList(link, &integersBack, &length)) << QKErrorMessage(link);
        ASSERT_EQ(length, count);
        EXPECT_EQ(std::vector<int32_t>(integersBack, integersBack + length), integers);
        QKDisownIntegerList(link, integersBack, length);
        EXPECT_LE(gLargestRequest, atMost(sizeof(int32_t)));

        gLargestRequest = 0;
        double* realsBack = nullptr;
        ASSERT_TRUE(QKGetRealList(link, &realsBack, &length)) << QKErrorMessage(link);
        ASSERT_EQ(length, count);
        EXPECT_EQ(std::vector<double>(realsBack, realsBack + length), reals);
        QKDisownRealList(link, realsBack, length);
        EXPECT_LE(gLargestRequest, atMost(sizeof(double)));
    }
}

TEST(ListGet, AnnouncedNumbersThatNeverArriveAllocateNothingBig) {
    // Lists and arrays of 2^31-1 integers announced, two arriving before the data ends.
    const std::string shape = "F2147483647 #\x47"
                              "A~\x44"
                              "List\n.";
    const std::string bytes = "A2147483647 D" + std::string(1, char(0x40 + shape.size())) + shape +
                              "\n" + "\xE4\x01\x00\x00\x00\n\xE4\x02\x00\x00\x00\n"s;
    for (bool list : {true, false}) {
        SCOPED_TRACE(list ? "list" : "array");
        RecordingEnvironment recording;
        QKLINK link = recording.link;
        ASSERT_NE(link, nullptr);
        ASSERT_EQ(link->stream.putBytes(bytes.data(), bytes.size()), 0);
        ASSERT_EQ(link->stream.flush(), 0);
        gLargestRequest = 0;
        int32_t* data = nullptr;
        if (list) {
            int32_t count = 0;
            EXPECT_FALSE(QKGetIntegerList(link, &data, &count));
        } else {
            int32_t* dims = nullptr;
            char** heads = nullptr;
            int32_t depth = 0;
            EXPECT_FALSE(QKGetIntegerArray(link, &data, &dims, &heads, &depth));
        }
        EXPECT_NE(QKError(link), 0);
        EXPECT_EQ(data, nullptr);
        EXPECT_LE(gLargestRequest, 64u * 1024u);
    }
}

TEST_F(ArrayGet, StateReadsLeavesInPieces) {
    std::vector<int32_t> values(6);
    std::iota(values.begin(), values.end(), 10);
    const int32_t dims[] = {3, 2};
    const char* heads[] = {"Rows", "Pair"};
    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(peer.name);
        open(peer.features);
        ASSERT_TRUE(QKPutIntegerArray(link, values.data(), dims, heads, 2));
        ASSERT_TRUE(QKPutSymbol(link, "end"));
        ASSERT_TRUE(QKFlush(link));

        QKARRAYSTATE state = nullptr;
        int32_t depth = 0, code = 0;
        ASSERT_TRUE(QKGetArrayType0(link, &state, &depth, &code)) << QKErrorMessage(link);
        EXPECT_EQ(depth, 2);
        EXPECT_NE(code, 0);
        int32_t shape[2] = {};
        const char* names[2] = {};
        ASSERT_TRUE(QKGetArrayDimensions(link, state, shape, names));
        EXPECT_EQ(shape[0], 3);
        EXPECT_EQ(shape[1], 2);
        EXPECT_STREQ(names[0], "Rows");
        EXPECT_STREQ(names[1], "Pair");

        std::vector<int32_t> back(6);
        ASSERT_TRUE(QKGetIntegerArrayData(link, state, back.data(), 1)) << QKErrorMessage(link);
        ASSERT_TRUE(QKGetIntegerArrayData(link, state, back.data() + 1, 4)) << QKErrorMessage(link);
        EXPECT_FALSE(QKGetIntegerArrayData(link, state, back.data() + 5, 2));
        EXPECT_EQ(QKError(link), QKERR_GET_SEQUENCE);
        ASSERT_TRUE(QKClearError(link));
        ASSERT_TRUE(QKGetBinaryNumberArrayData0(link, state, back.data() + 5, 1));
        EXPECT_EQ(back, values);
        QKReleaseGetArrayState0(link, state);
        EXPECT_FALSE(QKGetIntegerArrayData(link, state, back.data(), 0));
        ASSERT_TRUE(QKClearError(link));
        expectEnd(link);
    }
}

TEST_F(ArrayGet, StateCopiesAnArrayToAnotherLinkInPieces) {
    std::vector<double> values(12);
    std::iota(values.begin(), values.end(), 0.5);
    const int32_t dims[] = {3, 4};
    for (const Peer& peer : kPeers) {
        SCOPED_TRACE(peer.name);
        openOther(peer.features);
        ASSERT_TRUE(QKPutDoubleArray(link, values.data(), dims, nullptr, 2));
        ASSERT_TRUE(QKPutSymbol(link, "end"));
        ASSERT_TRUE(QKFlush(link));

        QKARRAYSTATE state = nullptr;
        ASSERT_TRUE(QKPutArrayType0(other, link, &state)) << QKErrorMessage(other);
        ASSERT_TRUE(QKPutArray(other, state));
        // Pieces that do not end at rows.
        for (int32_t piece : {5, 6, 1})
            ASSERT_TRUE(QKPutArrayLeaves0(other, state, link, piece)) << QKErrorMessage(other);
        EXPECT_FALSE(QKPutArrayLeaves0(other, state, link, 1));
        QKReleasePutArrayState0(other, state);
        ASSERT_TRUE(QKClearError(other));
        expectEnd(link);
        ASSERT_TRUE(QKPutSymbol(other, "end"));
        ASSERT_TRUE(QKFlush(other));

        double* back = nullptr;
        int32_t* shape = nullptr;
        char** heads = nullptr;
        int32_t depth = 0;
        ASSERT_TRUE(QKGetDoubleArray(other, &back, &shape, &heads, &depth))
            << QKErrorMessage(other);
        EXPECT_EQ(std::vector<double>(back, back + 12), values);
        QKDisownDoubleArray(other, back, shape, heads, depth);
        expectEnd(other);
    }
}

TEST_F(ArrayGet, GetStateFramesAnArrayPutInPieces) {
    openOther("Corvinet 3 -formats 7 -decoders 0");
    const int32_t dims[] = {2, 2};
    const char* heads[] = {"M", "R"};
    const int32_t zeros[] = {0, 0, 0, 0};
    ASSERT_TRUE(QKPutIntegerArray(link, zeros, dims, heads, 2));
    ASSERT_TRUE(QKFlush(link));
    QKARRAYSTATE state = nullptr;
    int32_t depth = 0;
    ASSERT_TRUE(QKGetArrayType(link, &state, &depth));

    const int32_t values[] = {7, 8, 9, 10};
    ASSERT_TRUE(QKPutArray(other, state));
    ASSERT_TRUE(QKPutIntegerArrayData(other, state, values, 3));
    EXPECT_FALSE(QKPutIntegerArrayData(other, state, values, 2));
    EXPECT_EQ(QKError(other), QKERR_TOO_MUCH_DATA);
    ASSERT_TRUE(QKClearError(other));
    ASSERT_TRUE(QKPutIntegerArrayData(other, state, values + 3, 1));
    ASSERT_TRUE(QKFlush(other));

    int32_t n = 0;
    ASSERT_TRUE(QKCheckFunctionWithArgCount(other, "M", &(n = 2)));
    for (int row = 0; row < 2; ++row) {
        ASSERT_TRUE(QKCheckFunctionWithArgCount(other, "R", &(n = 2)));
        for (int column = 0; column < 2; ++column) {
            int32_t v = 0;
            ASSERT_TRUE(QKGetInteger(other, &v));
            EXPECT_EQ(v, values[row * 2 + column]);
        }
    }
}

} // namespace
} // namespace corvinet::testing
