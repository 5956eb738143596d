// Where nodes came from, in a small document: the range a node's source names, whether it holds
// a position, how two sources join, and which child a position finds.

#include "NodeCases.h"
#include "document/DocRange.h"
#include "document/tests/SequenceFakes.h"
#include "expr/PlusNode.h"
#include "expr/PowerNode.h"
#include "expr/UnaryNodes.h"

#include <map>
#include <string>
#include <tuple>

using namespace seqfakes;

namespace exprtest {
namespace {

// Paragraph 1: "a", "+", a box holding "xy", a 2 x 2 matrix, "b".
// Paragraph 2: "c", a partial derivative of two variables, "d".
class Sources : public ::testing::Test {
protected:
    Sources() {
        std::tie(box, grid, derivative) = AppendBoxGridDerivative(seq, "a+", "xy");
        seq.PlaceAll(false);
        L1 = seq.GetAt(1)->GetList(1);
        L2 = seq.GetAt(2)->GetList(1);
        inside = box->GetList(1);
        names = {{L1, "L1"}, {L2, "L2"}, {inside, "box"}, {grid, "G"}, {derivative, "D"}};
    }

    std::string Name(const DocRange& r) const {
        return PositionName(r.start, names) + " .. " + PositionName(r.end, names);
    }
    std::string Name(const NodeSource& s) const { return Name(s.ToDocRange()); }

    static NodeSource Whole(TextComp* owner, int32_t first, int32_t last, uint8_t flag) {
        NodeSource source;
        source.SetWhole(owner, first, last, flag);
        return source;
    }
    static NodeSource Variables(TextComp* owner, int32_t first, int32_t last) {
        NodeSource source(nullptr, first, last);
        source.component = owner;
        source.kind = DocPos::kOnVariable;
        return source;
    }
    static NodePtr Placed(const char* name, const NodeSource& source) {
        NodePtr node = Sym(name);
        node->SetSource(source);
        return node;
    }

