#include "expr/LinkReader.h"

#include "expr/CalculusNodes.h"
#include "expr/ExprSettings.h"
#include "expr/FunctionNode.h"
#include "expr/GridNodes.h"
#include "expr/LeafNodes.h"
#include "expr/LinkString.h"
#include "expr/ListNodes.h"
#include "expr/NumberText.h"
#include "expr/PlusNode.h"
#include "expr/PowerNode.h"
#include "expr/RelationNodes.h"
#include "expr/ScriptNodes.h"
#include "expr/TimesNode.h"
#include "expr/UnaryNodes.h"
#include "expr/symbols/BuiltinNames.h"
#include "expr/symbols/SymbolTable.h"

#include <string_view>

namespace {

// Number texts of this length or more keep their digits as text.
constexpr size_t kIntegerTextLength = 10;
constexpr size_t kRealTextLength = 16;

// Number text as a number token may carry it: blanks, a sign, digits (a real's with one point
// and an "e" exponent), blanks; at least one digit.
bool IsNumberText(std::string_view text, bool real) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return false;
    if (text[i] == '-' || text[i] == '+') ++i;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (real && c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (real && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        if (++i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        const std::size_t exponent = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == exponent) return false;
    }
    return text.find_first_not_of(' ', i) == std::string_view::npos;
}

// The number-type codes of binary integers of 32 bits or fewer, in both interfaces: byte,
// short, integer, and the interface-1 short, int and long.
bool IsSmallBinaryInteger(int32_t rawType) {
    switch (rawType) {
    case 0xA1:
    case 0xE2:
    case 0xE4:
    case 0xC1:
    case 0xC2:
    case 0xC3:
        return true;
    default:
        return false;
    }
}
constexpr int32_t kImaginaryRow = 51;

NodePtr Symbol(int32_t row) {
    return std::make_unique<SymbolNode>(row);
}

// The first derivative of a function, as a head: Derivative[1][f].
NodePtr FirstDerivativeOf(int32_t row) {
    return std::make_unique<FunctionNode>(
        std::make_unique<DerivativeNode>(std::make_unique<MachineIntegerNode>(1)), Symbol(row));
}

// A chain of nodes as one argument: the node itself, or a sequence of several.
NodePtr AsArgument(NodePtr chain) {
    if (!chain || !chain->Next()) return chain;
    return std::make_unique<SequenceNode>(std::move(chain));
}

// Detaches the first node of a chain; `chain` keeps the rest.
NodePtr TakeFirst(NodePtr& chain) {
    if (!chain) return nullptr;
    NodePtr rest = chain->TakeNext();
    NodePtr first = std::move(chain);
    chain = std::move(rest);
    return first;
}

// The link writes a real below one without the zero before its point (.8268, -.25); the
// program's number text, which the boxes, MathML and plain text show, has it.
std::string WithLeadingZero(std::string text) {
    std::size_t at = text.find_first_not_of(' ');
    if (at != std::string::npos && (text[at] == '-' || text[at] == '+')) ++at;
    if (at < text.size() && text[at] == '.') text.insert(at, 1, '0');
    return text;
}

} // namespace

ServiceSlot<LinkErrorHandler> gLinkErrorHandler;
ServiceSlot<GraphicsNodeReader> gGraphicsNodeReader;

NodePtr ReadExprFromLink(QKLINK link) {
    return LinkReader(link).ReadExpr();
}

void LinkReader::MarkFailed() {
    if (m_failed) return;
    m_failed = true;
    if (LinkErrorHandler* handler = gLinkErrorHandler.Get()) handler->HandleLinkError(m_link);
}

NodePtr LinkReader::Fail() {
    MarkFailed();
    return std::make_unique<ErrorNode>();
}

NodePtr LinkReader::ReadExpr() {
    if (m_failed) return std::make_unique<ErrorNode>();
    const int32_t type = QKGetNext(m_link);
    if (type == QKTOK_ERROR) return Fail();
    if (m_depth >= kMaxDepth) {
        // Too deep to build: pass over the rest of this expression and stand for it.
        if (type == QKTOK_FUNCTION) {
            int32_t count = 0;
            if (!QKGetArgCount(m_link, &count)) return Fail();
            Skip(int64_t{count} + 1);
        }
        return m_failed ? Fail() : std::make_unique<ErrorNode>();
    }
    ++m_depth;
    NodePtr node = ReadToken(type);
    --m_depth;
    return node;
}

