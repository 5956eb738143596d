// The boxes' answers to the component contract beyond geometry: kernel text and LaTeX, caret
// paths between their lists, keys, stored records, and conversion to expression trees and back.

#include "document/ListParser.h"
#include "document/MemoryStream.h"
#include "document/OutBuffer.h"
#include "document/tests/StreamBytes.h"
#include "expr/CalculusNodes.h"
#include "expr/ExprNode.h"
#include "expr/LeafNodes.h"
#include "expr/PowerNode.h"
#include "expr/ScriptNodes.h"
#include "expr/UnaryNodes.h"
#include "mathbox/tests/BoxFixture.h"
#include "mathbox/tests/BoxText.h"
#include "mathbox/tests/StringLatex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using boxtest::BoxTest;
using boxtest::Make;
using boxtest::Math;
using boxtest::One;
using streambytes::Builder;
using streambytes::Bytes;

using boxtest::NameParser;
using boxtest::TextOf;

std::string LatexOf(TextComp& box) {
    boxtest::StringLatex writer(true);
    box.WriteLatex(writer);
    return writer.out;
}

using Maker = std::function<OwnedComponent()>;

struct OutputCase {
    const char* name;
    Maker make;
    const char* text;
    const char* latex;
};

class BoxContractTest : public BoxTest {};

