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
    if (cmd::IsToolbarElement(id)) id += cmd::kToolbarToMenu;
    auto it = m_builders.find(id);
    return it == m_builders.end() ? nullptr : &it->second;
}
