#include "document/PtrArray.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PtrArray, GrowsBySmallerOfCapacityAnd32) {
    int items[200];
    PtrArray<int> array;
    EXPECT_EQ(array.GetCapacity(), 16);
    std::vector<int32_t> capacities;
    for (int& item : items) {
        array.Add(&item);
        if (capacities.empty() || capacities.back() != array.GetCapacity())
            capacities.push_back(array.GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<int32_t>{16, 32, 64, 96, 128, 160, 192, 224}));
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(array.GetAt(i), &items[i]);

    PtrArray<int> small(4);
    small.Reserve(9);
    EXPECT_EQ(small.GetCapacity(), 16); // 4, 8, 16: whole steps
}

TEST(PtrArray, InsertRemoveAndSetKeepOrder) {
    int a = 1, b = 2, c = 3;
    PtrArray<int> array;
    array.Add(&a);
    array.Add(&c);
    array.InsertAt(1, &b);
    EXPECT_EQ(*array.GetAt(0) + 10 * *array.GetAt(1) + 100 * *array.GetAt(2), 321);
    EXPECT_EQ(array.RemoveAt(0), &a);
    EXPECT_EQ(array.GetCount(), 2);
    EXPECT_EQ(array.GetAt(0), &b);

    array.Add(&c);
    PtrArray<int> middle = array.RemoveRange(1, 1);
    ASSERT_EQ(middle.GetCount(), 1);
    EXPECT_EQ(middle.GetAt(0), &c);
    EXPECT_EQ(array.GetCount(), 2);
    EXPECT_EQ(array.GetAt(1), &c);

    array.SetAt(4, &a); // past the end: extends with nulls
    EXPECT_EQ(array.GetCount(), 5);
    EXPECT_EQ(array.GetAt(2), nullptr);
    EXPECT_EQ(array.GetAt(4), &a);
}

TEST(PtrArray, InsertAllKeepsBothOrdersAndGrowsByWholeSteps) {
    int items[40];
    for (int32_t at : {0, 3, 20}) {
        SCOPED_TRACE(at);
        PtrArray<int> array;
        for (int i = 0; i < 20; ++i)
            array.Add(&items[i]);
        PtrArray<int> inserted;
        for (int i = 20; i < 40; ++i)
            inserted.Add(&items[i]);
        array.InsertAll(at, inserted);
        EXPECT_EQ(array.GetCount(), 40);
        EXPECT_EQ(array.GetCapacity(), 64); // as if added one by one: 16, 32, 64
        std::vector<int*> expected;
        const auto take = [&](int from, int to) {
            for (int k = from; k < to; ++k)
                expected.push_back(&items[k]);
        };
        take(0, at);
        take(20, 40);
        take(at, 20);
        EXPECT_EQ(std::vector<int*>(array.begin(), array.end()), expected);
    }
}

TEST(PtrArray, MovedFromArrayIsEmptyAndUsable) {
    int a = 1;
    PtrArray<int> first;
    first.Add(&a);
    PtrArray<int> second(std::move(first));
    EXPECT_EQ(second.GetCount(), 1);
    EXPECT_EQ(first.GetCount(), 0); // NOLINT(bugprone-use-after-move)
    first.Add(&a);
    EXPECT_EQ(first.GetAt(0), &a);
}
