#include "mathbox/parser/ExprHolder.h"

#include "ParseFixture.h"

namespace parsetest {
namespace {

class HolderTest : public ParseTest {
protected:
    ExprHolder Hold(std::string_view typed) {
        Parse(typed);
        return ExprHolder(std::move(lastTree));
    }
    static NodePtr Sym(const char* name) { return SymbolNode::FromName(name); }
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
