#include "expr/FunctionNode.h"

#include "expr/CalculusNodes.h"
#include "expr/GroupNode.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"
#include "expr/symbols/SymbolTable.h"

namespace {

constexpr uint8_t kRuleArrowGlyph = 0x9C;

const SymbolNode* AsSymbol(const ExprNode* node) {
    return node && node->TypeTag() == ::TypeTag("symN") ? static_cast<const SymbolNode*>(node)
                                                        : nullptr;
}

// The precedence of a built-in symbol head; 0 for anything else.
int32_t BuiltinPrecedence(const ExprNode* head) {
    const SymbolNode* symbol = AsSymbol(head);
    if (!symbol || symbol->Row() == 0) return 0;
    return symbol->Precedence();
}

bool IsNamedFunction(int32_t precedence) {
    return precedence == 263 || precedence == 271;
}

bool IsLogRow(int32_t row) {
    return row == symbol_row::kLog || row == symbol_row::kLogWithBase;
}

// The base of a logarithm that carries it as its first argument (typed log x carries the
// implied 10 so, log_b x its b, the kernel's Log[b, x] its b): null for anything else.
ExprNode* LogBase(const ExprNode* head, const ExprNode* argument) {
    const SymbolNode* symbol = AsSymbol(head);
    const auto* sequence = dynamic_cast<const SequenceNode*>(argument);
    if (!symbol || !IsLogRow(symbol->Row()) || !sequence || sequence->Count() < 2) return nullptr;
    return sequence->FirstChild();
}

// A base of 10 is the one "log" means by itself: it shows as log x, as the kernel's Log[10, x]
// read back does.
bool IsBaseTen(const ExprNode& base) {
    return base.TypeTag() == ::TypeTag("intN") && base.GetInteger() == 10;
}

// The items from `first` on, separated by commas.
BoxList ItemBoxes(ExprNode* first) {
    BoxList items;
    for (ExprNode* item = first; item; item = item->Next()) {
        if (item != first) items.AddGlyph(',');
        item->BuildBoxes(items, 0);
    }
    return items;
}

// The arguments after the base of a logarithm that shows none: one atom after a blank, else
// in parentheses.
void BuildLogArguments(BoxList& boxes, ExprNode* first) {
    if (first && !first->Next() && first->IsAtom()) {
        boxes.AddGlyph(glyph::kBlank);
        first->BuildBoxes(boxes, 0);
        return;
    }
    AppendMade(boxes, [&](BoxFactory& f) { return f.ParenComp(ItemBoxes(first)); });
}

// What an argument shows without its own brackets: a group's content (f[x] is f applied to x,
// and its text f(x), never f([x])).
const ExprNode* Unbracketed(const ExprNode* argument) {
    const auto* group = dynamic_cast<const GroupNode*>(argument);
    return group && group->Operand() ? group->Operand() : argument;
}

} // namespace

// ---- FunctionNode ------------------------------------------------------------------------------

FunctionNode::FunctionNode(NodePtr head, NodePtr argument)
    : TwoChildNode(std::move(head), std::move(argument)) {
    MarkHeadApplied();
}

FunctionNode::FunctionNode(const NodeSource& source, NodePtr head, NodePtr argument)
    : TwoChildNode(source, std::move(head), std::move(argument)) {
    MarkHeadApplied();
}

void FunctionNode::MarkHeadApplied() {
    if (auto* inner = dynamic_cast<FunctionNode*>(Head())) inner->m_applied = true;
}

NodePtr FunctionNode::Clone() const {
    auto copy = std::make_unique<FunctionNode>(CloneOrNull(Head()), CloneOrNull(Argument()));
    copy->m_applied = m_applied;
    return WithSource(std::move(copy));
}

void FunctionNode::PutHeadAndArgument(QKLINK link, MarkerMode mode, bool standard) const {
    if (const auto* derivative = dynamic_cast<const DerivativeNode*>(Head());
        derivative && !m_applied) {
        // f' alone: the derivative of the function in the default variable.
        QKPutFunction(link, standard ? "Dt" : "TYDt", 2);
        PutChildToLink(link, Argument(), mode, standard);
        const ExprNode* order = derivative->Order();
        if (!order || order->IsOne()) {
            QKPutSymbol(link, "tyDefaultVar");
            return;
        }
        QKPutFunction(link, "List", 2);
        QKPutSymbol(link, "tyDefaultVar");
        PutChildToLink(link, order, kNoMarkers, standard);
        return;
    }
    if (const SymbolNode* symbol = AsSymbol(Head())) {
        // "log" without a base shows the logarithm to base 10, but the kernel's logarithm of one
        // argument is the natural one: send the base, so that display and meaning agree.
        const bool baseTen = symbol->Row() == symbol_row::kLog && ArgumentCount() == 1;
        const int32_t count = ArgumentCount() + (baseTen ? 1 : 0);
        if (standard)
            symbol->PutStandardHead(link, count);
        else
            symbol->PutHead(link, count);
        if (baseTen) QKPutLongInteger(link, 10);
    } else {
        QKPutNext(link, QKTOK_FUNCTION);
        QKPutArgCount(link, ArgumentCount());
        PutChildToLink(link, Head(), mode, standard);
    }
    if (Argument()) Argument()->PutElements(link, mode, standard);
}

void FunctionNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    PutHeadAndArgument(link, mode, false);
}

void FunctionNode::PutStandardToLink(QKLINK link) const {
    PutHeadAndArgument(link, kNoMarkers, true);
}

void FunctionNode::BuildArgument(BoxList& boxes, bool nameLike) {
    BoxList inner;
    if (nameLike && Argument() && Argument()->IsAtom()) {
        boxes.AddGlyph(glyph::kBlank);
        Argument()->BuildBoxes(boxes, 0);
        return;
    }
    if (Argument()) Argument()->BuildBoxes(inner, 0);
    AppendMade(boxes, [&](BoxFactory& f) {
        return nameLike ? f.ParenComp(std::move(inner)) : f.BracketComp(std::move(inner));
    });
}

void FunctionNode::BuildBoxes(BoxList& boxes, int32_t level) {
    const bool wrapped = level > 8;
    BoxList own;
    BoxList& target = wrapped ? own : boxes;
    const SymbolNode* symbol = AsSymbol(Head());
    if (symbol && symbol->Row() == symbol_row::kRadical) {
        BoxList radicand;
        if (Argument()) Argument()->BuildBoxes(radicand, 0);
        AppendMade(target, [&](BoxFactory& f) {
            return f.SqrtComp(std::move(radicand), BoxList(), false);
        });
    } else if (ExprNode* logBase = LogBase(Head(), Argument()); logBase && IsBaseTen(*logBase)) {
        Head()->BuildBoxes(target, level);
        BuildLogArguments(target, logBase->Next());
    } else if (logBase) {
        // log with its base as a subscript, then the other arguments.
        Head()->BuildBoxes(target, std::min(level, 8));
        BoxList base;
        logBase->BuildBoxes(base, 1);
        AppendMade(target, [&](BoxFactory& f) { return f.SubsComp(std::move(base)); });
        AppendMade(target,
                   [&](BoxFactory& f) { return f.BracketComp(ItemBoxes(logBase->Next())); });
    } else if (symbol) {
        Head()->BuildBoxes(target, level);
        BuildArgument(target, IsNamedFunction(BuiltinPrecedence(Head())));
    } else if (Head() && Head()->TypeTag() == ::TypeTag("derN")) {
        // The prime follows its function.
        if (Argument()) Argument()->BuildBoxes(target, 10);
        Head()->BuildBoxes(target, 8);
    } else if (Head() && Head()->TypeTag() == ::TypeTag("sbsN")) {
        Head()->BuildBoxes(target, level);
        BuildArgument(target, false);
    } else {
        if (Head()) Head()->BuildBoxes(target, level);
        const SymbolNode* base = Head() ? AsSymbol(Head()->GetBase()) : nullptr;
        BuildArgument(target, base && base->Row() == symbol_row::kLogWithBase);
    }
    if (wrapped) AppendParenthesised(boxes, std::move(own));
}

