#include "app/ElementBuilders.h"

#include "app/CommandIds.h"

ElementBuilders& ElementBuilders::Instance() {
    static ElementBuilders registry;
    return registry;
}

ElementBuilders::Registration ElementBuilders::Register(int32_t id, ElementBuilder builder) {
    m_builders[id] = std::move(builder);
    return Registration(*this, id);
}

const ElementBuilder* ElementBuilders::Find(int32_t id) const {
    auto it = m_builders.find(cmd::MenuElementId(id));
    return it == m_builders.end() ? nullptr : &it->second;
}
