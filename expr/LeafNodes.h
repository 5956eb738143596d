#pragma once

// The leaves of every tree: text, integers and reals (each as a machine number and as digit
// text the kernel sent), symbols and the error symbol.

#include "expr/ExprNode.h"

#include <string>
#include <string_view>

class TextNode final : public ExprNode {
public:
    explicit TextNode(std::string text) : m_text(std::move(text)) {}
    TextNode(const NodeSource& source, std::string text)
        : ExprNode(source), m_text(std::move(text)) {}

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override { out = m_text; }
    bool IsAtom() const override { return true; }
    ::TypeTag TypeTag() const override { return ::TypeTag("strN"); }

    const std::string& Text() const { return m_text; }

private:
    std::string m_text; // program text
};

// A 32-bit integer: it stays 32 bits whatever the width of the host's long.
class MachineIntegerNode final : public ExprNode {
public:
    explicit MachineIntegerNode(int32_t value) : m_value(value) {}
    MachineIntegerNode(const NodeSource& source, int32_t value)
        : ExprNode(source), m_value(value) {}
    // From digit text; out-of-range text saturates.
    static std::unique_ptr<MachineIntegerNode> FromText(std::string_view digits);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override;
    SignCode StripNegative() override;
    bool IsOne() const override { return m_value == 1; }
    bool IsNumeric() const override { return true; }
    void Negate() override;
    bool IsAtom() const override { return true; }
    int32_t GetInteger() const override { return m_value; }
    double GetReal() const override { return m_value; }
    ::TypeTag TypeTag() const override { return ::TypeTag("intN"); }

private:
    int32_t m_value;
};

class MachineRealNode final : public ExprNode {
public:
    explicit MachineRealNode(double value) : m_value(value) {}
    MachineRealNode(const NodeSource& source, double value) : ExprNode(source), m_value(value) {}
    static std::unique_ptr<MachineRealNode> FromText(std::string_view text);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override;
    SignCode StripNegative() override;
    bool IsOne() const override { return m_value == 1.0; }
    bool IsNumeric() const override { return true; }
    bool CanNegateInPlace() const override { return true; }
    void Negate() override { m_value = -m_value; }
    bool IsAtom() const override { return true; }
    int32_t GetInteger() const override;
    double GetReal() const override { return m_value; }
    ::TypeTag TypeTag() const override { return ::TypeTag("reaN"); }

private:
    // What the kernel calls a value that is no finite number, or null for a finite one.
    NodePtr NonFiniteTree() const;

    double m_value;
};

// A number kept as the text the kernel sent or the user typed (too long for a machine number).
// Without text it stands for zero.
class NumberTextNode : public ExprNode {
public:
    NodePtr Clone() const override = 0;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override { out = m_text.value_or(""); }
    SignCode StripNegative() override;
    bool IsNumeric() const override { return true; }
    bool CanNegateInPlace() const override { return true; }
    void Negate() override;
    bool IsAtom() const override { return true; }

    const std::optional<std::string>& Text() const { return m_text; }

protected:
    NumberTextNode(std::optional<std::string> text, bool real)
        : m_text(std::move(text)), m_real(real) {}
    NumberTextNode(const NodeSource& source, std::optional<std::string> text, bool real)
        : ExprNode(source), m_text(std::move(text)), m_real(real) {}

private:
    std::optional<std::string> m_text;
    bool m_real;
};

class IntegerNode final : public NumberTextNode {
public:
    explicit IntegerNode(std::optional<std::string> digits)
        : NumberTextNode(std::move(digits), false) {}
    IntegerNode(const NodeSource& source, std::optional<std::string> digits)
        : NumberTextNode(source, std::move(digits), false) {}

    NodePtr Clone() const override;
    int32_t GetInteger() const override;
    double GetReal() const override;
    ::TypeTag TypeTag() const override { return ::TypeTag("intN"); }
};

class RealNode final : public NumberTextNode {
public:
    explicit RealNode(std::optional<std::string> text) : NumberTextNode(std::move(text), true) {}
    RealNode(const NodeSource& source, std::optional<std::string> text)
        : NumberTextNode(source, std::move(text), true) {}

    NodePtr Clone() const override;
    int32_t GetInteger() const override;
    double GetReal() const override;
    ::TypeTag TypeTag() const override { return ::TypeTag("reaN"); }
};

// A symbol: a row of the built-in symbol table, or a name of its own.
class SymbolNode : public ExprNode {
public:
    static constexpr int32_t kOwnTextPrecedence = 258;

    explicit SymbolNode(int32_t row) : m_row(row) {}
    SymbolNode(const NodeSource& source, int32_t row) : ExprNode(source), m_row(row) {}
    // A name of its own, not looked up (the placeholder's "missing", typed names).
    SymbolNode(const NodeSource& source, std::string name)
        : ExprNode(source), m_name(std::move(name)) {}
    // A name from the link: a built-in keeps only its row.
    static std::unique_ptr<SymbolNode> FromName(std::string_view name);

    NodePtr Clone() const override;
    void PutToLink(QKLINK link, MarkerMode mode) const override;
    void PutStandardToLink(QKLINK link) const override;
    void BuildBoxes(BoxList& boxes, int32_t level) override;
    void WriteMathML(MathMLWriter& writer) override;
    void WriteText(Str255& out) const override { GetName(out); }
    bool IsAtom() const override { return true; }
    int32_t Precedence() const override;
    ::TypeTag TypeTag() const override { return ::TypeTag("symN"); }

    // The row, or 0 for a name of its own.
    int32_t Row() const { return m_name ? 0 : m_row; }
    // The own name, or the row's link name.
    void GetName(Str255& out) const;
    // A function head of `count` arguments under the symbol's own or link name.
    void PutHead(QKLINK link, int32_t count) const;
    // The same under the standard head.
    void PutStandardHead(QKLINK link, int32_t count) const;
    // The symbol's MathML content, with no element around it.
    void WriteMathMLContent(MathMLWriter& writer) const;

protected:
    SymbolNode(std::optional<std::string> name, int32_t row)
        : m_name(std::move(name)), m_row(row) {}

private:
    std::string LinkName() const;
    std::string StandardName() const;

    std::optional<std::string> m_name;
    int32_t m_row = 0;
};

// Whether `node` is a symbol (the error symbol too) whose own or link name is `name`.
bool IsSymbolNamed(const ExprNode& node, std::string_view name);

// The symbol "Error": a stretch that does not parse, a reference without a target.
class ErrorNode final : public SymbolNode {
public:
    ErrorNode();
    explicit ErrorNode(const NodeSource& source);

    NodePtr Clone() const override;
    ::TypeTag TypeTag() const override { return ::TypeTag("errN"); }
};
