#pragma once

// Typed math for the lexer and parser tests: a line of glyphs (from the recording glyph source)
// with fake math boxes among them, and the parsed tree shown as text, Class(child, ...), with
// symbols by name, machine numbers by value and number text in quotes.

#include "document/CompList.h"
#include "document/tests/FakeHost.h"
#include "expr/CalculusNodes.h"
#include "expr/FunctionNode.h"
#include "expr/GridNodes.h"
#include "expr/GroupNode.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/PlusNode.h"
#include "expr/PowerNode.h"
#include "expr/RelationNodes.h"
#include "expr/ScriptNodes.h"
#include "expr/TimesNode.h"
#include "expr/UnaryNodes.h"
#include "expr/symbols/BuiltinNames.h"
#include "expr/tests/BoxFakes.h"
#include "mathbox/parser/ExprParser.h"
#include "mathbox/parser/ExprServices.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>

namespace parsetest {

// A math box in a line: it converts to a copy of the node it was given (none: no expression).
class FakeMathBox final : public TextComp {
public:
    explicit FakeMathBox(NodePtr node) : m_node(std::move(node)) {}
    OwnedComponent Clone() const override { return nullptr; }
    TypeTag GetTypeTag() const override { return TypeTag("Frac"); }
    ExprNode* ToExpression() override { return m_node ? m_node->Clone().release() : nullptr; }

private:
    NodePtr m_node;
};

inline std::string TreeText(const ExprNode* node);

inline std::string Children(const char* name, std::initializer_list<const ExprNode*> children) {
    std::string out = std::string(name) + "(";
    bool first = true;
    for (const ExprNode* child : children) {
        out += (first ? "" : ", ") + TreeText(child);
        first = false;
    }
    return out + ")";
}

inline std::string ListText(const char* name, const CompositeNode& node) {
    std::string out = std::string(name) + "(";
    for (const ExprNode* child = node.FirstChild(); child; child = child->Next())
        out += (child == node.FirstChild() ? "" : ", ") + TreeText(child);
    return out + ")";
}

inline std::string TreeText(const ExprNode* node) {
    if (!node) return "_";
    Str255 text;
    if (dynamic_cast<const ErrorNode*>(node)) return "Error";
    if (const auto* symbol = dynamic_cast<const SymbolNode*>(node)) {
        symbol->GetName(text);
        return text.ToCString();
    }
    if (const auto* integer = dynamic_cast<const MachineIntegerNode*>(node))
        return std::to_string(integer->GetInteger());
    if (const auto* real = dynamic_cast<const MachineRealNode*>(node)) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%gR", real->GetReal());
        return digits;
    }
    if (const auto* number = dynamic_cast<const NumberTextNode*>(node))
        return "'" + number->Text().value_or("") +
               (node->TypeTag() == TypeTag("reaN") ? "'R" : "'");
    if (const auto* string = dynamic_cast<const TextNode*>(node))
        return "\"" + string->Text() + "\"";
    if (dynamic_cast<const PlusMinusNode*>(node)) return "PM";
    if (const auto* c = dynamic_cast<const PlusNode*>(node)) return ListText("Plus", *c);
    if (const auto* c = dynamic_cast<const TimesNode*>(node)) return ListText("Times", *c);
    if (const auto* c = dynamic_cast<const SequenceNode*>(node)) return ListText("Seq", *c);
    if (const auto* c = dynamic_cast<const ListNode*>(node)) return ListText("List", *c);
    if (const auto* c = dynamic_cast<const OrNode*>(node)) return ListText("Or", *c);
    if (const auto* c = dynamic_cast<const InequalityNode*>(node)) return ListText("Rel", *c);
    if (const auto* n = dynamic_cast<const PowerNode*>(node))
        return Children("Power", {n->GetBase(), n->Exponent()});
    if (const auto* n = dynamic_cast<const DivideNode*>(node))
        return Children("Divide", {n->Numerator(), n->Denominator()});
    if (const auto* n = dynamic_cast<const FunctionNode*>(node))
        return Children("Call", {n->Head(), n->Argument()});
    if (const auto* n = dynamic_cast<const ModNode*>(node))
        return Children("Mod", {n->First(), n->Second()});
    if (const auto* n = dynamic_cast<const RuleNode*>(node))
        return Children("Rule", {n->First(), n->Second()});
    if (const auto* n = dynamic_cast<const SubscriptNode*>(node))
        return Children("Sub", {n->Base(), n->Subscript()});
    if (const auto* n = dynamic_cast<const GroupNode*>(node))
        return Children(n->HasParentheses() ? "Paren" : "Bracket", {n->Operand()});
    if (const auto* n = dynamic_cast<const FactorialNode*>(node))
        return Children("Factorial", {n->Operand()});
    if (const auto* n = dynamic_cast<const DirectionNode*>(node))
        return Children("Direction", {n->Operand()});
    return "<" + DescribeTag(node->TypeTag()) + ">";
}