NodePtr LinkReader::ReadToken(int32_t type) {
    switch (type) {
    case QKTOK_STRING: {
        std::string text;
        if (!ReadText(text)) return Fail();
        return std::make_unique<TextNode>(ConvertLinkString(text));
    }
    case QKTOK_SYMBOL:
        return ReadSymbol();
    case QKTOK_REAL:
    case QKTOK_INTEGER:
        return ReadNumber(type);
    case QKTOK_FUNCTION:
        return ReadFunction();
    default:
        return Fail();
    }
}

bool LinkReader::ReadText(std::string& out) {
    int32_t size = 0;
    if (!QKBytesToGet(m_link, &size) || size < 0) return false;
    out.assign(static_cast<size_t>(size), '\0');
    int32_t copied = 0;
    if (size > 0 && !QKGetData(m_link, out.data(), size, &copied)) return false;
    out.resize(static_cast<size_t>(std::max(copied, 0)));
    return true;
}

NodePtr LinkReader::ReadNumber(int32_t type) {
    if (type == QKTOK_INTEGER && IsSmallBinaryInteger(QKGetRawType(m_link))) {
        // A binary integer of 32 bits or fewer: its value, without a detour through text. The
        // length rule applies to the digits the value would show.
        int32_t value = 0;
        if (!QKGetInteger(m_link, &value)) return Fail();
        // Ten characters: a value of ten digits, or a sign and nine.
        if (value >= 1'000'000'000 || value <= -100'000'000)
            return std::make_unique<IntegerNode>(FormatInteger(value));
        return std::make_unique<MachineIntegerNode>(value);
    }
    if (type == QKTOK_REAL && m_plainReals) {
        // Plot data: the value alone, got as a double by the link, with no text between.
        double value = 0.0;
        if (!QKGetDouble(m_link, &value)) return Fail();
        return std::make_unique<MachineRealNode>(value);
    }
    std::string text;
    if (!ReadText(text)) return Fail();
    if (type == QKTOK_INTEGER) {
        // Digits that are no number (a damaged token) would go back out as they came.
        if (!IsNumberText(text, false)) return std::make_unique<ErrorNode>();
        if (text.size() >= kIntegerTextLength) {
            text.erase(0, text.find_first_not_of(' '));
            return std::make_unique<IntegerNode>(std::move(text));
        }
        return MachineIntegerNode::FromText(text);
    }
    // The precision mark and what follows it, and blanks before it, are not part of the value.
    if (const size_t mark = text.find('`'); mark != std::string::npos) {
        text.resize(mark);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
    }
    // The kernel's exponent mark reads as the "e" of number text.
    if (const size_t exponent = text.find("*^"); exponent != std::string::npos)
        text.replace(exponent, 2, "e");
    if (!IsNumberText(text, true)) return std::make_unique<ErrorNode>();
    if (text.size() >= kRealTextLength && !m_plainReals)
        return std::make_unique<RealNode>(WithLeadingZero(std::move(text)));
    return MachineRealNode::FromText(text);
}

bool LinkReader::ReadName(std::string& out, bool symbol) {
    const char* name = nullptr;
    if (!QKGetSymbol(m_link, &name)) return false;
    out = symbol ? ConvertLinkSymbol(name) : std::string(name);
    QKDisownSymbol(m_link, name);
    return true;
}

NodePtr LinkReader::ReadSymbol() {
    std::string name;
    if (!ReadName(name, true)) return Fail();
    const int32_t row = LookupBuiltinName(name.c_str());
    const SymbolRow* entry = BuiltinSymbol(row);
    if (row <= 0 || !entry) return std::unique_ptr<SymbolNode>(SymbolNode::FromName(name));
    switch (entry->kind) {
    case SymbolKind::kDefaultVar:
        return SymbolNode::FromName(CurrentExprSettings().defaultVariable);
    case SymbolKind::kTransformVar:
        return SymbolNode::FromName(CurrentExprSettings().transformVariable);
    case SymbolKind::kPlusMinus:
        return std::make_unique<PlusMinusNode>();
    default:
        return Symbol(row);
    }
}

NodePtr LinkReader::ReadFunction() {
    int32_t count = 0;
    if (!QKGetArgCount(m_link, &count) || count < 0) return Fail();
    const int32_t headType = QKGetNext(m_link);
    if (headType == QKTOK_FUNCTION) {
        NodePtr head = ReadFunction();
        if (m_failed) return head;
        return Apply(std::move(head), count);
    }
    if (headType != QKTOK_SYMBOL) {
        if (headType == QKTOK_ERROR || QKError(m_link) != 0) return Fail();
        // A number or a string as a head (2[x], as typed math may send): applied like any.
        NodePtr head = ReadToken(headType);
        if (m_failed) return head;
        return Apply(std::move(head), count);
    }
    std::string name;
    if (!ReadName(name, true)) return Fail();
    const int32_t row = LookupBuiltinName(name.c_str());
    if (row <= 0) return Apply(SymbolNode::FromName(name), count);
    return ReadHeadKind(row, count);
}

NodePtr LinkReader::ReadChain(int32_t count) {
    NodePtr first;
    NodePtr* tail = &first;
    for (int32_t i = 0; i < count && !m_failed; ++i) {
        *tail = ReadExpr();
        tail = &(*tail)->NextSlot();
    }
    return first;
}

NodePtr LinkReader::Apply(NodePtr head, int32_t count) {
    return std::make_unique<FunctionNode>(std::move(head), AsArgument(ReadChain(count)));
}

NodePtr LinkReader::ReadOne(int32_t count) {
    if (count <= 0) return nullptr;
    NodePtr first = ReadExpr();
    Discard(count - 1);
    return first;
}

void LinkReader::Discard(int32_t count) {
    for (int32_t i = 0; i < count && !m_failed; ++i)
        ReadExpr();
}

void LinkReader::Skip(int64_t count) {
    while (count > 0 && !m_failed) {
        const int32_t type = QKGetNext(m_link);
        if (type == QKTOK_ERROR || QKError(m_link) != 0) {
            MarkFailed();
            return;
        }
        --count;
        if (type == QKTOK_FUNCTION) {
            int32_t arguments = 0;
            if (!QKGetArgCount(m_link, &arguments) || arguments < 0) {
                MarkFailed();
                return;
            }
            count += int64_t{arguments} + 1;
        }
    }
}

NodePtr LinkReader::ReadHeadKind(int32_t row, int32_t count) {
    const SymbolRow& entry = *BuiltinSymbol(row);
    switch (entry.kind) {
    case SymbolKind::kPlot2D:
    case SymbolKind::kGraphics:
    case SymbolKind::kGraphics3D:
    case SymbolKind::kLine:
    case SymbolKind::kText:
    case SymbolKind::kPoint:
    case SymbolKind::kPolygon:
    case SymbolKind::kSurface:
    case SymbolKind::kPlot3D:
        if (GraphicsNodeReader* graphics = gGraphicsNodeReader.Get())
            return graphics->Read(*this, static_cast<int32_t>(entry.kind), count);
        break;
    case SymbolKind::kComplex: {
        NodePtr parts = ReadChain(count);
        NodePtr real = TakeFirst(parts);
        NodePtr imaginary = TakeFirst(parts);
        if (!imaginary) imaginary = std::make_unique<MachineIntegerNode>(0);
        auto product = std::make_unique<TimesNode>(std::move(imaginary));
        product->AppendChild(Symbol(kImaginaryRow));
        if (!real || (real->TypeTag() == ::TypeTag("intN") && real->GetInteger() == 0))
            return product;
        auto sum = std::make_unique<PlusNode>(std::move(real));
        sum->AppendChild(std::move(product));
        return sum;
    }
    case SymbolKind::kMod: {
        NodePtr operands = ReadChain(count);
        NodePtr left = TakeFirst(operands);
        return std::make_unique<ModNode>(std::move(left), TakeFirst(operands));
    }
    case SymbolKind::kQuotient: {
        NodePtr parts = ReadChain(count);
        NodePtr numerator = TakeFirst(parts);
        return std::make_unique<DivideNode>(std::move(numerator), TakeFirst(parts));
    }
    case SymbolKind::kList:
        return std::make_unique<ListNode>(ReadChain(count));
    case SymbolKind::kProduct:
        return std::make_unique<TimesNode>(ReadChain(count));
    case SymbolKind::kSum:
        return std::make_unique<PlusNode>(ReadChain(count));
    case SymbolKind::kPower:
    case SymbolKind::kPowerKeep: {
        NodePtr parts = ReadChain(count);
        NodePtr base = TakeFirst(parts);
        return std::make_unique<PowerNode>(TakeFirst(parts), std::move(base),
                                           entry.kind == SymbolKind::kPowerKeep);
    }
    case SymbolKind::kFactorial:
        return std::make_unique<FactorialNode>(ReadOne(count));
    case SymbolKind::kConjugate:
        return std::make_unique<ConjugateNode>(ReadOne(count));
    case SymbolKind::kDirectionAbove:
    case SymbolKind::kDirectionBelow:
        return std::make_unique<DirectionNode>(ReadOne(count),
                                               entry.kind == SymbolKind::kDirectionBelow);
    case SymbolKind::kRadical: {
        NodePtr parts = ReadChain(count);
        NodePtr radicand = TakeFirst(parts);
        return std::make_unique<RadicalNode>(std::move(radicand), TakeFirst(parts));
    }
    case SymbolKind::kRule: {
        NodePtr sides = ReadChain(count);
        NodePtr left = TakeFirst(sides);
        return std::make_unique<RuleNode>(std::move(left), TakeFirst(sides));
    }
    case SymbolKind::kLogarithm: {
        if (count <= 1) return Apply(Symbol(symbol_row::kLn), count);
        NodePtr base = ReadExpr();
        // "log" alone stands for base 10 only with one argument: with more it writes them as
        // they stand, so Log[10, a, b] keeps its base, as a typed log[a, b] does.
        if (count == 2 && base->TypeTag() == ::TypeTag("intN") && base->GetInteger() == 10)
            return Apply(Symbol(symbol_row::kLog), 1);
        // The base leads the arguments; the application shows it as a subscript.
        base->SetNext(ReadChain(count - 1));
        return std::make_unique<FunctionNode>(Symbol(symbol_row::kLogWithBase),
                                              AsArgument(std::move(base)));
    }
    case SymbolKind::kTransform:
    case SymbolKind::kInverseTransform: {
        NodePtr head = Symbol(row);
        if (entry.kind == SymbolKind::kInverseTransform)
            head = std::make_unique<PowerNode>(std::make_unique<MachineIntegerNode>(-1),
                                               std::move(head), true);
        NodePtr applied = Apply(std::move(head), std::min(count, 1));
        Discard(count - 1);
        return applied;
    }
    case SymbolKind::kDirectedInfinity: {
        if (count == 0) return Symbol(symbol_row::kInfinity);
        auto product = std::make_unique<TimesNode>(ReadOne(count));
        product->AppendChild(Symbol(symbol_row::kInfinity));
        return product;
    }
    case SymbolKind::kAbsDet:
        return std::make_unique<AbsDetNode>(ReadOne(count));
    case SymbolKind::kSubscript: {
        NodePtr base = count >= 1 ? ReadExpr() : nullptr;
        NodePtr script = count >= 2 ? AsArgument(ReadChain(count - 1)) : nullptr;
        return std::make_unique<SubscriptNode>(std::move(base), std::move(script));
    }
    case SymbolKind::kKroneckerDelta:
        return std::make_unique<SubscriptNode>(Symbol(row), AsArgument(ReadChain(count)));
    case SymbolKind::kIndexedFunction: {
        if (count == 0) return Apply(Symbol(row), 0);
        NodePtr head = std::make_unique<SubscriptNode>(Symbol(row), ReadExpr());
        if (count == 1) return head;
        return Apply(std::move(head), count - 1);
    }
    case SymbolKind::kDoublyIndexedFunction: {
        if (count < 2) return Apply(Symbol(row), count);
        NodePtr index = ReadExpr();
        NodePtr order = ReadExpr();
        // The second index is an exponent as written, never a reciprocal.
        NodePtr head = std::make_unique<PowerNode>(
            std::move(order), std::make_unique<SubscriptNode>(Symbol(row), std::move(index)), true);
        return Apply(std::move(head), count - 2);
    }
    case SymbolKind::kLimit: {
        NodePtr operand = count >= 1 ? ReadExpr() : nullptr;
        NodePtr condition = count >= 2 ? ReadExpr() : nullptr;
        LimitNode::Direction direction = LimitNode::kNoDirection;
        if (count >= 3) {
            NodePtr option = ReadExpr();
            auto* rule = dynamic_cast<RuleNode*>(option.get());
            if (rule && rule->Second() && rule->Second()->TypeTag() == ::TypeTag("intN")) {
                const int32_t value = rule->Second()->GetInteger();
                if (value == 1) direction = LimitNode::kFromBelow;
                if (value == -1) direction = LimitNode::kFromAbove;
            }
            Discard(count - 3);
        }
        return std::make_unique<LimitNode>(std::move(operand), std::move(condition), direction);
    }
    case SymbolKind::kBigOperator: {
        NodePtr body = count >= 1 ? ReadExpr() : nullptr;
        NodePtr lower = count >= 2 ? ReadExpr() : nullptr;
        Discard(count - 2);
        NodePtr upper;
        if (auto* iterator = dynamic_cast<ListNode*>(lower.get());
            iterator && iterator->Count() == 3) {
            // {variable, start, end}: the bound below is "variable = start".
            NodePtr items = iterator->DetachAll();
            NodePtr variable = TakeFirst(items);
            NodePtr start = TakeFirst(items);
            upper = TakeFirst(items);
            variable->SetNext(std::move(start));
            lower = InequalityNode::FromOperands(symbol_row::kEqual, std::move(variable));
        }
        return std::make_unique<BigOperatorNode>(std::make_unique<SymbolNode>(row), std::move(body),
                                                 std::move(lower), std::move(upper));
    }
    case SymbolKind::kRelation:
        return InequalityNode::FromOperands(row, ReadChain(count));
    case SymbolKind::kInequality:
        return std::make_unique<InequalityNode>(ReadChain(count));
    case SymbolKind::kMatrix:
        return std::make_unique<MatrixNode>(ReadChain(count));
    case SymbolKind::kTable:
        return std::make_unique<TableNode>(ReadChain(count));
    case SymbolKind::kEquationSet:
        return std::make_unique<EquationSetNode>(ReadChain(count));
    case SymbolKind::kSplit:
        return std::make_unique<SplitNode>(ReadChain(count));
    case SymbolKind::kColumn:
        return std::make_unique<ColumnNode>(ReadChain(count));
    case SymbolKind::kOr:
        return std::make_unique<OrNode>(ReadChain(count));
    case SymbolKind::kDerivative:
        if (count < 2) return std::make_unique<DerivativeNode>(ReadOne(count));
        return std::make_unique<DerivativeNode>(std::make_unique<SequenceNode>(ReadChain(count)));
    case SymbolKind::kFunctionDerivative:
        return Apply(FirstDerivativeOf(row), count);
    case SymbolKind::kIndexedFunctionDerivative: {
        if (count == 0) return Apply(FirstDerivativeOf(row), 0);
        NodePtr head = std::make_unique<SubscriptNode>(FirstDerivativeOf(row), ReadExpr());
        if (count == 1) return head;
        return Apply(std::move(head), count - 1);
    }
    case SymbolKind::kIntegral: {
        NodePtr integrand = count >= 1 ? ReadExpr() : nullptr;
        NodePtr second = count >= 2 ? ReadExpr() : nullptr;
        Discard(count - 2);
        NodePtr lower;
        NodePtr upper;
        if (auto* range = dynamic_cast<ListNode*>(second.get())) {
            // {variable, lower, upper}; a shorter list gives its variable and no bounds.
            NodePtr items = range->DetachAll();
            second = TakeFirst(items);
            if (items && items->Next()) {
                lower = TakeFirst(items);
                upper = TakeFirst(items);
            }
        }
        return std::make_unique<IntegrateNode>(std::move(upper), std::move(lower),
                                               std::move(integrand), std::move(second));
    }
    case SymbolKind::kPartialDerivative:
    case SymbolKind::kTotalDerivative: {
        NodePtr operand = count >= 1 ? ReadExpr() : nullptr;
        NodePtr variables =
            count >= 2 ? std::make_unique<SequenceNode>(ReadChain(count - 1)) : nullptr;
        return std::make_unique<DifferentiationNode>(std::move(operand), std::move(variables),
                                                     entry.kind == SymbolKind::kPartialDerivative);
    }
    case SymbolKind::kWrapper:
        // The head stands for its argument; an empty wrapper stands for nothing sound.
        if (count == 0) return std::make_unique<ErrorNode>();
        return ReadOne(count);
    default:
        break;
    }
    return Apply(Symbol(row), count);
}
