#pragma once

// What the math-box tests read a box's output through: its kernel text, its LaTeX as it
// stands, and a parser that reads a list as one symbol named by its text (enough to carry a
// box's structure through an expression tree and back).

#include "document/ListParser.h"
#include "document/MemoryStream.h"
#include "document/OutBuffer.h"
#include "expr/BoxFactory.h"
#include "expr/LeafNodes.h"
#include "mathbox/tests/StringLatex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace boxtest {

// A box of a known class, destroyed through the component contract.
template <typename Box>
using Owned = std::unique_ptr<Box, ComponentDestroyer>;

inline std::string TextOf(TextComp& box) {
    std::vector<uint8_t> buffer(4096);
    MemoryStream memory(buffer.data(), static_cast<int32_t>(buffer.size()));
    OutBuffer out(memory);
    box.WriteText(out);
    out.Flush();
    return std::string(buffer.begin(), buffer.begin() + memory.GetPosition());
}

inline std::string PlainLatexOf(TextComp& box) {
    StringLatex writer(false);
    box.WriteLatex(writer);
    return writer.out;
}

// A list holding one box reads as that box's own expression.
class NameParser final : public ListParser {
public:
    ExprNode* Parse(CompList& list, int32_t from, int32_t to) override {
        if (to == from + 1 && list.GetAt(from)->IsNotChar())
            return list.GetAt(from)->ToExpression();
        std::string name;
        for (int32_t i = from; i < to; ++i)
            name += static_cast<char>(list.GetAt(i)->GetCharCode());
        return new SymbolNode(NodeSource(&list, from, to), name);
    }
    ExprNode* NullSymbol(CompList& list) override {
        return new SymbolNode(NodeSource(&list, 1, 1), std::string());
    }
    ExprNode* NamedSymbol(CompList& list, int32_t from, int32_t to, const char* name) override {
        return new SymbolNode(NodeSource(&list, from, to), std::string(name));
    }
};

// A box taken through an expression tree and back: the box as it stands in `line`, the source
// its tree named, and the one box the tree built (null when it built none or several).
struct RoundTrip {
    TextComp* box = nullptr;
    NodeSource source;
    OwnedComponent back;
};

// Puts `made` at the end of `line`, converts it and builds the tree's display as an operand
// (at the top a group drops its delimiters).
inline RoundTrip ThroughTree(CompList& line, OwnedComponent made) {
    RoundTrip trip;
    trip.box = made.release();
    line.Append(trip.box);
    std::unique_ptr<ExprNode> tree(trip.box->ToExpression());
    if (tree == nullptr) return trip;
    trip.source = tree->Source();
    BoxList built;
    tree->BuildBoxes(built, 1);
    std::vector<OwnedComponent> boxes = built.Release();
    if (boxes.size() == 1) trip.back = std::move(boxes.front());
    return trip;
}

// The tree of a box alone in `line` names the box's own place, and its display is the box
// again. Fatal when the tree built no single box, so a caller can go on to read `trip.back`.
inline void ExpectSameInPlace(const RoundTrip& trip, const CompList& line) {
    EXPECT_EQ(trip.source.component, &line);
    EXPECT_EQ(trip.source.start, 1);
    EXPECT_EQ(trip.source.end, 2);
    ASSERT_NE(trip.back, nullptr);
    EXPECT_TRUE(trip.back->IsEqual(*trip.box)) << DescribeTag(trip.back->GetTypeTag());
}

} // namespace boxtest