    Services services;
    BuiltinNamesScope symbolNames;
    CompSequence seq;
    fakes::Box* box = nullptr;
    Grid* grid = nullptr;
    Derivative* derivative = nullptr;
    CompList* L1 = nullptr;
    CompList* L2 = nullptr;
    CompList* inside = nullptr;
    std::map<const void*, std::string> names;
};

TEST_F(Sources, NameTheirDocumentRange) {
    const struct {
        const char* name;
        NodeSource source;
        const char* range;
    } cases[] = {
        {"run in a list", NodeSource(L1, 2, 4), "L1 2 .. L1 4"},
        {"rows of a grid", Whole(grid, 1, 2, 0), "G rows 1 .. G rows 2"},
        {"columns of a grid", Whole(grid, 2, 3, 1), "G cols 2 .. G cols 3"},
        {"variables of a derivative", Variables(derivative, 1, 2), "D 1 .. D 2"},
        {"no place", NodeSource(), "none .. none"},
        {"no place, whole", Whole(nullptr, 1, 2, 0), "none .. none"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Name(row.source), row.range);
        EXPECT_EQ(Name(Placed("s", row.source)->GetSource()), row.range);
    }
}

TEST_F(Sources, HoldPositionsAsTheDocumentDoes) {
    const struct {
        const char* name;
        NodeSource source;
        DocPos position;
        bool held;
    } cases[] = {
        {"after the first item", NodeSource(L1, 1, 3), ListPos(L1, 2), true},
        {"at the end", NodeSource(L1, 1, 3), ListPos(L1, 3), true},
        {"at the start", NodeSource(L1, 1, 3), ListPos(L1, 1), false},
        {"past the end", NodeSource(L1, 1, 3), ListPos(L1, 4), false},
        {"inside a box of the run", NodeSource(L1, 3, 4), ListPos(inside, 2), true},
        {"inside a box after the run", NodeSource(L1, 1, 3), ListPos(inside, 1), false},
        {"other paragraph", NodeSource(L1, 1, 6), ListPos(L2, 2), false},
        {"on a row boundary", Whole(grid, 1, 3, 0), GridPos(grid, 2, false), true},
        {"on a column boundary of a row source", Whole(grid, 1, 3, 0), GridPos(grid, 2, true),
         false},
        {"between variables", Variables(derivative, 1, 3), VarPos(derivative, 2), true},
        // A source that names no place holds nothing, not even a position of no list.
        {"no place", NodeSource(), ListPos(nullptr, 1), false},
        {"no place, empty position", NodeSource(), DocPos(), false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.source.TestRange(row.position), row.held);
    }
}

TEST_F(Sources, UnionOfDifferentPlacesCoversBoth) {
    const struct {
        const char* name;
        NodeSource first;
        NodeSource second;
        const char* joined;
    } cases[] = {
        {"box contents after a run", NodeSource(L1, 1, 2), NodeSource(inside, 1, 3),
         "L1 1 .. L1 4"},
        {"run after box contents", NodeSource(inside, 1, 2), NodeSource(L1, 4, 6), "L1 3 .. L1 6"},
        {"box contents inside a wider run", NodeSource(L1, 1, 6), NodeSource(inside, 1, 2),
         "L1 1 .. L1 6"},
        {"grid rows after a run", NodeSource(L1, 1, 2), Whole(grid, 1, 2, 0), "L1 1 .. L1 5"},
        // A record names one list: a place in another paragraph cannot be joined.
        {"next paragraph", NodeSource(L1, 2, 3), NodeSource(L2, 1, 2), "L1 2 .. L1 3"},
        {"other knows no place", NodeSource(L1, 2, 3), Whole(nullptr, 1, 2, 0), "L1 2 .. L1 3"},
        {"this knows no place", Whole(nullptr, 1, 2, 0), NodeSource(L2, 1, 2), "L2 1 .. L2 2"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        NodeSource joined = row.first;
        joined.Union(row.second);
        EXPECT_EQ(Name(joined), row.joined);
    }
    // The joined record keeps the kind of its range: rows of one grid stay rows.
    NodeSource rows = Whole(grid, 1, 2, 0);
    rows.Union(Whole(grid, 2, 3, 0));
    EXPECT_EQ(Name(rows), "G rows 1 .. G rows 3");
    EXPECT_EQ(rows.kind, NodeSource::kWhole);
}

// a + [box: x y] + b, as a typed sum would carry its places: each term its own run.
TEST_F(Sources, PositionsFindTheChildThatHoldsThem) {
    std::map<std::string, const ExprNode*> terms;
    const auto term = [&terms](NodePtr node, const char* name) {
        terms[name] = node.get();
        return node;
    };
    PlusNode sum(term(Placed("a", NodeSource(L1, 1, 2)), "a"));
    sum.AppendChild(Sym("unplaced"));
    sum.AppendChild(term(Placed("x", NodeSource(L1, 3, 4)), "x"));
    sum.AppendChild(term(Placed("b", NodeSource(L1, 5, 6)), "b"));
    EXPECT_EQ(Name(sum.Source()), "L1 1 .. L1 6");
    const struct {
        const char* name;
        DocPos position;
        const char* found; // null: none
    } cases[] = {
        {"after a", ListPos(L1, 2), "a"},
        {"after the box", ListPos(L1, 4), "x"},
        {"inside the box", ListPos(inside, 1), "x"},
        {"after b", ListPos(L1, 6), "b"},
        {"before everything", ListPos(L1, 1), nullptr},
        {"between the terms", ListPos(L1, 3), nullptr},
        {"on the grid", GridPos(grid, 1, false), nullptr},
        {"in the other paragraph", ListPos(L2, 2), nullptr},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(sum.FindMarker(row.position), row.found ? terms[row.found] : nullptr);
    }

    // One operand, and a power: the operand that holds the position, not its parent.
    FactorialNode factorial(Placed("n", NodeSource(L1, 1, 2)));
    EXPECT_EQ(factorial.FindMarker(ListPos(L1, 2)), factorial.Operand());
    EXPECT_EQ(factorial.FindMarker(ListPos(L1, 4)), nullptr);
    PowerNode power(Placed("k", NodeSource(inside, 1, 3)), Placed("z", NodeSource(L1, 1, 3)),
                    false);
    EXPECT_EQ(power.FindMarker(ListPos(L1, 2)), power.GetBase());
    EXPECT_EQ(power.FindMarker(ListPos(inside, 2)), power.First());
}

} // namespace
} // namespace exprtest
