// Term ordering: the profile's "Term Ordering" section, the editing operations of its dialog,
// the kernel's answer taken apart and what goes back to the kernel.

#include "kernel/TermOrder.h"

#include "SessionFixture.h"

#include <QSettings>
#include <QTemporaryDir>

namespace kerneltest {
namespace {

using kernel::TermEntry;
using kernel::TermOrder;

std::string Entries(const TermOrder& order) {
    std::string text;
    for (const TermEntry& entry : order.entries) {
        if (!text.empty()) text += ' ';
        text += entry.letter;
        text += std::to_string(entry.priority);
    }
    return text;
}

TermOrder Of(std::vector<TermEntry> entries) {
    TermOrder order;
    order.entries = std::move(entries);
    return order;
}

TEST(TermOrderProfile, RoundTripsEveryLetterAndPriority) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("profile.ini");
    {
        QSettings profile(path, QSettings::IniFormat);
        TermOrder none;
        EXPECT_FALSE(none.Load(profile)) << "nothing saved";
        EXPECT_TRUE(none.entries.empty());
        EXPECT_TRUE(none.constantsToBack);

        // Saved out of order; priorities 0 and above 127, letters 0 and above 127 too.
        TermOrder order = Of({{'b', 3}, {'a', 7}, {'c', 0}, {'\xE9', 0x80}, {'\0', 0xFE}});
        order.useOrdering = true;
        order.constantsToBack = false;
        EXPECT_TRUE(order.Save(profile));

        // What "Terms" cannot hold is not written at all: a letter twice, a priority of 255.
        for (const std::vector<TermEntry>& unkept :
             {std::vector<TermEntry>{{'x', 3}, {'x', 4}}, std::vector<TermEntry>{{'y', 255}}}) {
            TermOrder other = Of(unkept);
            other.useOrdering = false;
            EXPECT_FALSE(other.Save(profile)) << Entries(other);
        }
    }
    QSettings reread(path, QSettings::IniFormat);
    TermOrder loaded;
    ASSERT_TRUE(loaded.Load(reread));
    EXPECT_EQ(loaded.entries,
              (std::vector<TermEntry>{{'\0', 0xFE}, {'a', 7}, {'b', 3}, {'c', 0}, {'\xE9', 0x80}}));
    EXPECT_TRUE(loaded.useOrdering);
    EXPECT_FALSE(loaded.constantsToBack);
    EXPECT_EQ(reread.value("Term Ordering/Term Count").toInt(), 5);
    EXPECT_EQ(reread.value("Term Ordering/Use Ordering").toString(), "true");
    EXPECT_EQ(reread.value("Term Ordering/Constants to back").toString(), "false");
    EXPECT_EQ(reread.value("Term Ordering/Terms").toString().size(), 256);
}

TEST(TermOrderProfile, DamagedOrForeignValues) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings profile(dir.filePath("profile.ini"), QSettings::IniFormat);
    profile.beginGroup("Term Ordering");
    QString terms(256, QChar(0xFF));
    terms[int('x')] = QChar(4);
    terms[int('y')] = QChar(9);
    profile.setValue("Terms", terms);
    // More than the text holds: the entries found are what counts.
    profile.setValue("Term Count", 500);
    profile.setValue("Use Ordering", "True"); // only "true" is true
    profile.endGroup();

    TermOrder order;
    ASSERT_TRUE(order.Load(profile));
    EXPECT_EQ(Entries(order), "x4 y9");
    EXPECT_EQ(order.Count(), 2);
    EXPECT_FALSE(order.useOrdering);
    EXPECT_TRUE(order.constantsToBack) << "a missing key means back";

    // A short text, and characters beyond a byte, give only the positions that hold one.
    profile.setValue("Term Ordering/Terms", QString("\xFF\xFF") + QChar(0x263A) + QChar(2));
    ASSERT_TRUE(order.Load(profile));
    EXPECT_EQ(order.entries, (std::vector<TermEntry>{{'\3', 2}}));
}