TEST_F(BoxContractTest, KernelTextAndLatex) {
    const OutputCase cases[] = {
        {"fraction", [] { return Make<FracComp>(Math("n+1"), Math("2")); }, "(n+1)/2",
         "\\frac<{n+1}><{2}>"},
        {"power", [] { return Make<ExpoComp>(Math("2")); }, "^2", "^<{2}>"},
        {"power of a sum", [] { return Make<ExpoComp>(Math("n+1")); }, "^(n+1)", "^<{n+1}>"},
        {"prime", [] { return Make<ExpoComp>(uint8_t{183}); }, "^\xB7", "'"},
        {"double prime", [] { return Make<ExpoComp>(uint8_t{242}); }, "^\xF2", "''"},
        {"subscript", [] { return Make<SubsComp>(Math("i-1")); }, "_(i-1)", "_<{i-1}>"},
        {"absolute value", [] { return Make<AbsVComp>(Math("x")); }, "| x |",
         "\\left| <x>\\right| "},
        {"brackets", [] { return Make<BracketComp>(Math("x")); }, "[x]", "\\left[ <x>\\right] "},
        {"parentheses", [] { return Make<ParenComp>(Math("x")); }, "(x)", "\\left( <x>\\right) "},
        {"overbar", [] { return Make<OverComp>(Math("z")); }, "Conjugate(z)", "\\overline<{z}>"},
        {"placeholder", [] { return Make<MissComp>(); }, "missing", "\\bowtie "},
        {"square root", [] { return Make<SqrtComp>(Math("x"), Math("")); }, "sqrt(x)",
         "\\sqrt<{x}>"},
        {"root with a sum index", [] { return Make<SqrtComp>(Math("x"), Math("n+1")); },
         "(x)^1/n+1", "\\sqrt[<n+1>]<{x}>"},
        {"integral", [] { return Make<InteComp>(Math("f"), Math("x")); }, "\xBD f dx",
         "\\int <f> d <x>"},
        {"integral with only an upper bound",
         [] { return Make<InteComp>(Math("f"), Math("x"), Math("b"), Math("")); }, "\xBD f dx",
         "\\int^<{b}> <f> d <x>"},
        {"definite integral",
         [] { return Make<InteComp>(Math("f"), Math("x"), Math("b"), Math("a")); }, "\xBD f dx",
         "\\int_<{a}>^<{b}> <f> d <x>"},
        {"sum", [] { return Make<SumComp>(Math("n"), Math("i=1")); }, "\xBE i=1",
         "\\sum_<{i=1}>^<{n}> "},
        {"product without upper", [] { return Make<ProdComp>(Math(""), Math("k")); }, "\xB8 k",
         "\\prod_<{k}>^<{}> "},
        {"limit", [] { return Make<LimitComp>(Math("x")); }, "lim ", "\\lim_<{x}>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedComponent box = c.make();
        EXPECT_EQ(TextOf(*box), c.text);
        EXPECT_EQ(LatexOf(*box), c.latex);
    }
}

// The lists a caret visits, by their numbers: entering from outside, then on until it leaves.
std::string Path(const TextComp& box, CompList* (TextComp::*step)(const CompList*) const) {
    std::string path;
    for (const CompList* at = (box.*step)(nullptr); at != nullptr; at = (box.*step)(at))
        path += std::to_string(box.IndexOfList(at));
    return path;
}

std::string Moves(const TextComp& box, CompList* (TextComp::*step)(const CompList*) const) {
    std::string moves;
    for (int32_t n = 1; n <= box.GetListCount(); ++n)
        if (const CompList* to = (box.*step)(box.GetList(n)))
            moves += std::to_string(n) + ">" + std::to_string(box.IndexOfList(to)) + " ";
    return moves;
}

TEST_F(BoxContractTest, CaretPathsThroughEachStructure) {
    const struct {
        const char* name;
        Maker make;
        const char* right;
        const char* left;
        const char* up;
        const char* down;
    } cases[] = {
        {"fraction", [] { return Make<FracComp>(); }, "12", "21", "2>1 ", "1>2 "},
        {"power", [] { return Make<ExpoComp>(); }, "1", "1", "", ""},
        {"parentheses", [] { return Make<ParenComp>(); }, "1", "1", "", ""},
        {"radical", [] { return Make<SqrtComp>(); }, "12", "21", "1>2 ", "2>1 "},
        {"integral", [] { return Make<InteComp>(); }, "1234", "4321", "1>4 3>1 ", "1>3 4>1 "},
        {"sum", [] { return Make<SumComp>(); }, "12", "21", "1>2 ", "2>1 "},
        {"limit", [] { return Make<LimitComp>(); }, "1", "1", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedComponent box = c.make();
        EXPECT_EQ(Path(*box, &TextComp::ListRightOf), c.right);
        EXPECT_EQ(Path(*box, &TextComp::ListLeftOf), c.left);
        EXPECT_EQ(Moves(*box, &TextComp::ListAbove), c.up);
        EXPECT_EQ(Moves(*box, &TextComp::ListBelow), c.down);
    }
}

TEST_F(BoxContractTest, CaretAfterInsertAndFromAPoint) {
    // An empty exponent takes the caret; a filled one leaves it after the box.
    auto* empty = InPara<ExpoComp>(Make<ExpoComp>(), boxtest::kText, "x");
    DocPos pos = empty->GetCaretAfterInsert();
    EXPECT_EQ(pos.GetList(), empty->GetList(1));
    EXPECT_EQ(pos.index, 1);
    auto* filled = InPara<ExpoComp>(Make<ExpoComp>(Math("2")), boxtest::kText, "x");
    pos = filled->GetCaretAfterInsert();
    EXPECT_EQ(pos.GetList(), filled->GetParent());
    EXPECT_EQ(pos.index, 3);

    // A point beside a stacked fraction's parts chooses the part by height and the end by x.
    auto* frac = InPara<FracComp>(Make<FracComp>(Math("1"), Math("x+y")), boxtest::kEquation);
    const Rect f = frac->GetFrame();
    const Rect n = frac->GetList(1)->GetGlobalBounds();
    pos = frac->PosFromPoint(Point(f.left, n.top), true);
    EXPECT_EQ(pos.GetList(), frac->GetList(1));
    EXPECT_EQ(pos.index, 1);
    pos = frac->PosFromPoint(Point(f.right, f.bottom), true);
    EXPECT_EQ(pos.GetList(), frac->GetList(2));
    EXPECT_EQ(pos.index, 4);
}

// Answers every key it is asked with one code, to show where a key ends up.
class KeyOwner final : public MathComp {
public:
    OwnedComponent Clone() const override { return nullptr; }
    int32_t HandleKey(const DocPos&, int32_t key, int32_t, int32_t) override { return 9000 + key; }
};

TEST_F(BoxContractTest, KeysInsideABox) {
    KeyOwner owner;
    CompList line;
    line.SetOwner(&owner, 1);
    auto* outer = new FracComp(One(Make<ExpoComp>(Math("ab"))), Math("c"));
    line.Append(outer);
    auto* inner = static_cast<ExpoComp*>(outer->GetList(1)->GetAt(1));
    CompList* script = inner->GetList(1);
    const auto at = [](CompList* list, int32_t index) {
        DocPos pos;
        pos.SetAt(list, index);
        return pos;
    };
    EXPECT_EQ(inner->HandleKey(at(script, 1), 8, 0, 0), editcode::kExitLeft);
    EXPECT_EQ(inner->HandleKey(at(script, 2), 8, 0, 0), editcode::kDeleteBefore);
    EXPECT_EQ(outer->HandleKey(at(outer->GetList(1), 2), 8, 0, 0), editcode::kExtendLeft);
    EXPECT_EQ(inner->HandleKey(at(script, 3), 9, 0, 0), editcode::kExitRight);
    EXPECT_EQ(inner->HandleKey(at(script, 3), 13, 0, 0), editcode::kExitRight);
    // Any other key climbs through both boxes to the outermost owner.
    EXPECT_EQ(inner->HandleKey(at(script, 3), 'q', 0, 0), 9000 + 'q');
}

TEST_F(BoxContractTest, DetachedBoxesAreInline) {
    // No paragraph: no equation, so a fraction sets its parts side by side.
    FracComp frac(Math("1"), Math("2"));
    frac.Layout();
    frac.SetOrigin(Point(10, 50));
    EXPECT_EQ(frac.GetList(1)->GetOrigin().y, 50);
    EXPECT_EQ(frac.GetList(2)->GetOrigin().y, 50);
    // An integral outside any paragraph keeps its bounds at display size.
    InteComp integral;
    EXPECT_EQ(integral.GetList(3)->GetSizeLevel(), 2);
}

Bytes Chars(const char* text) {
    // A list of one run of math-face characters: one record, a character block.
    return Builder().I32(1).Record(
        "chBk", Builder().I16(3).U8(static_cast<uint8_t>(strlen(text))).Text(text));
}

Bytes Empty() {
    return Builder().I32(0);
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Builder b;
    for (const Bytes& p : parts)
        b.Append(p);
    return b;
}

TEST_F(BoxContractTest, StoredRecordsAndReload) {
    const struct {
        const char* name;
        Maker make;
        const char* tag;
        Bytes body;
    } cases[] = {
        {"empty fraction", [] { return Make<FracComp>(); }, "Frac", Join({Empty(), Empty()})},
        {"fraction", [] { return Make<FracComp>(Math("1"), Math("x")); }, "Frac",
         Join({Chars("1"), Chars("x")})},
        {"power", [] { return Make<ExpoComp>(Math("2")); }, "Expo", Chars("2")},
        {"subscript", [] { return Make<SubsComp>(Math("i")); }, "Subs", Chars("i")},
        {"absolute value", [] { return Make<AbsVComp>(Math("x")); }, "AbsV", Chars("x")},
        {"brackets", [] { return Make<BracketComp>(Math("x")); }, "brcG", Chars("x")},
        {"parentheses", [] { return Make<ParenComp>(); }, "parG", Empty()},
        {"overbar", [] { return Make<OverComp>(Math("z")); }, "Over", Chars("z")},
        {"placeholder", [] { return Make<MissComp>(); }, "Miss", {}},
        {"radical", [] { return Make<SqrtComp>(Math("x"), Math("3")); }, "Sqrt",
         Join({Chars("x"), Chars("3")})},
        {"integral: integrand, variable, upper, lower",
         [] { return Make<InteComp>(Math("f"), Math("x"), Math("b"), Math("a")); }, "Inte",
         Join({Chars("f"), Chars("x"), Chars("b"), Chars("a")})},
        {"sum: lower, upper", [] { return Make<SumComp>(Math("n"), Math("i")); }, "Sum ",
         Join({Chars("i"), Chars("n")})},
        {"product", [] { return Make<ProdComp>(); }, "Prod", Join({Empty(), Empty()})},
        {"limit: approach, word", [] { return Make<LimitComp>(Math("x")); }, "Limt",
         Join({Chars("x"), Chars("lim")})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OwnedComponent box = c.make();
        const Bytes bytes = streambytes::Save([&](DocStream& s) { s.WriteRecord(*box); });
        EXPECT_EQ(bytes, Bytes(Builder().Record(c.tag, c.body)));
        OwnedComponent back;
        const int32_t end =
            streambytes::Load(bytes, [&](DocStream& s) { back = s.ReadComponent(); });
        EXPECT_EQ(end, static_cast<int32_t>(bytes.size()));
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(back->IsEqual(*box));
        EXPECT_TRUE(back->NeedsLayout());
    }
}

TEST_F(BoxContractTest, UnknownRecordReloadsAsThePlaceholder) {
    const Bytes bytes = Builder()
                            .I32(3)
                            .Record("Zzzz", Builder().I32(7).Text("future"))
                            .Record("Frac", Join({Chars("1"), Chars("2")}))
                            .Record("chBk", Builder().I16(3).U8(1).Text("q"));
    CompList list;
    streambytes::Load(bytes, [&](DocStream& s) { list.Read(s); });
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_NE(dynamic_cast<MissComp*>(list.GetAt(1)), nullptr);
    EXPECT_NE(dynamic_cast<FracComp*>(list.GetAt(2)), nullptr);
    EXPECT_TRUE(list.GetAt(1)->IsEqual(MissComp()));
}

TEST_F(BoxContractTest, ClonesAreEqualAndIndependent) {
    const Maker makers[] = {
        [] { return Make<FracComp>(Math("1"), Math("2")); },
        [] { return Make<SqrtComp>(Math("x"), Math("3")); },
        [] { return Make<InteComp>(Math("f"), Math("x"), Math("b"), Math("a")); },
        [] { return Make<ProdComp>(Math("n"), Math("k")); },
        [] { return Make<LimitComp>(Math("x")); },
        [] { return Make<AbsVComp>(Math("x")); },
        [] { return Make<OverComp>(Math("x")); },
        [] { return Make<MissComp>(); },
    };
    for (const Maker& make : makers) {
        OwnedComponent box = make();
        SCOPED_TRACE(DescribeTag(box->GetTypeTag()));
        OwnedComponent copy = box->Clone();
        EXPECT_TRUE(copy->IsEqual(*box));
        if (box->GetListCount() > 0) {
            copy->GetList(1)->Append(gGlyphSource->GetGlyph(3, 'w'));
            EXPECT_FALSE(copy->IsEqual(*box));
        }
    }
}

TEST_F(BoxContractTest, BoxToTreeToBoxGivesTheSameStructure) {
    NameParser parser;
    Installed<ListParser> parsing(gListParser, &parser);
    const struct {
        const char* name;
        Maker make;
    } cases[] = {
        {"fraction", [] { return Make<FracComp>(Math("a"), Math("b")); }},
        {"power", [] { return Make<ExpoComp>(Math("n")); }},
        {"subscript", [] { return Make<SubsComp>(Math("i")); }},
        {"square root", [] { return Make<SqrtComp>(Math("x"), Math("")); }},
        {"root", [] { return Make<SqrtComp>(Math("x"), Math("n")); }},
        {"parentheses", [] { return Make<ParenComp>(Math("x")); }},
        {"brackets", [] { return Make<BracketComp>(Math("x")); }},
        {"absolute value", [] { return Make<AbsVComp>(Math("x")); }},
        {"overbar", [] { return Make<OverComp>(Math("z")); }},
        {"sum", [] { return Make<SumComp>(Math("n"), Math("i")); }},
        {"product", [] { return Make<ProdComp>(Math("n"), Math("k")); }},
        {"sum without an upper limit", [] { return Make<SumComp>(Math(""), Math("i")); }},
        {"limit", [] { return Make<LimitComp>(Math("x")); }},
        {"indefinite integral", [] { return Make<InteComp>(Math("f"), Math("x")); }},
        {"definite integral",
         [] { return Make<InteComp>(Math("f"), Math("t"), Math("b"), Math("a")); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CompList line;
        const boxtest::RoundTrip trip = boxtest::ThroughTree(line, c.make());
        ASSERT_NO_FATAL_FAILURE(boxtest::ExpectSameInPlace(trip, line));
    }
}

TEST_F(BoxContractTest, ScriptsConvertByTheirContent) {
    NameParser parser;
    Installed<ListParser> parsing(gListParser, &parser);
    enum Kind { kDirection, kPower, kDerivative };
    const struct {
        const char* name;
        CompArray (*script)();
        Kind kind;
        const char* order; // of a derivative
    } cases[] = {
        {"plus: approached from above", [] { return Math("+"); }, kDirection, ""},
        {"minus: approached from below", [] { return Math("-"); }, kDirection, ""},
        {"a power", [] { return Math("2"); }, kPower, ""},
        {"an empty script is a power", [] { return Math(""); }, kPower, ""},
        {"prime then x is a power", [] { return Math("\xB7x"); }, kPower, ""},
        {"two primes", [] { return Math("\xB7\xB7"); }, kDerivative, "2"},
        {"prime and double prime", [] { return Math("\xB7\xF2"); }, kDerivative, "3"},
        {"parenthesised order", [] { return One(Make<ParenComp>(Math("3"))); }, kDerivative, "3"},
        {"bracketed exponent stays a power", [] { return One(Make<BracketComp>(Math("3"))); },
         kPower, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpoComp expo(c.script());
        std::unique_ptr<ExprNode> tree(expo.ToExpression());
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(dynamic_cast<DirectionNode*>(tree.get()) != nullptr, c.kind == kDirection);
        EXPECT_EQ(dynamic_cast<PowerNode*>(tree.get()) != nullptr, c.kind == kPower);
        auto* derivative = dynamic_cast<DerivativeNode*>(tree.get());
        ASSERT_EQ(derivative != nullptr, c.kind == kDerivative);
        if (derivative != nullptr) {
            Str255 order;
            derivative->Order()->WriteText(order);
            EXPECT_EQ(order.View(), c.order);
        }
    }
}

TEST_F(BoxContractTest, IntegralWithOneBoundIsIndefinite) {
    NameParser parser;
    Installed<ListParser> parsing(gListParser, &parser);
    for (const char* lower : {"", "a"}) {
        InteComp integral(Math("f"), Math("x"), Math("b"), Math(lower));
        std::unique_ptr<ExprNode> tree(integral.ToExpression());
        auto* node = dynamic_cast<IntegrateNode*>(tree.get());
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->HasBounds(), *lower != '\0') << lower;
    }
}

TEST_F(BoxContractTest, EmptyUpperLimitConvertsToNone) {
    NameParser parser;
    Installed<ListParser> parsing(gListParser, &parser);
    for (bool upper : {false, true}) {
        SumComp sum(Math(upper ? "n" : ""), Math("i"));
        std::unique_ptr<ExprNode> tree(sum.ToExpression());
        auto* big = dynamic_cast<BigOperatorNode*>(tree.get());
        ASSERT_NE(big, nullptr);
        EXPECT_NE(big->Lower(), nullptr);
        EXPECT_EQ(big->Upper() != nullptr, upper);
    }
}

TEST_F(BoxContractTest, PlaceholderIsTheMissingSymbol) {
    MissComp miss;
    std::unique_ptr<ExprNode> tree(miss.ToExpression());
    Str255 text;
    tree->WriteText(text);
    EXPECT_EQ(text.View(), "missing");
    EXPECT_TRUE(miss.IsEqual(MissComp()));
    EXPECT_FALSE(miss.IsEqual(ParenComp()));
}

} // namespace
