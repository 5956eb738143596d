#pragma once

// Who builds the component of each Element command (32812 to 32832). The math boxes, plots and
// links register their builders as their subsystems arrive; an Element command, and the toolbar
// button that runs it, is enabled only while it has a builder. Registration lasts for the life
// of the returned guard, which then puts back the builder it replaced (none when there was
// none).

#include "document/TextComp.h"

#include <cstdint>
#include <functional>
#include <map>

class BaseView;

// Builds a new component for the view (asking the user first where the command has a
// dialog); null when nothing is to be inserted (the dialog was cancelled).
using ElementBuilder = std::function<OwnedComponent(BaseView& view)>;

class ElementBuilders {
public:
    class Registration {
    public:
        Registration(ElementBuilders& registry, int32_t id, ElementBuilder replaced)
            : m_registry(registry), m_id(id), m_replaced(std::move(replaced)) {}
        ~Registration();
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;

    private:
        ElementBuilders& m_registry;
        int32_t m_id;
        ElementBuilder m_replaced;
    };

    // The one registry of the program.
    static ElementBuilders& Instance();

    // Registers the builder of an Element command id until the guard ends; an id registered
    // twice keeps the later builder while both guards live. An empty builder withdraws the
    // command for as long.
    [[nodiscard]] Registration Register(int32_t id, ElementBuilder builder);
    // The builder of a menu command id, or of the toolbar button that runs it; null when none.
    const ElementBuilder* Find(int32_t id) const;

private:
    std::map<int32_t, ElementBuilder> m_builders;
};
