#pragma once

// Typed lines as the parser's fuzz target reads them, shared with the tests that replay its
// corpus: every byte becomes a glyph of that code, and byte 1 followed by a selector becomes a
// math box of one of the kinds boxes answer as (selector modulo 11: a superscript, a
// subscript, a parenthesis and a bracket box, a fraction, a direction mark, the "mod" keyword,
// an error, an application without argument, a parenthesis box holding "y, z", and a box that
// converts to nothing).

#include "document/CompList.h"
#include "document/TextComp.h"
#include "expr/FunctionNode.h"
#include "expr/GroupNode.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/PowerNode.h"
#include "expr/ScriptNodes.h"
#include "expr/UnaryNodes.h"
#include "mathbox/parser/ExprParser.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace typedinput {

// A shared glyph: the line does not own it.
class Glyph final : public TextComp {
public:
    explicit Glyph(uint8_t code) : m_code(code) {}
    void Destroy() override {}
    OwnedComponent Clone() const override { return OwnedComponent(const_cast<Glyph*>(this)); }
    TypeTag GetTypeTag() const override { return tags::Char; }
    uint8_t GetCharCode() const override { return m_code; }

private:
    uint8_t m_code;
};

class Box final : public TextComp {
public:
    static constexpr uint8_t kKinds = 11;

    explicit Box(uint8_t kind) : m_kind(kind) {}
    OwnedComponent Clone() const override { return nullptr; }
    ExprNode* ToExpression() override {
        const NodeSource here;
        switch (m_kind % kKinds) {
        case 0:
            return new PowerNode(here, std::make_unique<MachineIntegerNode>(2));
        case 1:
            return new SubscriptNode(here, std::make_unique<MachineIntegerNode>(1));
        case 2:
            return new GroupNode(std::make_unique<SymbolNode>(here, "y"), true);
        case 3:
            return new GroupNode(std::make_unique<SymbolNode>(here, "y"), false);
        case 4:
            return new DivideNode(std::make_unique<MachineIntegerNode>(1),
                                  std::make_unique<SymbolNode>(here, "z"));
        case 5:
            return new DirectionNode(here, true);
        case 6:
            return new ModNode(here);
        case 7:
            return new ErrorNode(here);
        case 8:
            return new FunctionNode(std::make_unique<SymbolNode>(here, "f"), nullptr);
        case 9: {
            auto items =
                std::make_unique<SequenceNode>(here, std::make_unique<SymbolNode>(here, "y"));
            items->AppendChild(std::make_unique<SymbolNode>(here, "z"));
            return new GroupNode(std::move(items), true);
        }
        default:
            return nullptr;
        }
    }

private:
    uint8_t m_kind;
};

inline std::array<std::unique_ptr<Glyph>, 256>& Glyphs() {
    static std::array<std::unique_ptr<Glyph>, 256> glyphs = [] {
        std::array<std::unique_ptr<Glyph>, 256> made;
        for (int code = 0; code < 256; ++code)
            made[static_cast<std::size_t>(code)] =
                std::make_unique<Glyph>(static_cast<uint8_t>(code));
        return made;
    }();
    return glyphs;
}

// The tree the parser makes of a typed line (an error node when it fails; never null).
inline NodePtr Parse(std::string_view bytes) {
    CompList line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto code = static_cast<uint8_t>(bytes[i]);
        if (code == 1 && i + 1 < bytes.size()) {
            line.Append(new Box(static_cast<uint8_t>(bytes[++i])));
            continue;
        }
        line.Append(Glyphs()[code].get());
    }
    ExprLexer lexer;
    lexer.Init(&line, 1, line.GetCount() + 1);
    return ExprParser::Parse(lexer);
}

} // namespace typedinput
