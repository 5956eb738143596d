#include "document/StringHash.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// The slots a key visits: the first from its hash, each next one after multiplying the hash by
// 7. A key hashing to 0 (the empty key) or cycling through taken slots would probe forever, so
// every walk is bounded by one probe per slot: an entry that finds no free slot in that many is
// refused by Fill, and a lookup that finds neither its key nor an empty slot answers "absent".
class Probe {
public:
    explicit Probe(std::string_view key) : m_hash(static_cast<uint32_t>(key.size())) {
        // Characters count as signed 8-bit values, shifted left by 0, 2, 4, 6, 0, 2, ...
        for (size_t i = 0; i < key.size(); ++i) {
            const auto c = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(key[i])));
            m_hash += c << (2 * i % 8);
        }
    }

    int32_t Slot() const { return static_cast<int32_t>(m_hash % StringHash::kSlotCount); }
    void Next() { m_hash *= 7; }

private:
    uint32_t m_hash;
};

} // namespace

void StringHash::Fill(const Entry* entries, int32_t count) {
    if (count < 0 || count > kSlotCount)
        throw std::length_error("string hash: entry count out of range");
    std::array<int32_t, kSlotCount> slots;
    slots.fill(kEmpty);
    for (int32_t index = 0; index < count; ++index) {
        const char* key = entries[index].key;
        Probe probe(key);
        for (int32_t probes = 1; slots[probe.Slot()] != kEmpty; ++probes) {
            if (probes == kSlotCount)
                throw std::length_error(std::string("string hash: no free slot for \"") + key +
                                        "\"");
            probe.Next();
        }
        slots[probe.Slot()] = index;
    }
    m_slots = slots;
    m_entries = entries;
    m_count = count;
}

uint32_t StringHash::Lookup(const char* key) const {
    return Find(key);
}

uint32_t StringHash::LookupRange(const char* begin, const char* end) const {
    return Find(std::string_view(begin, static_cast<size_t>(end - begin)));
}

uint32_t StringHash::Find(std::string_view key) const {
    const std::string_view compared = key.substr(0, key.find('\0'));
    Probe probe(key);
    for (int32_t probes = 0; probes < kSlotCount; ++probes, probe.Next()) {
        const int32_t index = m_slots[probe.Slot()];
        if (index == kEmpty) return 0;
        if (compared == m_entries[index].key) return m_entries[index].value;
    }
    return 0;
}
