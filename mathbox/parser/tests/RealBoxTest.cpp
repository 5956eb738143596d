// Typed lines holding the real math boxes: each box converts its own lists through the
// installed list parser, in the middle of the outer parse, and answers its token.

#include "ParseFixture.h"
#include "mathbox/MathBoxes.h"

namespace parsetest {
namespace {

CompArray Glyphs(std::string_view text) {
    CompArray array;
    for (char c : text)
        array.Add(OwnedComponent(gGlyphSource->GetGlyph(kMathGlyphFace, static_cast<uint8_t>(c))));
    return array;
}

class RealBoxTest : public ParseTest {
protected:
    InfixListParser parser;
    Installed<ListParser> installed{gListParser, &parser};
};

TEST_F(RealBoxTest, BoxesParseInsideTheLine) {
    const BuiltLine cases[] = {
        {"fraction times a name",
         [](Line& l) {
             l.Type("2"), l.List().Append(new FracComp(Glyphs("a+b"), Glyphs("c"))), l.Type("x");
         },
         "Times(2, Divide(Plus(a, b), c), x)"},
        {"exponent box", [](Line& l) { l.Type("x"), l.List().Append(new ExpoComp(Glyphs("n-1"))); },
         "Power(x, Plus(n, Times(-1, 1)))"},
        {"subscript box",
         [](Line& l) { l.Type("a"), l.List().Append(new SubsComp(Glyphs("i"))), l.Type("+1"); },
         "Plus(Sub(a, i), 1)"},
        {"parentheses box",
         [](Line& l) { l.Type("2"), l.List().Append(new ParenComp(Glyphs("a-b"))); },
         "Times(2, Paren(Plus(a, Times(-1, b))))"},
    };
    ExpectTrees(cases);
}

TEST_F(RealBoxTest, ABoxWhoseContentFailsFailsTheLine) {
    Line line;
    line.Type("1+");
    line.List().Append(new FracComp(Glyphs("a#"), Glyphs("b")));
    Parse(line);
    // The inner error node is an operand of its own; the outer line still parses, and the
    // failure flag tells the evaluation code that part of it did not.
    EXPECT_EQ(TreeText(lastTree.get()), "Plus(1, Divide(Error, b))");
    EXPECT_TRUE(ParseFailed);
}

} // namespace
} // namespace parsetest
