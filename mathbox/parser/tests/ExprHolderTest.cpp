#include "mathbox/parser/ExprHolder.h"

#include "ParseFixture.h"

#include <functional>
#include <string>
#include <vector>

namespace parsetest {
namespace {

class HolderTest : public ParseTest {
protected:
    ExprHolder Hold(std::string_view typed) {
        Parse(typed);
        return ExprHolder(std::move(lastTree));
    }
    static NodePtr Sym(const char* name) { return SymbolNode::FromName(name); }
    // The nodes as a sibling chain, in order.
    template <typename... Node>
    static std::vector<NodePtr> Nodes(Node... nodes) {
        std::vector<NodePtr> out;
        (out.push_back(std::move(nodes)), ...);
        return out;
    }
};

TEST_F(HolderTest, AnAnswerReplacesItsTargetInARelation) {
    ExprHolder holder = Hold("a+b=c");
    auto* relation = dynamic_cast<InequalityNode*>(holder.Get());
    ASSERT_TRUE(relation);
    ExprNode* target = relation->FirstChild();
    EXPECT_EQ(holder.InsertResult(target, Sym("d")), ExprHolder::Insertion::kInserted);
    EXPECT_EQ(TreeText(holder.Get()), "Rel(d, Equal, c)");
}

TEST_F(HolderTest, AnAnswerForTheWholeTreeReplacesIt) {
    ExprHolder holder = Hold("a+b");
    EXPECT_EQ(holder.InsertResult(holder.Get(), Sym("z")), ExprHolder::Insertion::kInserted);
    EXPECT_EQ(TreeText(holder.Get()), "z");
}

TEST_F(HolderTest, NullAnswersChangeNothing) {
    ExprHolder holder = Hold("a+b");
    ExprNode* before = holder.Get();
    EXPECT_EQ(holder.InsertResult(before, Sym("Null")), ExprHolder::Insertion::kNullAnswer);
    EXPECT_EQ(holder.Get(), before);
    EXPECT_EQ(TreeText(holder.Get()), "Plus(a, b)");
}

TEST_F(HolderTest, ATargetOutsideTheTreeDropsTheAnswer) {
    ExprHolder holder = Hold("a+b");
    NodePtr stranger = Sym("q");
    EXPECT_EQ(holder.InsertResult(stranger.get(), Sym("z")),
              ExprHolder::Insertion::kTargetNotFound);
    EXPECT_EQ(TreeText(holder.Get()), "Plus(a, b)");
    ExprHolder empty;
    EXPECT_EQ(empty.InsertResult(stranger.get(), Sym("z")), ExprHolder::Insertion::kTargetNotFound);
}

TEST_F(HolderTest, AlternativesSpreadOneCopyEach) {
    ExprHolder holder = Hold("x=c");
    auto* relation = dynamic_cast<InequalityNode*>(holder.Get());
    ExprNode* target = relation->FirstChild();
    auto answer = std::make_unique<OrNode>(Sym("p"));
    answer->AppendChild(Sym("q"));
    answer->AppendChild(Sym("r"));
    holder.InsertResult(target, std::move(answer));
    EXPECT_EQ(TreeText(holder.Get()), "Or(Rel(p, Equal, c), Rel(q, Equal, c), Rel(r, Equal, c))");
}

TEST_F(HolderTest, CopiesAreDeep) {
    Parse("a or b");
    NodePtr original = std::move(lastTree);
    ExprHolder copy = ExprHolder::HoldCopyOf(*original);
    EXPECT_EQ(TreeText(original.get()), "Or(a, b)");
    EXPECT_EQ(TreeText(copy.Get()), "Or(a, b)");
    copy.Release();
    copy.Release();
    EXPECT_TRUE(copy.IsEmpty());
}

TEST_F(HolderTest, MarkersTakeTheOrderingAnswer) {
    FakeSession session;
    session.nextIndex = 3;
    ExprHolder holder = Hold("y=k");
    ExprNode* target = dynamic_cast<InequalityNode*>(holder.Get())->FirstChild();
    auto marker = std::make_unique<SubscriptNode>(Sym("C"), Sym("tyReplSub"));
    auto answer = std::make_unique<PlusNode>(Sym("x"));
    answer->AppendChild(std::move(marker));
    holder.InsertResult(target, std::move(answer));
    EXPECT_EQ(session.orderingRequests, 1);
    EXPECT_EQ(TreeText(holder.Get()), "Rel(Plus(x, Sub(C, 3)), Equal, k)");
}

// The ordering request is given copies of the indices of the constants C_n around the marker,
// and every marker in the answer gets its own request, later ones seeing the earlier numbers.
TEST_F(HolderTest, MarkersAreNumberedPastTheConstantsAlreadyThere) {
    auto constant = [](NodePtr index) {
        return std::make_unique<SubscriptNode>(Sym("C"), std::move(index));
    };
    auto marker = [&] { return constant(Sym("tyReplSub")); };
    auto sum = [](std::vector<NodePtr> terms) {
        auto node = std::make_unique<PlusNode>(std::move(terms[0]));
        for (size_t i = 1; i < terms.size(); ++i)
            node->AppendChild(std::move(terms[i]));
        return node;
    };
    auto num = [](int32_t value) { return std::make_unique<MachineIntegerNode>(value); };
    struct Row {
        const char* name;
        std::function<NodePtr()> answer;
        std::vector<std::string> requests;
        const char* after;
        std::function<NodePtr()> failure = nullptr; // the kernel's answer, when it gives none
    };
    const Row rows[] = {
        {"one marker beside the tree's constants",
         [&] { return sum(Nodes(Sym("x"), marker())); },
         {"List(1, 3)"},
         "Rel(Plus(Sub(C, 1), Sub(x, 2), Sub(C, 3), Plus(x, Sub(C, 7))), Equal, k)"},
        {"constants inside the answer count too",
         [&] { return sum(Nodes(constant(num(4)), marker())); },
         {"List(1, 3, 4)"},
         "Rel(Plus(Sub(C, 1), Sub(x, 2), Sub(C, 3), Plus(Sub(C, 4), Sub(C, 7))), Equal, k)"},
        {"two markers, one request each",
         [&] { return sum(Nodes(marker(), marker())); },
         {"List(1, 3)", "List(1, 3, 7)"},
         "Rel(Plus(Sub(C, 1), Sub(x, 2), Sub(C, 3), Plus(Sub(C, 7), Sub(C, 8))), Equal, k)"},
        // Without an index from the kernel the marker still gets the next one, never the failure.
        {"the kernel fails",
         [&] { return sum(Nodes(Sym("x"), marker())); },
         {"List(1, 3)"},
         "Rel(Plus(Sub(C, 1), Sub(x, 2), Sub(C, 3), Plus(x, Sub(C, 4))), Equal, k)",
         [] { return Sym("$Failed"); }},
        {"no kernel to ask",
         [&] { return sum(Nodes(marker(), marker())); },
         {"List(1, 3)", "List(1, 3, 4)"},
         "Rel(Plus(Sub(C, 1), Sub(x, 2), Sub(C, 3), Plus(Sub(C, 4), Sub(C, 5))), Equal, k)",
         [] { return std::make_unique<ErrorNode>(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeSession session;
        session.failure = row.failure;
        // C_1 + x_2 + C_3 + y = k, where y is the target: x_2 is no integration constant.
        NodePtr left =
            sum(Nodes(constant(num(1)), std::make_unique<SubscriptNode>(Sym("x"), num(2)),
                      constant(num(3)), Sym("y")));
        auto relation = std::make_unique<InequalityNode>(std::move(left));
        relation->AppendChild(Sym("Equal"));
        relation->AppendChild(Sym("k"));
        ExprHolder holder(std::move(relation));
        auto* terms =
            dynamic_cast<PlusNode*>(dynamic_cast<InequalityNode*>(holder.Get())->FirstChild());
        ExprNode* first = terms->FirstChild();
        ExprNode* target = terms->LastChild();
        EXPECT_EQ(holder.InsertResult(target, row.answer()), ExprHolder::Insertion::kInserted);
        EXPECT_EQ(session.collectedTerms, row.requests);
        EXPECT_EQ(TreeText(holder.Get()), row.after);
        // The tree's own constants are where they were, still linked to their neighbours.
        EXPECT_EQ(terms->FirstChild(), first);
        EXPECT_EQ(TreeText(first->Next()->Next()), "Sub(C, 3)");
    }
}

TEST_F(HolderTest, MakeFractionSplitsAQuotientOnly) {
    ExprHolder holder = Hold("a b");
    ExprNode* before = holder.Get();
    holder.MakeFraction();
    EXPECT_EQ(holder.Get(), before);

    ExprHolder quotient = Hold("a/b");
    quotient.MakeFraction();
    EXPECT_EQ(TreeText(quotient.Get()), "Divide(a, b)");
}

TEST_F(HolderTest, BoxesCanBeBuiltAgain) {
    ExprHolder holder = Hold("a-b");
    const std::string first = exprtest::DescribeAll(holder.BuildBoxes().Release());
    const std::string second = exprtest::DescribeAll(holder.BuildBoxes().Release());
    EXPECT_EQ(first, second);
    EXPECT_NE(first.find('-'), std::string::npos);
    EXPECT_EQ(TreeText(holder.Get()), "Plus(a, Times(-1, b))");
}

} // namespace
} // namespace parsetest
