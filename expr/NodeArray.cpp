#include "expr/NodeArray.h"

#include "expr/ListNodes.h"

void NodeArray::Append(NodePtr node) {
    if (node) {
        node->SetNext(nullptr);
        m_items.push_back(std::move(node));
    }
}

NodePtr NodeArray::RemoveAt(int32_t position) {
    if (position < 1 || position > GetCount()) return nullptr;
    const auto at = m_items.begin() + (position - 1);
    NodePtr item = std::move(*at);
    m_items.erase(at);
    return item;
}

void NodeArray::FromList(NodePtr list) {
    auto* composite = dynamic_cast<CompositeNode*>(list.get());
    if (!composite) return;
    NodePtr chain = composite->DetachAll();
    while (chain) {
        NodePtr rest = chain->TakeNext();
        m_items.push_back(std::move(chain));
        chain = std::move(rest);
    }
}

std::unique_ptr<ListNode> NodeArray::ToListNode() {
    NodePtr chain;
    NodePtr* tail = &chain;
    for (NodePtr& item : m_items) {
        *tail = std::move(item);
        tail = &(*tail)->NextSlot();
    }
    m_items.clear();
    return std::make_unique<ListNode>(std::move(chain));
}

void NodeArray::ItemText(int32_t position, Str255& out) const {
    out = Str255();
    if (position < 1 || position > GetCount()) return;
    m_items[static_cast<size_t>(position - 1)]->WriteText(out);
}
