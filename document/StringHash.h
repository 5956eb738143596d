#pragma once

// A fixed-size, read-mostly table from C-string keys to 32-bit values: 953 slots with open
// addressing. It serves the program's name tables, which are filled once at start-up from
// static arrays of a few hundred names and then only looked up, so it never grows.
//
// The table does not copy or own its entries: the array given to Fill, and the keys it points
// to, must outlive the table (in practice they are static data). Lookups do not change the
// table, so a filled table may be read from any thread.

#include <array>
#include <cstdint>
#include <string_view>

class StringHash {
public:
    struct Entry {
        const char* key; // NUL-terminated, compared case-sensitively
        uint32_t value;
    };

    static constexpr int32_t kSlotCount = 953;

    // Empty: every lookup answers 0 until Fill.
    constexpr StringHash() { m_slots.fill(kEmpty); }

    // Replaces the contents with `count` entries, placed in array order, each in the first free
    // slot of its key's probe sequence; so where two entries share a key, the first one wins.
    // Throws std::length_error when an entry finds no free slot within one probe per slot
    // (more than 953 entries, or keys whose probe sequences are all taken), leaving the table as
    // it was.
    void Fill(const Entry* entries, int32_t count);

    // The value stored under the NUL-terminated key, or 0 when the key is absent.
    uint32_t Lookup(const char* key) const;

    // The same for the characters from begin up to (not including) end, a name inside a longer
    // text; the text is only read. Like a NUL-terminated key, the range ends at an embedded NUL.
    uint32_t LookupRange(const char* begin, const char* end) const;

private:
    static constexpr int32_t kEmpty = -1;

    // The whole view seeds the hash; it compares only up to its first NUL.
    uint32_t Find(std::string_view key) const;

    const Entry* m_entries = nullptr;
    int32_t m_count = 0;
    std::array<int32_t, kSlotCount> m_slots{};
};
