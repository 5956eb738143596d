// Total and partial derivatives on the fake drawing port: list numbering and caret paths, the
// derived numerator order, differentials in and out, stored bytes and damaged records, LaTeX,
// text and geometry.

#include "document/DocPos.h"
#include "document/LatexWriter.h"
#include "document/OutBuffer.h"
#include "document/tests/Fakes.h"
#include "document/tests/StreamBytes.h"
#include "mathbox/DerivativeBoxes.h"
#include "mathbox/GridKinds.h"
#include "mathbox/tests/BoxText.h"
#include "platform/Exceptions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using streambytes::Builder;
using streambytes::Bytes;

namespace {

using boxtest::TextOf;

std::string LatexOf(TextComp& comp) {
    return boxtest::PlainLatexOf(comp);
}

using boxtest::Owned;

// A partial derivative of `count` differentials with variables "x", "y", ... and the orders
// given.
Owned<PartialDerivativeBox> Partial(std::vector<std::string> orders) {
    Owned<PartialDerivativeBox> d(new PartialDerivativeBox());
    for (size_t k = 0; k < orders.size(); ++k) {
        if (k > 0)
            d->InsertDifferentialAt(static_cast<int32_t>(k) + 1,
                                    OwnedDifferential(new PartialDifferentialBox()));
        fakes::AppendChars(d->GetDifferentialBox(static_cast<int32_t>(k) + 1)->Variable(),
                           std::string(1, static_cast<char>('x' + k)));
        fakes::AppendChars(d->GetDifferentialBox(static_cast<int32_t>(k) + 1)->Order(), orders[k]);
    }
    return d;
}

class DerivativeBoxTest : public ::testing::Test {
protected:
    fakes::GlyphSource glyphs;
    fakes::DrawPort port;
    fakes::RunFactory runs;
    GridKinds kinds;
};

TEST_F(DerivativeBoxTest, CaretPathsThroughATwoVariablePartialDerivative) {
    auto d = Partial({"", ""});
    CompList* x = d->GetList(1);
    CompList* xOrder = d->GetList(2);
    CompList* y = d->GetList(3);
    CompList* yOrder = d->GetList(4);
    CompList* f = d->GetList(5);
    EXPECT_EQ(d->GetListCount(), 5);
    EXPECT_EQ(f, &d->Function());
    for (CompList* list : {x, xOrder, y, yOrder, f})
        EXPECT_EQ(list->GetOwner(), d.get()) << "positions in every list resolve to the box";
    EXPECT_EQ(d->IndexOfDifferential(yOrder), 2);
    EXPECT_EQ(d->IndexOfDifferential(f), 0);

    std::vector<CompList*> right;
    for (CompList* at = d->ListRightOf(nullptr); at != nullptr; at = d->ListRightOf(at))
        right.push_back(at);
    EXPECT_EQ(right, (std::vector<CompList*>{x, xOrder, y, yOrder, f}));
    std::vector<CompList*> left;
    for (CompList* at = d->ListLeftOf(nullptr); at != nullptr; at = d->ListLeftOf(at))
        left.push_back(at);
    EXPECT_EQ(left, (std::vector<CompList*>{f, yOrder, y, xOrder, x}));

    EXPECT_EQ(d->ListAbove(y), yOrder);
    EXPECT_EQ(d->ListAbove(xOrder), f);
    EXPECT_EQ(d->ListAbove(f), nullptr);
    EXPECT_EQ(d->ListBelow(f), xOrder);
    EXPECT_EQ(d->ListBelow(yOrder), y);
    EXPECT_EQ(d->ListBelow(y), nullptr);

    Owned<TotalDerivativeBox> t(new TotalDerivativeBox());
    std::vector<CompList*> up;
    for (CompList* at = t->GetList(1); at != nullptr; at = t->ListAbove(at))
        up.push_back(at);
    EXPECT_EQ(up, (std::vector<CompList*>{t->GetList(1), t->GetList(2), t->GetList(3)}));
    EXPECT_EQ(t->ListLeftOf(nullptr), t->GetList(3));
    EXPECT_EQ(t->ListRightOf(t->GetList(3)), nullptr);
}

TEST_F(DerivativeBoxTest, NumeratorOrderFollowsTheDifferentials) {
    const struct {
        const char* name;
        std::vector<std::string> orders;
        const char* numerator;
    } cases[] = {
        {"one differential copies its order", {"3"}, "3"},
        {"first orders add up", {"", ""}, "2"},
        {"a sum of 1 is not shown", {"n", ""}, "n"},
        {"numbers then symbols", {"2", "n"}, "2 + n"},
        {"digits and letters are symbolic", {"2a", "3"}, "3 + 2a"},
        {"two symbols", {"n", "m"}, "n + m"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = Partial(c.orders);
        d->Layout();
        EXPECT_EQ(d->NumeratorOrder().GetText().ToCString(), c.numerator);
    }

    Owned<TotalDerivativeBox> t(new TotalDerivativeBox());
    fakes::AppendChars(*t->GetList(2), "2");
    t->Layout();
    EXPECT_EQ(t->NumeratorOrder().GetText().ToCString(), "2");
    t->GetList(2)->RemoveAt(1);
    t->Layout();
    EXPECT_EQ(t->NumeratorOrder().GetCount(), 0) << "the order above follows the one below";
}

TEST_F(DerivativeBoxTest, OrdersAsNumbers) {
    const struct {
        const char* name;
        const char* text;
        bool box;
        int32_t order;
    } cases[] = {
        {"empty", "", false, 1},
        {"digits", "12", false, 12},
        {"letters", "n", false, 0},
        {"digits then a letter", "2a", false, 0},
        {"only a box", "", true, 0},
        {"too long for 32 bits", "99999999999", false, 0},
        {"just past 32 bits", "2147483648", false, 0},
        {"the largest", "2147483647", false, 2147483647},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Owned<DifferentialBox> d(new TotalDifferentialBox());
        fakes::AppendChars(d->Order(), c.text);
        if (c.box) d->Order().Append(new fakes::Box());
        EXPECT_EQ(d->GetOrder(), c.order);
    }
}

TEST_F(DerivativeBoxTest, DifferentialsGoInAndOutAndOneAlwaysStays) {
    auto d = Partial({"", "2", ""});
    OwnedComponent middle = d->RemoveDifferentials(2, 2);
    EXPECT_EQ(d->GetDifferentialCount(), 2);
    auto& taken = static_cast<PartialDerivativeBox&>(*middle);
    EXPECT_EQ(taken.GetDifferentialBox(1)->Variable().GetText().ToCString(), "y");
    EXPECT_EQ(taken.GetDifferentialBox(1)->Variable().GetOwner(), &taken);
    d->InsertDifferentialsFrom(2, std::move(middle));
    EXPECT_EQ(d->GetDifferentialCount(), 3);
    EXPECT_EQ(d->GetDifferentialBox(2)->Order().GetText().ToCString(), "2");
    EXPECT_EQ(d->GetList(4)->GetOwner(), d.get());

    OwnedComponent copy = d->CopyDifferentials(1, 3);
    OwnedComponent all = d->RemoveDifferentials(1, 3);
    EXPECT_EQ(d->GetDifferentialCount(), 1) << "an empty differential stays behind";
    EXPECT_EQ(d->GetList(1)->GetCount(), 0);
    EXPECT_TRUE(all->IsEqual(*copy));

    OwnedDifferential alone = d->RemoveDifferential(1);
    EXPECT_EQ(alone->Variable().GetOwner(), alone.get()) << "its lists are its own again";
    EXPECT_EQ(d->GetDifferentialCount(), 1);

    OwnedComponent stranger(new TotalDerivativeBox());
    EXPECT_THROW(d->InsertDifferentialsFrom(1, std::move(stranger)), std::invalid_argument);
    EXPECT_THROW(d->RemoveDifferentials(1, 2), std::out_of_range);
}

TEST_F(DerivativeBoxTest, GoldenRecordsAndDamage) {
    OwnedComponent total(new TotalDerivativeBox());
    EXPECT_EQ(streambytes::Save([&](DocStream& s) { s.WriteRecord(*total); }),
              Builder().Tag("totD").I32(16).I32(0).I32(0).I32(0).Get());
    // Filled: the function first, then the differential's variable and order.
    Owned<TotalDerivativeBox> filled(new TotalDerivativeBox());
    fakes::AppendChars(*filled->GetList(1), "x");
    fakes::AppendChars(*filled->GetList(3), "f");
    auto block = [](const char* text) {
        return Builder().I32(1).Record("chBk", Builder().I16(0).U8(1).Text(text));
    };
    EXPECT_EQ(
        streambytes::Save([&](DocStream& s) { s.WriteRecord(*filled); }),
        Builder().Record("totD", Builder().Append(block("f")).Append(block("x")).I32(0)).Get());

    auto partial = Partial({"", ""});
    partial->GetList(1)->RemoveAt(1);
    partial->GetList(3)->RemoveAt(1);
    const Bytes two = streambytes::Save([&](DocStream& s) { s.WriteRecord(*partial); });
    EXPECT_EQ(two, Builder().Tag("parD").I32(26).I32(0).I16(2).I32(0).I32(0).I32(0).I32(0).Get());

    OwnedComponent back;
    streambytes::Load(two, [&](DocStream& s) { back = s.ReadComponent(); });
    EXPECT_TRUE(back->IsEqual(*partial));

    const Bytes three =
        Builder().Tag("parD").I32(34).I32(0).I16(3).I32(0).I32(0).I32(0).I32(0).I32(0).I32(0).Get();
    streambytes::Load(three, [&](DocStream& s) { back = s.ReadComponent(); });
    EXPECT_EQ(static_cast<PartialDerivativeBox&>(*back).GetDifferentialCount(), 3);
    EXPECT_EQ(back->GetList(6)->GetOwner(), back.get());

    const Bytes none = Builder().Tag("parD").I32(10).I32(0).I16(0).Get();
    streambytes::Load(none, [&](DocStream& s) { back = s.ReadComponent(); });
    auto& empty = static_cast<PartialDerivativeBox&>(*back);
    EXPECT_EQ(empty.GetDifferentialCount(), 1) << "no differential reads as one empty one";
    EXPECT_NE(empty.ListRightOf(nullptr), nullptr);

    for (const Bytes& damaged : {Builder().Tag("parD").I32(10).I32(0).I16(-1).Get(),
                                 Builder().Tag("parD").I32(10).I32(0).I16(5000).Get()}) {
        try {
            streambytes::Load(damaged, [&](DocStream& s) { back = s.ReadComponent(); });
            ADD_FAILURE() << "read a damaged record";
        } catch (const platform::FileException& e) {
            EXPECT_EQ(e.GetCause(), platform::FileException::Cause::BadFormat);
        }
    }
}

TEST_F(DerivativeBoxTest, LatexAndText) {
    Owned<TotalDerivativeBox> bare(new TotalDerivativeBox());
    fakes::AppendChars(*bare->GetList(1), "x");
    Owned<TotalDerivativeBox> second(new TotalDerivativeBox());
    fakes::AppendChars(*second->GetList(1), "x");
    fakes::AppendChars(*second->GetList(2), "2");
    fakes::AppendChars(*second->GetList(3), "f");
    auto partial = Partial({"", ""});
    fakes::AppendChars(partial->Function(), "f");
    const struct {
        const char* name;
        TextComp& box;
        std::string text;
        std::string latex;
    } cases[] = {
        {"total without order or function", *bare, "d/d x", "\\frac{d }{dx }"},
        {"second total derivative", *second, "d^2 f/d^2 x", "\\frac{d^{2}f}{dx^{2}}"},
        {"partial in two variables", *partial, "\xdb^2 f/\xdb x\xdb y",
         "\\frac{\\partial^{2}f}{\\partial x \\partial y }"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextOf(c.box), c.text);
        EXPECT_EQ(LatexOf(c.box), c.latex);
    }
}

TEST_F(DerivativeBoxTest, GeometryOnTheFakePort) {
    // u = 4, axis 0; signs 10 wide and 8 above the baseline; "x" and "f" 10 wide (-8..2).
    Owned<TotalDerivativeBox> t(new TotalDerivativeBox());
    fakes::AppendChars(*t->GetList(1), "x");
    fakes::AppendChars(*t->GetList(3), "f");
    t->Layout();
    // The differential: sign 10 + empty order 8 + x 10 = 28; the order (the placeholder, -10..2)
    // is raised to -8 + 10 / 4 = -6, so its top is at -16.
    const Rect d = t->GetDifferentialBox(1)->GetBounds();
    EXPECT_EQ(d, Rect(0, -16, 28, 2));
    // Numerator: sign 10 + f 10 = 20, top -8, bottom 2; denominator 28 wide, -10..2.
    EXPECT_EQ(t->GetBounds(), Rect(0, -8 - 2 - 8, 8 + 28, 16 + 2 + 4));
    t->SetOrigin(Point(0, 0));
    // The differential is centred under the bar, the numerator's list over it.
    EXPECT_EQ(t->GetDifferentialBox(1)->GetOrigin(), Point((36 - 28) / 2, 2 + 16));
    EXPECT_EQ(t->GetList(3)->GetGlobalBounds().left, (36 - 20) / 2 + 10);
    EXPECT_EQ(t->GetList(3)->GetOrigin().y, -6 - 2);

    auto p = Partial({"", ""});
    p->Layout();
    p->SetOrigin(Point(0, 0));
    // Two differentials, each followed by a gap of u.
    const Rect first = p->GetDifferentialRect(1);
    const Rect second = p->GetDifferentialRect(2);
    EXPECT_EQ(second.left, first.right + 4);
    const Rect marker = p->GetDifferentialRect(3);
    EXPECT_EQ(marker.left, second.right);
    EXPECT_EQ(marker.Width(), 2);

    // A point in the gap before the second differential is a variable boundary there; a point
    // in a variable is a place in its list.
    const DocPos gap = p->PosFromPoint(Point(first.right + 2, first.bottom - 1), true);
    EXPECT_EQ(gap.kind, DocPos::kOnVariable);
    EXPECT_EQ(gap.index, 2);
    const Rect y = p->GetList(3)->GetGlobalBounds();
    const DocPos in = p->PosFromPoint(Point(y.left + 1, y.bottom - 1), false);
    EXPECT_EQ(in.target, p->GetList(3));
}

TEST_F(DerivativeBoxTest, KeysOnVariables) {
    auto p = Partial({""});
    DocPos on;
    on.SetInComponent(p.get(), 1);
    DocPos later;
    later.SetInComponent(p.get(), 2);
    DocPos in;
    in.SetAt(p->GetList(1), 1);
    EXPECT_EQ(p->HandleKey(on, 8, 0, 0), 905);
    EXPECT_EQ(p->HandleKey(later, 8, 0, 0), 807);
    EXPECT_EQ(p->HandleKey(on, 9, 0, 1), 1006);
    EXPECT_EQ(p->HandleKey(on, 9, 0, 0), 902);
    EXPECT_EQ(p->HandleKey(in, 9, 0, 1), 1301);
    EXPECT_EQ(p->HandleKey(in, 9, 0, 0), 1302);
    EXPECT_TRUE(p->IsCommandEnabled(1006, in));
}

} // namespace
