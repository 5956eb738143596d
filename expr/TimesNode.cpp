#include "expr/TimesNode.h"

#include "expr/Fencing.h"
#include "expr/LeafNodes.h"
#include "expr/MathMLWriter.h"
#include "expr/NodeBoxes.h"
#include "expr/PowerNode.h"

namespace {

bool IsPlusMinus(const ExprNode& node) {
    return dynamic_cast<const PlusMinusNode*>(&node) != nullptr;
}

} // namespace

void TimesNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutListToLink(link, mode, "TYTimes");
}

void TimesNode::PutStandardToLink(QKLINK link) const {
    PutListStandard(link, "Times");
}

NodePtr TimesNode::ListTransform() const {
    return FirstItemCopy<TimesNode>();
}

SignCode TimesNode::StripNegative() {
    for (NodePtr* slot = &FirstSlot(); *slot; slot = &(*slot)->NextSlot()) {
        const SignCode sign = (*slot)->StripNegative();
        if (sign == kNoSign) continue;
        // A plus-or-minus factor is nothing but the sign: once taken it goes, so the sign is
        // not drawn twice when the product is asked again.
        if (IsPlusMinus(**slot) && Count() > 1) {
            *slot = (*slot)->TakeNext();
            Recount();
        }
        return sign;
    }
    return kNoSign;
}

void TimesNode::RemoveUnitFactors() {
    for (NodePtr* slot = &FirstSlot(); *slot && Count() >= 2;) {
        if ((*slot)->IsOne()) {
            *slot = (*slot)->TakeNext();
            SetCount(Count() - 1);
        } else {
            slot = &(*slot)->NextSlot();
        }
    }
}

bool TimesNode::IsOne() const {
    return Count() == 1 && FirstChild()->IsOne();
}

int32_t TimesNode::GetInteger() const {
    int32_t product = 1;
    for (const ExprNode* f = FirstChild(); f; f = f->Next())
        product = static_cast<int32_t>(static_cast<uint32_t>(product) *
                                       static_cast<uint32_t>(f->GetInteger()));
    return product;
}

double TimesNode::GetReal() const {
    double product = 1.0;
    for (const ExprNode* f = FirstChild(); f; f = f->Next())
        product *= f->GetReal();
    return product;
}

int32_t TimesNode::OrderValue() const {
    int32_t smallest = 0;
    for (const ExprNode* f = FirstChild(); f; f = f->Next()) {
        const int32_t key = f->OrderValue();
        if (key > 0 && (smallest == 0 || key < smallest)) smallest = key;
    }
    return smallest;
}

void TimesNode::BuildBoxes(BoxList& boxes, int32_t level) {
    const SignCode sign = level != 6 ? StripNegative() : kNoSign;
    RemoveUnitFactors();
    if (Count() == 1 && sign == kNoSign) {
        FirstChild()->BuildBoxes(boxes, level);
        return;
    }
    const bool wrapped = level > 8;
    BoxList inner;
    BoxList& target = wrapped ? inner : boxes;
    if (sign == kMinusSign) target.AddGlyph(glyph::kMinus);
    if (sign == kPlusMinusSign) target.AddGlyph(glyph::kPlusMinus);
    // Numbers first, then the rest, each in chain order.
    int32_t drawn = 0;
    for (const bool numeric : {true, false}) {
        for (ExprNode* f = FirstChild(); f; f = f->Next()) {
            if (f->IsNumeric() != numeric) continue;
            ++drawn;
            if (drawn < Count()) {
                f->BuildBoxes(target, 8);
                target.AddGlyph(glyph::kBlank);
            } else {
                f->BuildBoxes(target, 7);
            }
        }
    }
    if (wrapped) AppendParenthesised(boxes, std::move(inner));
}