TEST(TermOrderEditing, NewEditDeleteAndSorts) {
    TermOrder order = Of({{'a', 7}, {'b', 3}});
    EXPECT_TRUE(order.Add("q", 5));
    EXPECT_EQ(Entries(order), "a7 q5 b3");
    EXPECT_TRUE(order.Add("b", 9)) << "an existing letter takes the new priority in place";
    EXPECT_EQ(Entries(order), "a7 q5 b9");
    EXPECT_TRUE(order.Add("c", 5)) << "before the first entry it does not sort after";
    EXPECT_EQ(Entries(order), "a7 c5 q5 b9");

    for (const char* symbol : {"", " ", " z"}) {
        SCOPED_TRACE(symbol);
        EXPECT_FALSE(order.Add(symbol, 1));
        EXPECT_FALSE(order.Edit(0, symbol, 1)) << "an empty symbol is refused as New refuses it";
        EXPECT_EQ(Entries(order), "a7 c5 q5 b9");
    }
    EXPECT_TRUE(order.Edit(1, "rs", 2));
    EXPECT_EQ(Entries(order), "a7 r2 q5 b9");
    EXPECT_FALSE(order.Edit(1, "q", 2)) << "another entry's letter";
    EXPECT_TRUE(order.Edit(1, "r", 4)) << "its own letter";
    EXPECT_TRUE(order.Edit(1, "r", 2));
    EXPECT_EQ(Entries(order), "a7 r2 q5 b9");
    EXPECT_FALSE(order.Edit(4, "z", 1));
    EXPECT_FALSE(order.Edit(-1, "z", 1));

    order.SortByPriority();
    EXPECT_EQ(Entries(order), "b9 a7 q5 r2");
    order.SortByVariable();
    EXPECT_EQ(Entries(order), "r2 q5 b9 a7");
    EXPECT_TRUE(order.Remove(1));
    EXPECT_EQ(Entries(order), "r2 b9 a7");
    EXPECT_FALSE(order.Remove(3));
    EXPECT_EQ(order.Count(), 3);
}

TEST(TermOrderAnswer, WellFormedAnswersOnlyGiveEntries) {
    BuiltinNamesScope names;
    auto pair = [](const char* letter, int32_t priority) {
        std::vector<NodePtr> items;
        items.push_back(Sym(letter));
        items.push_back(Int(priority));
        return List(std::move(items));
    };
    auto answer = [](NodePtr flag, NodePtr items) {
        std::vector<NodePtr> whole;
        whole.push_back(std::move(flag));
        if (items) whole.push_back(std::move(items));
        return List(std::move(whole));
    };
    auto items = [&](std::vector<NodePtr> elements) { return List(std::move(elements)); };
    auto two = [&]() {
        std::vector<NodePtr> e;
        e.push_back(pair("z", 4));
        e.push_back(pair("alpha", 2));
        return e;
    };

    const TermOrder good = TermOrder::FromAnswer(answer(Sym("True"), items(two())).get(), false);
    EXPECT_EQ(Entries(good), "z4 a2");
    EXPECT_TRUE(good.useOrdering);
    EXPECT_FALSE(good.constantsToBack);
    EXPECT_FALSE(TermOrder::FromAnswer(answer(Sym("False"), items(two())).get(), true).useOrdering);

    struct Row {
        const char* name;
        NodePtr tree;
    };
    std::vector<Row> rows;
    rows.push_back({"the error tree", kernel::KernelSession::ErrorResult()});
    rows.push_back({"no answer", nullptr});
    rows.push_back({"a bare symbol", Sym("True")});
    rows.push_back({"no item list", answer(Sym("True"), nullptr)});
    rows.push_back({"a number for the flag", answer(Int(1), items(two()))});
    {
        std::vector<NodePtr> e = two();
        e.push_back(Sym("x"));
        rows.push_back({"an element that is no pair", answer(Sym("True"), items(std::move(e)))});
    }
    {
        std::vector<NodePtr> e = two();
        e.push_back(pair("w", 256));
        rows.push_back({"a priority beyond a byte", answer(Sym("True"), items(std::move(e)))});
    }
    {
        std::vector<NodePtr> e;
        std::vector<NodePtr> swapped;
        swapped.push_back(Int(3));
        swapped.push_back(Sym("w"));
        e.push_back(List(std::move(swapped)));
        rows.push_back({"a pair the wrong way round", answer(Sym("True"), items(std::move(e)))});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TermOrder order = TermOrder::FromAnswer(row.tree.get(), true);
        EXPECT_TRUE(order.entries.empty());
        EXPECT_FALSE(order.useOrdering);
        EXPECT_TRUE(order.constantsToBack);
    }
}

TEST_F(SessionTest, TheOrderingGoesToTheKernelAsItsList) {
    TermOrder order = Of({{'a', 7}, {'b', 0}});
    order.useOrdering = true;
    kernel->Serve({ReturnSymbol("Null")});
    session.SetSortPriorities(order.ToListNode(), false);
    order.useOrdering = false;
    order.entries.clear();
    kernel->Serve({ReturnSymbol("Null")});
    session.SetSortPriorities(order.ToListNode(), true);
    EXPECT_EQ(kernel->Requests(),
              (std::vector<std::string>{
                  "EvaluatePacket[TYSetSortPriorities[List[True, List[List[a, 7], List[b, 0]]]]]",
                  "EvaluatePacket[TYSetSortPriorities[List[False, List[]]]]"}));
    EXPECT_TRUE(session.ConstantsToBack());
}

} // namespace
} // namespace kerneltest
