#pragma once

// One row per node: how it writes to the link in both forms, its MathML, its plain text and its
// display boxes. Every row builds a fresh node for each check, since drawing and MathML take
// signs and unit factors off sums and products.

#include "BoxFakes.h"
#include "LinkTokens.h"
#include "expr/LeafNodes.h"
#include "expr/MathMLWriter.h"
#include "expr/symbols/BuiltinNames.h"

#include <functional>

namespace exprtest {

inline NodePtr Sym(const char* name) {
    return SymbolNode::FromName(name);
}
inline NodePtr Int(int32_t value) {
    return std::make_unique<MachineIntegerNode>(value);
}

struct NodeCase {
    const char* name;
    std::function<NodePtr()> make;
    const char* own;      // null: not checked
    const char* standard; // null: not checked
    const char* mathml;   // null: not checked
    const char* text;     // null: not checked
    const char* boxes;    // at level 1; null: not checked
};

class NodeTest : public LinkTest {
protected:
    void Check(const NodeCase& row) {
        SCOPED_TRACE(row.name);
        if (row.own) {
            EXPECT_EQ(Own(*row.make()), row.own);
        }
        if (row.standard) {
            EXPECT_EQ(Standard(*row.make()), row.standard);
        }
        if (row.mathml) {
            EXPECT_EQ(MathML(*row.make()), row.mathml);
        }
        if (row.text) {
            EXPECT_EQ(Text(*row.make()), row.text);
        }
        if (row.boxes) {
            EXPECT_EQ(BoxesOf(*row.make()), row.boxes);
        }
    }

    static std::string MathML(ExprNode& node) {
        StringMathMLWriter writer;
        node.WriteMathML(writer);
        return writer.Text();
    }
    static std::string Text(ExprNode& node) {
        Str255 text;
        node.WriteText(text);
        return text.ToCString();
    }

    BuiltinNamesScope names;
    FakeBoxes boxes;
};

} // namespace exprtest
