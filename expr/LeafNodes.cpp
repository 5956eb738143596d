#include "expr/LeafNodes.h"

#include "expr/LinkString.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"
#include "expr/NumberText.h"
#include "expr/TimesNode.h"
#include "expr/symbols/BuiltinNames.h"
#include "expr/symbols/SymbolTable.h"

#include <cmath>
#include <limits>

namespace {

// A token carried as text (a string, or a number's digits), sent as it stands.
void PutTextToken(QKLINK link, int32_t token, const std::string& text) {
    QKPutNext(link, token);
    QKPutSize(link, static_cast<int32_t>(text.size()));
    QKPutData(link, text.data(), static_cast<int32_t>(text.size()));
}

} // namespace

// ---- TextNode ----------------------------------------------------------------------------------

NodePtr TextNode::Clone() const {
    return WithSource(std::make_unique<TextNode>(m_text));
}

void TextNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    PutTextToken(link, QKTOK_STRING, ConvertToLinkString(m_text));
}

void TextNode::BuildBoxes(BoxList& boxes, int32_t) {
    boxes.AddGlyph(glyph::kQuote, kTextGlyphFace);
    boxes.AddGlyphs(m_text, kTextGlyphFace);
    boxes.AddGlyph(glyph::kQuote, kTextGlyphFace);
}

void TextNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mtext");
    writer.WriteRaw("\"");
    writer.WriteEscapedText(m_text);
    writer.WriteRaw("\"");
    writer.WriteEndTag("mtext");
}

// ---- MachineIntegerNode ------------------------------------------------------------------------

std::unique_ptr<MachineIntegerNode> MachineIntegerNode::FromText(std::string_view digits) {
    return std::make_unique<MachineIntegerNode>(ParseMachineInteger(digits));
}

NodePtr MachineIntegerNode::Clone() const {
    return WithSource(std::make_unique<MachineIntegerNode>(m_value));
}

void MachineIntegerNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutLongInteger(link, m_value);
}

void MachineIntegerNode::BuildBoxes(BoxList& boxes, int32_t level) {
    AppendNumber(FormatInteger(m_value), boxes, level, false);
}

void MachineIntegerNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mn");
    writer.WriteLong(m_value);
    writer.WriteEndTag("mn");
}

void MachineIntegerNode::WriteText(Str255& out) const {
    out = FormatInteger(m_value);
}

SignCode MachineIntegerNode::StripNegative() {
    // The smallest value has no positive twin in 32 bits: it keeps its sign in its digits.
    if (m_value >= 0 || m_value == std::numeric_limits<int32_t>::min()) return kNoSign;
    m_value = -m_value;
    return kMinusSign;
}

void MachineIntegerNode::Negate() {
    if (m_value != std::numeric_limits<int32_t>::min()) m_value = -m_value;
}

// ---- MachineRealNode ---------------------------------------------------------------------------

std::unique_ptr<MachineRealNode> MachineRealNode::FromText(std::string_view text) {
    return std::make_unique<MachineRealNode>(ParseReal(text));
}

NodePtr MachineRealNode::Clone() const {
    return WithSource(std::make_unique<MachineRealNode>(m_value));
}

// Plot data keeps the points where a function is undefined as NaN, and a peer reads no number
// from NaN or infinity digits: such values go out as the kernel's own words for them.
NodePtr MachineRealNode::NonFiniteTree() const {
    if (std::isnan(m_value)) return SymbolNode::FromName("Indeterminate");
    if (!std::isinf(m_value)) return nullptr;
    if (m_value > 0) return std::make_unique<SymbolNode>(symbol_row::kInfinity);
    auto product = std::make_unique<TimesNode>(std::make_unique<MachineIntegerNode>(-1));
    product->AppendChild(std::make_unique<SymbolNode>(symbol_row::kInfinity));
    return product;
}

void MachineRealNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    if (const NodePtr word = NonFiniteTree())
        word->PutToLink(link, kNoMarkers);
    else
        QKPutDouble(link, m_value);
}

void MachineRealNode::PutStandardToLink(QKLINK link) const {
    if (const NodePtr word = NonFiniteTree())
        word->PutStandardToLink(link);
    else
        QKPutDouble(link, m_value);
}

void MachineRealNode::BuildBoxes(BoxList& boxes, int32_t level) {
    AppendNumber(FormatReal(m_value), boxes, level, true);
}

void MachineRealNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mn");
    writer.WriteReal(m_value);
    writer.WriteEndTag("mn");
}

void MachineRealNode::WriteText(Str255& out) const {
    out = FormatReal(m_value);
}

SignCode MachineRealNode::StripNegative() {
    if (!(m_value < 0)) return kNoSign;
    m_value = -m_value;
    return kMinusSign;
}

int32_t MachineRealNode::GetInteger() const {
    return RoundToInteger(m_value);
}

// ---- IntegerNode and RealNode ------------------------------------------------------------------

void NumberTextNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    if (m_text)
        PutTextToken(link, m_real ? QKTOK_REAL : QKTOK_INTEGER, *m_text);
    else if (m_real)
        QKPutDouble(link, 0.0);
    else
        QKPutLongInteger(link, 0);
}

void NumberTextNode::BuildBoxes(BoxList& boxes, int32_t level) {
    AppendNumber(m_text.value_or("0"), boxes, level, m_real);
}

void NumberTextNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteElement("mn", m_text.value_or("0"));
}

SignCode NumberTextNode::StripNegative() {
    if (!m_text || m_text->empty() || (*m_text)[0] != '-') return kNoSign;
    Negate();
    return kMinusSign;
}

void NumberTextNode::Negate() {
    if (!m_text) m_text = "0";
    if (!m_text->empty() && (*m_text)[0] == '-')
        m_text->erase(0, 1);
    else
        m_text->insert(0, 1, '-');
}

NodePtr IntegerNode::Clone() const {
    return WithSource(std::make_unique<IntegerNode>(Text()));
}

int32_t IntegerNode::GetInteger() const {
    return Text() ? ParseMachineInteger(*Text()) : 0;
}

double IntegerNode::GetReal() const {
    return Text() ? ParseReal(*Text()) : 0.0;
}

NodePtr RealNode::Clone() const {
    return WithSource(std::make_unique<RealNode>(Text()));
}

int32_t RealNode::GetInteger() const {
    return RoundToInteger(GetReal());
}

double RealNode::GetReal() const {
    return Text() ? ParseReal(*Text()) : 0.0;
}

// ---- SymbolNode --------------------------------------------------------------------------------

std::unique_ptr<SymbolNode> SymbolNode::FromName(std::string_view name) {
    const std::string text(name);
    if (const int32_t row = LookupBuiltinName(text.c_str()); row > 0)
        return std::make_unique<SymbolNode>(row);
    return std::unique_ptr<SymbolNode>(new SymbolNode(text, 0));
}

NodePtr SymbolNode::Clone() const {
    return WithSource(std::unique_ptr<SymbolNode>(new SymbolNode(m_name, m_row)));
}

std::string SymbolNode::LinkName() const {
    if (m_name) return ConvertToLinkSymbol(*m_name);
    const SymbolRow* row = BuiltinSymbol(m_row);
    return row ? row->linkName : "";
}

std::string SymbolNode::StandardName() const {
    if (m_name) return ConvertToLinkSymbol(*m_name);
    const SymbolRow* row = BuiltinSymbol(m_row);
    return row ? ConvertInternalToLinkSymbol(row->standardHead) : "";
}

void SymbolNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutSymbol(link, LinkName().c_str());
}

void SymbolNode::PutStandardToLink(QKLINK link) const {
    QKPutSymbol(link, StandardName().c_str());
}

void SymbolNode::PutHead(QKLINK link, int32_t count) const {
    QKPutFunction(link, LinkName().c_str(), count);
}

void SymbolNode::PutStandardHead(QKLINK link, int32_t count) const {
    QKPutFunction(link, StandardName().c_str(), count);
}

void SymbolNode::GetName(Str255& out) const {
    if (m_name) {
        out = *m_name;
        return;
    }
    const SymbolRow* row = BuiltinSymbol(m_row);
    out = row ? row->linkName : "";
}

void SymbolNode::BuildBoxes(BoxList& boxes, int32_t) {
    if (m_name) {
        boxes.AddGlyphs(*m_name);
        return;
    }
    if (const SymbolRow* row = BuiltinSymbol(m_row)) {
        for (const char* c = row->display; *c != '\0'; ++c)
            boxes.AddGlyph(MathDisplayCode(static_cast<uint8_t>(*c)));
    }
}

void SymbolNode::WriteMathMLContent(MathMLWriter& writer) const {
    if (m_name) {
        writer.WriteEscapedText(*m_name);
        return;
    }
    if (const SymbolRow* row = BuiltinSymbol(m_row)) writer.WriteRaw(row->mathml);
}

void SymbolNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mi");
    WriteMathMLContent(writer);
    writer.WriteEndTag("mi");
}

int32_t SymbolNode::Precedence() const {
    if (m_name) return kOwnTextPrecedence;
    const SymbolRow* row = BuiltinSymbol(m_row);
    return row ? row->precedence : kOwnTextPrecedence;
}

bool IsSymbolNamed(const ExprNode& node, std::string_view name) {
    const auto* symbol = dynamic_cast<const SymbolNode*>(&node);
    if (symbol == nullptr) return false;
    Str255 text;
    symbol->GetName(text);
    return text.View() == name;
}

ErrorNode::ErrorNode() : SymbolNode(std::nullopt, symbol_row::kError) {}

ErrorNode::ErrorNode(const NodeSource& source) : SymbolNode(source, symbol_row::kError) {}

NodePtr ErrorNode::Clone() const {
    return WithSource(std::make_unique<ErrorNode>());
}