void FunctionNode::WriteMathML(MathMLWriter& writer) {
    if (const auto* derivative = dynamic_cast<const DerivativeNode*>(Head())) {
        writer.WriteStartTag("msup");
        if (Argument())
            Argument()->WriteMathML(writer);
        else
            writer.WriteElement("mrow", "");
        derivative->WritePrimeMark(writer);
        writer.WriteEndTag("msup");
        return;
    }
    writer.WriteStartTag("mrow");
    ExprNode* logBase = LogBase(Head(), Argument());
    const bool subscriptBase = logBase && !IsBaseTen(*logBase);
    if (subscriptBase) writer.WriteStartTag("msub");
    if (const SymbolNode* symbol = AsSymbol(Head())) {
        writer.WriteStartTag("mi");
        symbol->WriteMathMLContent(writer);
        writer.WriteEndTag("mi");
    } else if (Head()) {
        Head()->WriteMathML(writer);
    }
    if (subscriptBase) {
        logBase->WriteMathML(writer);
        writer.WriteEndTag("msub");
    }
    writer.WriteStartTag("mo");
    writer.WriteEntity("af");
    writer.WriteEndTag("mo");
    if (logBase) {
        // The arguments after the base; the base is shown (or implied) already.
        ExprNode* first = logBase->Next();
        const bool fenced = !(first && !first->Next() && first->IsAtom());
        if (fenced) writer.BeginFenced("(", ")");
        for (ExprNode* item = first; item; item = item->Next()) {
            if (item != first) writer.WriteFenceSeparator();
            item->WriteMathML(writer);
        }
        if (fenced) writer.EndFenced();
    } else if (Argument()) {
        // f(x + y) must not read as f x + y: an argument that is not an atom is fenced, once:
        // a group brings its own.
        const bool fenced = !Argument()->IsAtom() && !dynamic_cast<const GroupNode*>(Argument());
        if (fenced) writer.BeginFenced("(", ")");
        Argument()->WriteMathML(writer);
        if (fenced) writer.EndFenced();
    }
    writer.WriteEndTag("mrow");
}

void FunctionNode::WriteText(Str255& out) const {
    out = Str255();
    Str255 part;
    if (Head()) Head()->WriteText(part);
    out.Append(part);
    out.AppendChar('(');
    if (const ExprNode* logBase = LogBase(Head(), Argument()); logBase && IsBaseTen(*logBase)) {
        // log(x): the base it means by itself goes unsaid.
        for (const ExprNode* item = logBase->Next(); item; item = item->Next()) {
            if (item != logBase->Next()) out.AppendChar(',');
            item->WriteText(part);
            out.Append(part);
        }
    } else if (const ExprNode* argument = Unbracketed(Argument())) {
        argument->WriteText(part);
        out.Append(part);
    }
    out.AppendChar(')');
}

// ---- ModNode -----------------------------------------------------------------------------------

NodePtr ModNode::Clone() const {
    return WithSource(std::make_unique<ModNode>(CloneOrNull(First()), CloneOrNull(Second())));
}

void ModNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutBinary(link, mode, "TYMod");
}

void ModNode::PutStandardToLink(QKLINK link) const {
    PutBinaryStandard(link, "Mod");
}

void ModNode::BuildBoxes(BoxList& boxes, int32_t level) {
    if (First()) First()->BuildBoxes(boxes, level);
    boxes.AddGlyphs(" mod ");
    if (Second()) Second()->BuildBoxes(boxes, level);
}

void ModNode::WriteMathML(MathMLWriter& writer) {
    writer.WriteStartTag("mrow");
    if (First()) First()->WriteMathML(writer);
    writer.WriteElement("mo", "mod");
    if (Second()) Second()->WriteMathML(writer);
    writer.WriteEndTag("mrow");
}

int32_t ModNode::Precedence() const {
    return !First() && !Second() ? kKeywordPrecedence : kDefaultPrecedence;
}

void ModNode::SetLeft(NodePtr left) {
    if (left && left->HasSource()) MutableSource().start = left->Source().start;
    FirstSlot() = std::move(left);
}

void ModNode::SetRight(NodePtr right) {
    if (right && right->HasSource()) MutableSource().end = right->Source().end;
    SecondSlot() = std::move(right);
}

// ---- RuleNode ----------------------------------------------------------------------------------

NodePtr RuleNode::Clone() const {
    return WithSource(std::make_unique<RuleNode>(CloneOrNull(First()), CloneOrNull(Second())));
}

void RuleNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutBinary(link, mode, "Rule");
}

void RuleNode::BuildBoxes(BoxList& boxes, int32_t level) {
    BoxList own;
    BoxList& target = level == 2 ? own : boxes;
    if (First()) First()->BuildBoxes(target, 4);
    target.AddGlyph(glyph::kBlank);
    target.AddGlyph(kRuleArrowGlyph);
    target.AddGlyph(glyph::kBlank);
    if (Second()) Second()->BuildBoxes(target, 4);
    if (level == 2) AppendParenthesised(boxes, std::move(own));
}

void RuleNode::WriteMathML(MathMLWriter& writer) {
    // {x -> 2} must not export as {}: the rule writes its sides and an arrow.
    writer.WriteStartTag("mrow");
    if (First()) First()->WriteMathML(writer);
    writer.WriteStartTag("mo");
    writer.WriteRaw("&#8594;");
    writer.WriteEndTag("mo");
    if (Second()) Second()->WriteMathML(writer);
    writer.WriteEndTag("mrow");
}
