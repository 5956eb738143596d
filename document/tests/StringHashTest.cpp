#include "document/StringHash.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

const StringHash::Entry kNames[] = {
    {"Sin", 11}, {"Sinh", 12}, {"ArcCos", 13}, {"arccos", 14}, {"\xE9t\xE9", 15}, {"Log", 16},
};

class StringHashTest : public testing::Test {
protected:
    void SetUp() override { hash.Fill(kNames, std::size(kNames)); }
    StringHash hash;
};

TEST_F(StringHashTest, LookupFindsExactKeysOnly) {
    struct Case {
        const char* key;
        uint32_t value;
    };
    const Case cases[] = {
        {"Sin", 11}, {"Sinh", 12}, {"ArcCos", 13}, {"arccos", 14}, {"\xE9t\xE9", 15},
        {"Log", 16}, {"sin", 0},   {"ARCCOS", 0},  {"Si", 0},      {"Sinhx", 0},
        {"Log ", 0}, {"", 0},      {"\xE9t", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(hash.Lookup(c.key), c.value);
    }
}

TEST_F(StringHashTest, LookupRangeReadsANameInsideLongerText) {
    // In read-only storage: writing a terminator into it would fault.
    static const char text[] = "Sinh(x)+Log";
    EXPECT_EQ(hash.LookupRange(text, text + 3), 11u);
    EXPECT_EQ(hash.LookupRange(text, text + 4), 12u);
    EXPECT_EQ(hash.LookupRange(text + 8, text + 11), 16u);
    EXPECT_EQ(hash.LookupRange(text, text + 2), 0u);
    EXPECT_EQ(hash.LookupRange(text + 4, text + 7), 0u);
    EXPECT_STREQ(text, "Sinh(x)+Log");
}

TEST(StringHash, EmptyTableAnswersZero) {
    StringHash hash;
    EXPECT_EQ(hash.Lookup("Sin"), 0u);
    EXPECT_EQ(hash.Lookup(""), 0u);
}

TEST(StringHash, TheFirstOfTwoEqualKeysWins) {
    const StringHash::Entry entries[] = {{"x", 1}, {"x", 2}, {"y", 3}};
    StringHash hash;
    hash.Fill(entries, 3);
    EXPECT_EQ(hash.Lookup("x"), 1u);
    EXPECT_EQ(hash.Lookup("y"), 3u);
}

TEST(StringHash, RefillReplacesTheContents) {
    const StringHash::Entry first[] = {{"a", 1}};
    const StringHash::Entry second[] = {{"b", 2}};
    StringHash hash;
    hash.Fill(first, 1);
    hash.Fill(second, 1);
    EXPECT_EQ(hash.Lookup("a"), 0u);
    EXPECT_EQ(hash.Lookup("b"), 2u);
}

// A hash of exactly 0 never leaves slot 0, since the probe multiplies it by 7. Bytes count as
// signed, so "" (0), "\xFF" (1 - 1) and "aaa\xE2\x86" (5 + 97 + 97*4 + 97*16 - 30*64 - 122:
// the shift starts over at the fifth character) all hash to 0. "\"-." hashes to
// 3 + 34 + 45*4 + 46*16 = 953, so it too takes slot 0 when that is free.
TEST(StringHash, KeysStuckOnOneSlotNeitherHangNorLoseEntries) {
    const StringHash::Entry slotZero[] = {{"\"-.", 7}, {"a", 9}};
    StringHash hash;
    hash.Fill(slotZero, 2);
    EXPECT_EQ(hash.Lookup("\"-."), 7u);
    EXPECT_EQ(hash.Lookup("a"), 9u);
    EXPECT_EQ(hash.Lookup("\xFF"), 0u);
    EXPECT_EQ(hash.Lookup(""), 0u);
    EXPECT_EQ(hash.LookupRange("a", "a"), 0u);

    const StringHash::Entry stuck[][2] = {
        {{"\xFF", 1}, {"", 2}},
        {{"\"-.", 1}, {"\xFF", 2}},
        {{"\xFF", 1}, {"aaa\xE2\x86", 2}},
    };
    for (const auto& entries : stuck) {
        SCOPED_TRACE(entries[1].key);
        EXPECT_THROW(hash.Fill(entries, 2), std::length_error);
    }
}

TEST(StringHash, FillThatFailsLeavesTheTableAsItWas) {
    const StringHash::Entry good[] = {{"keep", 5}};
    StringHash hash;
    hash.Fill(good, 1);

    std::vector<std::string> keys;
    for (int i = 0; i <= StringHash::kSlotCount; ++i)
        keys.push_back("k" + std::to_string(i));
    std::vector<StringHash::Entry> tooMany;
    for (const std::string& key : keys)
        tooMany.push_back({key.c_str(), 1});
    EXPECT_THROW(hash.Fill(tooMany.data(), static_cast<int32_t>(tooMany.size())),
                 std::length_error);
    EXPECT_THROW(hash.Fill(good, -1), std::length_error);
    EXPECT_EQ(hash.Lookup("keep"), 5u);
    EXPECT_EQ(hash.Lookup("k1"), 0u);
}

// As many keys as the name table holds, so probing runs at the table's real load.
TEST(StringHash, EveryKeyOfAFullNameTableIsFound) {
    constexpr int kCount = 507;
    std::vector<std::string> keys;
    for (int i = 0; i < kCount; ++i)
        keys.push_back((i % 2 ? "TY" : "ty") + std::to_string(i * 37));
    std::vector<StringHash::Entry> entries;
    for (int i = 0; i < kCount; ++i)
        entries.push_back({keys[i].c_str(), static_cast<uint32_t>(i + 1)});
    StringHash hash;
    hash.Fill(entries.data(), kCount);
    for (int i = 0; i < kCount; ++i) {
        SCOPED_TRACE(keys[i]);
        EXPECT_EQ(hash.Lookup(keys[i].c_str()), static_cast<uint32_t>(i + 1));
        EXPECT_EQ(hash.Lookup((keys[i] + "x").c_str()), 0u);
    }
}

} // namespace
