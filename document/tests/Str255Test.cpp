#include "document/Str255.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {
Str255 Filled(int length, char c = 'x') {
    return Str255(std::string(length, c));
}
} // namespace

TEST(Str255, ConstructionKeepsAtMost255) {
    const std::string longText(300, 'a');
    EXPECT_EQ(Str255(longText.c_str()).GetLength(), 255);
    EXPECT_EQ(Str255("").GetLength(), 0);
    EXPECT_EQ(Str255("abc").ToCString(), "abc");
    Str255 assigned;
    assigned = std::string(260, 'b');
    EXPECT_EQ(assigned.GetLength(), 255);
}

TEST(Str255, EveryAppendStopsAtTheCapacity) {
    const Str255 other("more");
    const struct {
        const char* name;
        std::function<void(Str255&)> append;
    } cases[] = {
        {"AppendChar", [](Str255& s) { s.AppendChar('y'); }},
        {"AppendCString", [](Str255& s) { s.AppendCString("yz"); }},
        {"Append", [&](Str255& s) { s.Append(other); }},
        {"AppendNumber", [](Str255& s) { s.AppendNumber(42); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Str255 full = Filled(255);
        c.append(full);
        EXPECT_EQ(full, Filled(255));

        Str255 nearlyFull = Filled(254);
        c.append(nearlyFull);
        EXPECT_EQ(nearlyFull.GetLength(), 255);
    }
}

TEST(Str255, AppendNumberIsSignedDecimalCutToFit) {
    Str255 s("n=");
    s.AppendNumber(-12);
    EXPECT_EQ(s.ToCString(), "n=-12");

    Str255 tight = Filled(253);
    tight.AppendNumber(-12);
    EXPECT_EQ(tight.ToCString().substr(253), "-1");

    Str255 extreme;
    extreme.AppendNumber(INT32_MIN);
    EXPECT_EQ(extreme.ToCString(), "-2147483648");
}

TEST(Str255, CStringViewIsInPlaceBelowCapacityElseShared) {
    const Str255 short254 = Filled(254);
    const char* view = short254.GetCString();
    EXPECT_EQ(view, short254.View().data());
    EXPECT_EQ(std::string(view), std::string(254, 'x'));

    const Str255 full = Filled(255, 'f');
    const char* shared = full.GetCString();
    EXPECT_NE(shared, reinterpret_cast<const char*>(&full));
    EXPECT_EQ(std::string(shared), std::string(255, 'f'));

    const Str255 other = Filled(255, 'g');
    EXPECT_EQ(other.GetCString(), shared); // the next call overwrites the shared buffer
    EXPECT_EQ(shared[0], 'g');

    const Str255 small("ab");
    EXPECT_EQ(std::string(small.GetStaticCString()), "ab");
    EXPECT_EQ(small.GetStaticCString(), shared);
}

TEST(Str255, ContainsSearchesTheText) {
    const Str255 s("sin(x)");
    EXPECT_TRUE(s.Contains(""));
    EXPECT_TRUE(s.Contains("n(x"));
    EXPECT_FALSE(s.Contains("cos"));
    EXPECT_TRUE(Str255().Contains(""));
}

TEST(Str255, EqualityIsCaseSensitiveOverTheLength) {
    EXPECT_EQ(Str255("abc"), Str255("abc"));
    EXPECT_FALSE(Str255("abc") == Str255("ABC"));
    EXPECT_FALSE(Str255("abc") == Str255("abcd"));
}

TEST(Str31, KeepsAtMost31) {
    const Str255 forty = Filled(40);
    Str31 s;
    s = forty;
    EXPECT_EQ(s.GetLength(), 31);
    s.AppendChar('z').AppendCString("zz");
    EXPECT_EQ(s.GetLength(), 31);
    EXPECT_EQ(std::string(s.GetCString()), std::string(31, 'x')); // shared buffer at capacity
    EXPECT_EQ(Str31(std::string(50, 'q')).GetLength(), 31);
}

TEST(Str255, MacToAnsiConvertsOnlyTheUpperHalf) {
    Str255 s("plain 7-bit text ~");
    const Str255 before = s;
    s.MacToAnsi();
    EXPECT_EQ(s, before);

    Str255 mac;
    mac.AppendChar('\xA5').AppendChar('\xD0').AppendChar('\x80').AppendChar('A');
    mac.MacToAnsi();
    EXPECT_EQ(mac.GetAt(0), 0x95);
    EXPECT_EQ(mac.GetAt(1), 0xAD);
    EXPECT_EQ(mac.GetAt(2), 0xC4);
    EXPECT_EQ(mac.GetAt(3), 'A');
}
