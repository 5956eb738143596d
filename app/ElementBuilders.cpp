#include "app/ElementBuilders.h"

#include "app/CommandIds.h"

#include <utility>

ElementBuilders& ElementBuilders::Instance() {
    static ElementBuilders registry;
    return registry;
}

ElementBuilders::Registration::~Registration() {
    if (m_replaced)
        m_registry.m_builders[m_id] = std::move(m_replaced);
    else
        m_registry.m_builders.erase(m_id);
}

ElementBuilders::Registration ElementBuilders::Register(int32_t id, ElementBuilder builder) {
    ElementBuilder& slot = m_builders[id];
    ElementBuilder replaced = std::exchange(slot, std::move(builder));
    return Registration(*this, id, std::move(replaced));
}

const ElementBuilder* ElementBuilders::Find(int32_t id) const {
    auto it = m_builders.find(cmd::MenuElementId(id));
    return it == m_builders.end() || !it->second ? nullptr : &it->second;
}