// A typed line: characters with boxes among them.
class Line {
public:
    // Adds glyphs of the math face for each character.
    Line& Type(std::string_view text) {
        for (char c : text)
            m_list.Append(gGlyphSource->GetGlyph(kMathGlyphFace, static_cast<uint8_t>(c)));
        return *this;
    }
    Line& Code(uint8_t code) {
        m_list.Append(gGlyphSource->GetGlyph(kMathGlyphFace, code));
        return *this;
    }
    Line& Box(NodePtr node) {
        m_list.Append(new FakeMathBox(std::move(node)));
        return *this;
    }
    CompList& List() { return m_list; }
    int32_t End() const { return m_list.GetCount() + 1; }

private:
    CompList m_list;
};

class ParseTest : public ::testing::Test {
protected:
    void SetUp() override { ParseFailed = false; }

    // The tree of a whole line, as text; the lexer's error code is kept.
    std::string Parse(Line& line) {
        ExprLexer lexer;
        lexer.Init(&line.List(), 1, line.End());
        NodePtr tree = ExprParser::Parse(lexer);
        errorCode = lexer.ErrorCode();
        lastTree = tree ? tree->Clone() : nullptr;
        return TreeText(tree.get());
    }
    std::string Parse(std::string_view text) {
        Line line;
        line.Type(text);
        return Parse(line);
    }

    // A line a table row builds, and the tree it must parse to.
    struct BuiltLine {
        const char* name;
        std::function<void(Line&)> build;
        const char* tree;
    };
    template <std::size_t N>
    void ExpectTrees(const BuiltLine (&rows)[N]) {
        for (const BuiltLine& row : rows) {
            SCOPED_TRACE(row.name);
            Line line;
            row.build(line);
            EXPECT_EQ(Parse(line), row.tree);
            EXPECT_FALSE(ParseFailed);
        }
    }

    BuiltinNamesScope names;
    exprtest::FakeBoxes boxes;
    int32_t errorCode = -1;
    NodePtr lastTree;
};

// A session whose server rules can be switched, with a test row that counts as restricted.
class FakeSession final : public ExprSession {
public:
    FakeSession() : m_scope(gExprSession, this) {}
    bool IsServerRestricted() const override { return restricted; }
    bool IsRestrictedRow(int32_t row) const override {
        return row == restrictedRow || ExprSession::IsRestrictedRow(row);
    }
    DocumentHost* MessageHost() const override { return const_cast<fakes::Host*>(&host); }
    NodePtr NextPriority(const ExprNode& terms) override {
        ++orderingRequests;
        collected = terms.ChildCount();
        collectedTerms.push_back(TreeText(&terms));
        if (failure) return failure();
        return std::make_unique<MachineIntegerNode>(nextIndex++);
    }

    bool restricted = false;
    int32_t restrictedRow = -1;
    int32_t nextIndex = 7;
    int32_t orderingRequests = 0;
    int32_t collected = 0;
    std::vector<std::string> collectedTerms; // what each request was given, as tree text
    std::function<NodePtr()> failure;        // when set, what every request answers instead
    fakes::Host host;

private:
    Installed<ExprSession> m_scope;
};

} // namespace parsetest
