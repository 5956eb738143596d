#pragma once

// A process-wide service (the drawing layer, the run factory, a component kind's constructor)
// lives in a `ServiceSlot`: everyone reads the one installed instance through it, and only an
// `Installed` guard changes it. The guard puts back whatever was installed before it when it
// ends, also when an exception passes, so a start-up sequence or a test that installs a
// stand-in leaves the process as it found it.
//
//     fakes::DrawPort port;
//     Installed installed(gDrawPort, &port);   // until the end of the scope
//
// Guards nest and must end in the reverse order of their installing, as scopes do; ending one
// out of order is a programming fault that debug builds stop at. The slot never owns what it
// points to. GUI thread only, like the services themselves.

#include <cassert>
#include <cstddef>
#include <type_traits>
#include <utility>

template <typename Service>
class Installed;

// `Service` is a class (the slot holds a pointer to the installed object) or a function type
// (the slot holds a pointer to the installed function).
template <typename Service>
class ServiceSlot {
public:
    constexpr ServiceSlot() = default;
    ServiceSlot(const ServiceSlot&) = delete;
    ServiceSlot& operator=(const ServiceSlot&) = delete;

    // The installed service, or null when none is.
    Service* Get() const { return m_current; }
    // The installed service; reaching through an empty slot is a start-up fault.
    Service* operator->() const {
        assert(m_current != nullptr && "no service installed");
        return m_current;
    }
    friend bool operator==(const ServiceSlot& slot, std::nullptr_t) {
        return slot.m_current == nullptr;
    }

private:
    friend class Installed<Service>;
    Service* m_current = nullptr;
};

template <typename Service>
class Installed {
public:
    // Installs `service` (null installs none) until the guard ends.
    Installed(ServiceSlot<Service>& slot, std::type_identity_t<Service>* service)
        : m_slot(slot), m_installed(service), m_previous(std::exchange(slot.m_current, service)) {}
    ~Installed() {
        assert(m_slot.m_current == m_installed && "guards ended out of order");
        m_slot.m_current = m_previous;
    }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

private:
    ServiceSlot<Service>& m_slot;
    Service* m_installed;
    Service* m_previous;
};
