#include "expr/Fencing.h"

#include "expr/FunctionNode.h"
#include "expr/MathMLWriter.h"
#include "expr/PlusNode.h"
#include "expr/PowerNode.h"
#include "expr/TimesNode.h"
#include "expr/UnaryNodes.h"

namespace {

// The one factor a product shows, unit factors aside; null when it shows more, or a
// plus-or-minus sign in front (which binds like the sign of a term).
const ExprNode* SoleShownFactor(const TimesNode& product) {
    const ExprNode* sole = nullptr;
    int32_t shown = 0;
    for (const ExprNode* factor = product.FirstChild(); factor; factor = factor->Next()) {
        if (dynamic_cast<const PlusMinusNode*>(factor)) return nullptr;
        if (factor->IsOne()) continue;
        sole = factor;
        ++shown;
    }
    if (shown == 0) return product.FirstChild();
    return shown == 1 ? sole : nullptr;
}

} // namespace

bool NeedsFence(const ExprNode& node, int32_t level) {
    if (const auto* sum = dynamic_cast<const PlusNode*>(&node))
        return sum->FirstChild() && level > 6;
    if (const auto* product = dynamic_cast<const TimesNode*>(&node)) {
        // A product showing one factor shows it in the product's place.
        if (const ExprNode* sole = SoleShownFactor(*product)) return NeedsFence(*sole, level);
        return level > 8;
    }
    if (dynamic_cast<const FunctionNode*>(&node)) return level > 8;
    if (dynamic_cast<const FactorialNode*>(&node) || dynamic_cast<const PowerNode*>(&node) ||
        dynamic_cast<const DivideNode*>(&node))
        return level >= 10;
    if (dynamic_cast<const RuleNode*>(&node)) return level == 2;
    return false;
}

void WriteMathMLAt(MathMLWriter& writer, ExprNode& node, int32_t level) {
    const bool fenced = NeedsFence(node, level);
    if (fenced) writer.BeginFenced("(", ")");
    node.WriteMathML(writer);
    if (fenced) writer.EndFenced();
}

Str255 TextAt(const ExprNode& node, int32_t level) {
    Str255 text;
    node.WriteText(text);
    if (!NeedsFence(node, level)) return text;
    Str255 fenced;
    fenced.AppendChar('(');
    fenced.Append(text);
    fenced.AppendChar(')');
    return fenced;
}
