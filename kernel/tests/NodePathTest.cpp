// The path from a parsed tree's root to the node a selection or a place designates, on typed
// math in a real paragraph with the real parser and math boxes; the marks are read as the
// kernel sees them, through a loopback link.

#include "kernel/NodePath.h"

#include "EvaluationDocument.h"
#include "expr/tests/LinkTokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kerneltest {
namespace {

std::string Text(ExprNode* node) {
    if (node == nullptr) return "<null>";
    Str255 text;
    node->WriteText(text);
    return text.ToCString();
}

class NodePaths : public exprtest::LinkTest, public DocumentInView {
protected:
    // Paragraph 2 holds the typed math `text`; its tree.
    ExprHolder Typed(const char* text) {
        line = List(2);
        while (line->GetCount() > 0)
            line->RemoveAt(1)->Destroy();
        fakes::AppendChars(*line, text);
        seq.PlaceAll(false);
        return TreeOf(line);
    }
    DocPos At(int32_t index) const { return actiontest::ListPos(line, index); }
    // The texts of the path's nodes from the head.
    static std::vector<std::string> Texts(kernel::NodePath& path) {
        std::vector<std::string> out;
        for (ExprNode* node = path.First(); node != nullptr; node = path.Next(node))
            out.push_back(Text(node));
        return out;
    }
    using Strings = std::vector<std::string>;

    CompList* line = nullptr;
};

// A selection inside one child goes down to that child; ends in different children of a node
// mark the run between them; the whole line marks the root. The mover flag is exactly where
// the kernel's marker head goes.
TEST_F(NodePaths, SelectionFindsAndMarksTheNodeItCovers) {
    struct Case {
        int32_t from, to;
        Strings path;
        const char* marked;
    };
    // x+2x+1: the gaps 1 to 7; "2x" spans the gaps 3 to 5.
    const Case cases[] = {
        {3, 5, {"x + 2 x + 1", "2 x"}, "TYPlus[x, TYMarker[TYTimes[2, x]], 1]"},
        {4, 5, {"x + 2 x + 1", "2 x", "x"}, "TYPlus[x, TYTimes[2, TYMarker[x]], 1]"},
        {5, 4, {"x + 2 x + 1", "2 x", "x"}, "TYPlus[x, TYTimes[2, TYMarker[x]], 1]"},
        {1, 5, {"x + 2 x + 1", "x + 2 x"}, "TYPlus[TYMarker[TYPlus[x, TYTimes[2, x]]], 1]"},
        {1, 7, {"x + 2 x + 1"}, "TYMarker[TYPlus[x, TYTimes[2, x], 1]]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to));
        ExprHolder tree = Typed("x+2x+1");
        DocRange range;
        range.Assign(At(c.from), At(c.to));
        kernel::NodePath path;
        path.FromSelection(*tree.Get(), range);
        EXPECT_EQ(Texts(path), c.path);
        EXPECT_TRUE(path.Last()->IsMover());
        EXPECT_EQ(Own(*tree.Get(), kMarkerOnly), c.marked);
    }
}

TEST_F(NodePaths, PlacesWalkDownAndMeet) {
    ExprHolder tree = Typed("x+2x+1");
    ExprNode* root = tree.Get();
    kernel::NodePath two, x, one;
    two.FromNode(*root, At(4));
    x.FromNode(*root, At(5));
    one.FromNode(*root, At(7));
    EXPECT_EQ(Texts(two), (Strings{"x + 2 x + 1", "2 x", "2"}));
    EXPECT_EQ(Texts(one), (Strings{"x + 2 x + 1", "1"}));
    EXPECT_EQ(Text(two.DeepestCommon(x)), "2 x");
    EXPECT_EQ(Text(x.DeepestCommon(two)), "2 x");
    EXPECT_EQ(two.DeepestCommon(one), root);

    // Walking both ways, and the cursor's ends.
    ExprNode* times = two.Next(root);
    EXPECT_EQ(two.Previous(times), root);
    EXPECT_EQ(two.Previous(root), nullptr);
    EXPECT_EQ(two.Next(two.Last()), nullptr);
    EXPECT_TRUE(two.Contains(times));
    EXPECT_FALSE(one.Contains(times));

    // From another path: its entries while they hold the place, then on down.
    kernel::NodePath moved;
    moved.FromPath(two, At(5));
    EXPECT_EQ(Texts(moved), (Strings{"x + 2 x + 1", "2 x", "x"}));
    moved.FromPath(two, At(7));
    EXPECT_EQ(Texts(moved), (Strings{"x + 2 x + 1", "1"}));

    // Paths of different trees share nothing.
    ExprHolder other = TreeOf(line);
    kernel::NodePath elsewhere;
    elsewhere.FromNode(*other.Get(), At(4));
    EXPECT_EQ(two.DeepestCommon(elsewhere), nullptr);
    elsewhere.Clear();
    EXPECT_EQ(elsewhere.First(), nullptr);
    EXPECT_EQ(elsewhere.Last(), nullptr);
    EXPECT_EQ(two.DeepestCommon(elsewhere), nullptr);
}

} // namespace
} // namespace kerneltest
