#include "mathbox/parser/ExprHolder.h"

#include "expr/CompositeNode.h"
#include "expr/GridNodes.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"
#include "expr/ScriptNodes.h"
#include "expr/symbols/SymbolTable.h"
#include "mathbox/parser/ExprServices.h"

#include <algorithm>
#include <limits>

namespace {

bool IsNullSymbol(const ExprNode& node) {
    const auto* symbol = dynamic_cast<const SymbolNode*>(&node);
    return symbol && node.TypeTag() == ::TypeTag("symN") && symbol->Row() == symbol_row::kNull;
}

// The kernel's answers that are no index: it failed or gave up, or the request could not be
// made (the error tree).
bool IsFailure(const ExprNode& answer) {
    if (answer.TypeTag() == ::TypeTag("errN")) return true;
    if (answer.TypeTag() != ::TypeTag("symN")) return false;
    Str255 name;
    static_cast<const SymbolNode&>(answer).GetName(name);
    return name.View() == "$Failed" || name.View() == "$Canceled";
}

// What the ordering request answers for integer indices: one past the largest (1 for none).
NodePtr NextIndexOf(const ListNode& collected) {
    int32_t largest = 0;
    for (const ExprNode* index = collected.FirstChild(); index; index = index->Next())
        if (index->TypeTag() == ::TypeTag("intN")) largest = std::max(largest, index->GetInteger());
    return std::make_unique<MachineIntegerNode>(
        largest < std::numeric_limits<int32_t>::max() ? largest + 1 : largest);
}

// Puts a node back where it was taken out, also when copying in between fails.
class Swapped {
public:
    Swapped(ExprNode& parent, ExprNode& original, NodePtr standIn)
        : m_parent(parent), m_standIn(standIn.get()) {
        m_original = m_parent.ReplaceChild(&original, std::move(standIn));
    }
    ~Swapped() {
        if (m_original) m_parent.ReplaceChild(m_standIn, std::move(m_original));
    }
    bool Done() const { return m_original != nullptr; }

private:
    ExprNode& m_parent;
    ExprNode* m_standIn;
    NodePtr m_original;
};

} // namespace

void ExprHolder::MakeFraction() {
    if (!m_node) return;
    m_node->VisitTreeNoArg();
    ReplaceByFraction(m_node);
}

BoxList ExprHolder::BuildBoxes() const {
    BoxList boxes;
    if (!m_node) return boxes;
    NodePtr copy = m_node->Clone();
    copy->BuildBoxes(boxes, 1);
    return boxes;
}

ExprHolder::Insertion ExprHolder::InsertResult(ExprNode* target, NodePtr answer) {
    if (!answer || IsNullSymbol(*answer)) return Insertion::kNullAnswer;
    ExprNode* placed = answer.get();
    if (target && target == m_node.get()) {
        NodePtr old = std::exchange(m_node, std::move(answer));
        ResolveMarkers(*placed, *placed);
        return Insertion::kInserted;
    }
    ExprNode* parent = m_node && target ? m_node->FindParentOf(target) : nullptr;
    if (!parent) return Insertion::kTargetNotFound;
    NodePtr old = parent->ReplaceChild(target, std::move(answer));
    if (!old) return Insertion::kTargetNotFound;
    ResolveMarkers(*placed, *m_node);
    const int32_t count = placed->AlternativeCount();
    if (count > 1) SpreadAlternatives(*placed, count);
    return Insertion::kInserted;
}

void ExprHolder::ResolveMarkers(ExprNode& answer, ExprNode& tree) {
    ExprSession* session = gExprSession.Get();
    if (!session) return;
    ExprNode* previous = nullptr;
    while (const intptr_t found = answer.FindInTree()) {
        auto* marker = dynamic_cast<SubscriptNode*>(reinterpret_cast<ExprNode*>(found));
        // A marker the ordering request left as it was would be found for ever.
        if (!marker || marker == previous) return;
        previous = marker;
        // The tree gives copies of its constants' indices, which the list owns.
        ListNode collected;
        tree.VisitTree(collected);
        NodePtr index = session->NextPriority(collected);
        // A failure is no index: "C_$Failed" would stand in the answer. The constant is
        // numbered past the integer indices instead, as the kernel numbers them.
        if (!index || IsFailure(*index)) index = NextIndexOf(collected);
        marker->ReplaceChild(marker->Subscript(), std::move(index));
    }
}

void ExprHolder::SpreadAlternatives(ExprNode& answer, int32_t count) {
    auto* alternatives = dynamic_cast<CompositeNode*>(&answer);
    ExprNode* parent = m_node->FindParentOf(&answer);
    if (!alternatives || !parent) return;
    NodePtr first;
    ExprNode* last = nullptr;
    int32_t made = 0;
    for (ExprNode* item = alternatives->FirstChild(); item && made < count; item = item->Next()) {
        NodePtr copy;
        {
            Swapped swapped(*parent, answer, item->Clone());
            if (!swapped.Done()) return;
            copy = m_node->Clone();
        }
        ExprNode* link = copy.get();
        if (last)
            last->SetNext(std::move(copy));
        else
            first = std::move(copy);
        last = link;
        ++made;
    }
    m_node = std::make_unique<OrNode>(std::move(first));
}
