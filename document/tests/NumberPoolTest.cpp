#include "document/NumberPool.h"

#include "document/DocStream.h"
#include "document/MemoryStream.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <vector>

namespace {

std::vector<int32_t> TakeAll(NumberPool& pool, int count) {
    std::vector<int32_t> numbers;
    for (int i = 0; i < count; ++i)
        numbers.push_back(pool.Take());
    return numbers;
}

std::vector<uint8_t> Written(const NumberPool& pool) {
    std::vector<uint8_t> bytes(static_cast<size_t>(pool.GetStreamSize()));
    MemoryStream memory(bytes.data(), static_cast<int32_t>(bytes.size()));
    DocStream stream(memory);
    pool.Write(stream);
    EXPECT_EQ(memory.GetPosition(), pool.GetStreamSize());
    return bytes;
}

void ReadInto(NumberPool& pool, const std::vector<uint8_t>& bytes) {
    MemoryStream memory(static_cast<const void*>(bytes.data()), static_cast<int32_t>(bytes.size()));
    DocStream stream(memory);
    pool.Read(stream);
}

TEST(NumberPool, ReleasedNumbersComeBackMostRecentFirst) {
    NumberPool pool;
    EXPECT_EQ(TakeAll(pool, 3), (std::vector<int32_t>{1, 2, 3}));
    pool.Release(2);
    pool.Release(1);
    EXPECT_EQ(TakeAll(pool, 3), (std::vector<int32_t>{1, 2, 4}));
}

TEST(NumberPool, ReserveOnlyRaisesTheHighestNumber) {
    NumberPool pool;
    TakeAll(pool, 3);
    EXPECT_EQ(pool.Reserve(10), 10);
    EXPECT_EQ(pool.Reserve(2), 2);
    EXPECT_EQ(pool.Take(), 11);
}

TEST(NumberPool, RecordBytes) {
    NumberPool pool;
    EXPECT_EQ(Written(pool), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0}));

    TakeAll(pool, 5);
    pool.Release(4);
    pool.Release(2);
    EXPECT_EQ(pool.GetStreamSize(), 16);
    EXPECT_EQ(Written(pool), (std::vector<uint8_t>{5, 0, 0, 0, 2, 0, 0, 0, // highest, count
                                                   4, 0, 0, 0, 2, 0, 0, 0}));
}

TEST(NumberPool, ReadRestoresTheOrderOfReuse) {
    NumberPool original;
    original.Reserve(300);
    for (int32_t n : {7, 250, 3})
        original.Release(n);
    const std::vector<uint8_t> bytes = Written(original);

    NumberPool pool;
    TakeAll(pool, 2);
    pool.Release(1);
    ReadInto(pool, bytes);
    EXPECT_EQ(TakeAll(pool, 4), (std::vector<int32_t>{3, 250, 7, 301}));
    EXPECT_EQ(Written(original), bytes);
}

TEST(NumberPool, DamagedRecordFailsAndLeavesThePoolAlone) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"short highest", {9, 0}},
        {"no count", {9, 0, 0, 0}},
        {"negative count", {9, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"count beyond the data", {9, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0}},
        {"huge count", {9, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}},
        {"last number cut short", {9, 0, 0, 0, 1, 0, 0, 0, 5, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NumberPool pool;
        pool.Reserve(3);
        pool.Release(2);
        EXPECT_THROW(ReadInto(pool, c.bytes), platform::FileException);
        EXPECT_EQ(TakeAll(pool, 2), (std::vector<int32_t>{2, 4}));
    }
}

// Only a damaged file can reserve the largest number; the pool must not wrap round to hand
// out negative or repeated numbers after it.
TEST(NumberPool, RefusesToGoPastTheLargestNumber) {
    NumberPool pool;
    pool.Reserve(std::numeric_limits<int32_t>::max());
    EXPECT_THROW(pool.Take(), std::overflow_error);
    pool.Release(17);
    EXPECT_EQ(pool.Take(), 17);
}

} // namespace

namespace {

// A damaged file's negative highest number must not make fresh numbers negative or zero.
TEST(NumberPool, ANegativeHighestNumberReadsAsNone) {
    NumberPool pool;
    ReadInto(pool, {0x09, 0xC1, 0xFA, 0xFF, 0, 0, 0, 0});
    EXPECT_EQ(pool.TakeNew(), 1);
    EXPECT_EQ(pool.Take(), 2);
}

} // namespace
