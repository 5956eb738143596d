// The lexer and parser over arbitrary typed lines: bytes become glyphs, and byte 1 followed by a
// selector becomes a math box of one of the kinds boxes answer as. Whatever is typed, the parse
// ends with a tree or an error node over the line, never a crash, a hang or a leak.

#include "document/CompList.h"
#include "document/GlyphSource.h"
#include "document/TextComp.h"
#include "expr/FunctionNode.h"
#include "expr/GroupNode.h"
#include "expr/LeafNodes.h"
#include "expr/PowerNode.h"
#include "expr/ScriptNodes.h"
#include "expr/UnaryNodes.h"
#include "expr/symbols/BuiltinNames.h"
#include "mathbox/parser/ExprParser.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

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
    explicit Box(uint8_t kind) : m_kind(kind) {}
    OwnedComponent Clone() const override { return nullptr; }
    ExprNode* ToExpression() override {
        const NodeSource here;
        switch (m_kind % 10) {
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
        default:
            return nullptr;
        }
    }

private:
    uint8_t m_kind;
};

std::array<std::unique_ptr<Glyph>, 256>& Glyphs() {
    static std::array<std::unique_ptr<Glyph>, 256> glyphs = [] {
        std::array<std::unique_ptr<Glyph>, 256> made;
        for (int code = 0; code < 256; ++code)
            made[static_cast<size_t>(code)] = std::make_unique<Glyph>(static_cast<uint8_t>(code));
        return made;
    }();
    return glyphs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static BuiltinNamesScope names;
    CompList line;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 1 && i + 1 < size) {
            line.Append(new Box(data[++i]));
            continue;
        }
        line.Append(Glyphs()[data[i]].get());
    }
    ExprLexer lexer;
    lexer.Init(&line, 1, line.GetCount() + 1);
    NodePtr tree = ExprParser::Parse(lexer);
    if (!tree) __builtin_trap();
    NodePtr copy = tree->Clone();
    return 0;
}