void TimesNode::WriteMathML(MathMLWriter& writer) {
    // The sign goes on paper as a sign, as the boxes draw it: -x is no "-1 x", and y = ±x must
    // not come out as y = x (a plus-or-minus factor counts as one for the value). In a sum the
    // product has handed its sign to the sum already.
    const SignCode sign = StripNegative();
    RemoveUnitFactors();
    if (sign != kNoSign) {
        writer.WriteStartTag("mrow");
        writer.WriteStartTag("mo");
        if (sign == kPlusMinusSign)
            writer.WriteEntity("PlusMinus");
        else
            writer.WriteRaw("-");
        writer.WriteEndTag("mo");
    }
    if (Count() < 2) {
        // Alone, the factor stands in the product's place, which its parent fenced; after a
        // sign it binds as a term after a sign does.
        if (FirstChild()) WriteMathMLAt(writer, *FirstChild(), sign != kNoSign ? 8 : 0);
    } else {
        writer.WriteStartTag("mrow");
        for (ExprNode* f = FirstChild(); f; f = f->Next()) {
            if (f != FirstChild()) {
                writer.WriteStartTag("mo");
                writer.WriteEntity("InvisibleTimes");
                writer.WriteEndTag("mo");
            }
            // (a + b) c: the levels the boxes use for the factors.
            WriteMathMLAt(writer, *f, f->Next() ? 8 : 7);
        }
        writer.WriteEndTag("mrow");
    }
    if (sign != kNoSign) writer.WriteEndTag("mrow");
}

std::optional<Fraction> TimesNode::ExtractFraction() {
    bool any = false;
    std::unique_ptr<TimesNode> denominators;
    for (NodePtr* slot = &FirstSlot(); *slot; slot = &(*slot)->NextSlot()) {
        std::optional<Fraction> part = (*slot)->ExtractFraction();
        if (!part) continue;
        any = true;
        if (part->denominator) {
            if (!denominators)
                denominators = std::make_unique<TimesNode>(std::move(part->denominator));
            else
                denominators->AppendChild(std::move(part->denominator));
        }
        NodePtr rest = (*slot)->TakeNext();
        *slot =
            part->numerator ? std::move(part->numerator) : std::make_unique<MachineIntegerNode>(1);
        (*slot)->SetNext(std::move(rest));
    }
    if (!any) return std::nullopt;
    RemoveUnitFactors();
    Fraction fraction;
    if (Count() == 1)
        fraction.numerator = DetachAll();
    else
        fraction.numerator = std::make_unique<TimesNode>(DetachAll());
    if (denominators && denominators->Count() == 1)
        fraction.denominator = denominators->DetachAll();
    else
        fraction.denominator = std::move(denominators);
    return fraction;
}

bool TimesNode::SetMark(ExprNode* first, ExprNode* last) {
    return MarkRun(first, last, std::make_unique<TimesNode>());
}

void TimesNode::VisitTreeNoArg() {
    Flatten();
}

void TimesNode::PrependFactor(NodePtr factor) {
    if (factor->HasSource()) MutableSource().Union(factor->Source());
    factor->SetNext(std::move(FirstSlot()));
    FirstSlot() = std::move(factor);
    Recount();
}

void TimesNode::PrependPlusMinus(const NodeSource& sign) {
    PrependFactor(std::make_unique<PlusMinusNode>(sign));
}

void TimesNode::Negate(const NodeSource& sign) {
    if (FirstChild() && FirstChild()->CanNegateInPlace()) {
        FirstChild()->Negate();
        return;
    }
    PrependFactor(std::make_unique<MachineIntegerNode>(sign, -1));
}

NodePtr PlusMinusNode::Clone() const {
    return std::make_unique<PlusMinusNode>();
}

void PlusMinusNode::PutToLink(QKLINK link, MarkerMode mode) const {
    PutMarkerHead(link, mode);
    QKPutSymbol(link, "plusMinus");
}

void PlusMinusNode::PutStandardToLink(QKLINK link) const {
    QKPutSymbol(link, "plusMinus");
}
