// The session as the parser's session: typed lines parsed while it lives reach the kernel
// through it.

#include "SessionFixture.h"
#include "mathbox/parser/ExprHolder.h"
#include "mathbox/parser/tests/ParseFixture.h"

namespace kerneltest {
namespace {

using parsetest::TreeText;

class TypedLineTest : public SessionTest {
protected:
    NodePtr ParseTyped(std::string_view text) {
        parsetest::Line line;
        line.Type(text);
        ExprLexer lexer;
        lexer.Init(&line.List(), 1, line.End());
        return ExprParser::Parse(lexer);
    }
    // A marker the ordering request numbers, in a sum that replaces `y` in "y=k".
    static NodePtr MarkedAnswer() {
        auto answer = std::make_unique<PlusNode>(Sym("x"));
        answer->AppendChild(std::make_unique<SubscriptNode>(Sym("C"), Sym("tyReplSub")));
        return answer;
    }

    exprtest::FakeBoxes boxes;
};

TEST_F(TypedLineTest, TheSessionServesTheParserForItsWholeLifetime) {
    ExprSession* const mine = &session;
    EXPECT_EQ(gExprSession.Get(), mine);
    {
        FakeHost otherHost;
        kernel::KernelSession other(otherHost);
        EXPECT_EQ(gExprSession.Get(), static_cast<ExprSession*>(&other));
    }
    EXPECT_EQ(gExprSession.Get(), mine) << "an ended session puts back the one before it";
}

// The parser side reaches the kernel only through the installed session.
TEST_F(TypedLineTest, TheOrderingRequestForATypedLineGoesToTheKernel) {
    NodePtr terms = ParseTyped("a+b");
    ASSERT_TRUE(terms);
    kernel->Serve({ReturnInteger(4)});
    EXPECT_EQ(TreeText(gExprSession->NextPriority(*terms).get()), "4");
    const std::vector<std::string> requests = kernel->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("EvaluatePacket[Plus[Part[Sort[", 0), 0u) << requests[0];
    EXPECT_NE(requests[0].find("a, b"), std::string::npos) << requests[0];
}

TEST_F(TypedLineTest, AnAnswerMarkerInATypedLineIsNumberedThroughTheSession) {
    ExprHolder holder(ParseTyped("y=k"));
    auto* relation = dynamic_cast<InequalityNode*>(holder.Get());
    ASSERT_TRUE(relation);
    EXPECT_EQ(holder.InsertResult(relation->FirstChild(), MarkedAnswer()),
              ExprHolder::Insertion::kInserted);
    // No numbered term in the tree yet: the session answers the first index itself.
    EXPECT_TRUE(kernel->Requests().empty());
    EXPECT_EQ(TreeText(holder.Get()), "Rel(Plus(x, Sub(C, '1')), Equal, k)");
}

TEST_F(TypedLineTest, TheServerRulesNeverApplyAndRefusalsGoToTheChosenHost) {
    fakes::Host document;
    session.SetMessageHost(&document);
    EXPECT_EQ(session.MessageHost(), &document);
    // Under the server's rules an unknown capital name is refused with a message.
    EXPECT_EQ(TreeText(ParseTyped("x+Abc").get()), "Plus(x, Abc)");
    EXPECT_TRUE(document.messages.empty());
    session.SetMessageHost(nullptr);
}

} // namespace
} // namespace kerneltest
