#pragma once

// The order in which the kernel arranges the terms of sums: a priority for each one-letter
// symbol, kept in the profile section "Term Ordering", read from and sent to the kernel as
// {True|False, {{letter, priority}, ...}} and edited in the Term Ordering dialog. The editing
// operations live here, without widgets, so that the dialog only shows them.

#include "expr/ExprNode.h"

#include <cstdint>
#include <string_view>
#include <vector>

class QSettings;

namespace kernel {

struct TermEntry {
    char letter = 'a';
    uint8_t priority = 0;

    bool operator==(const TermEntry&) const = default;
};

// Entry order: the higher priority first, then the smaller character code.
bool SortsBefore(const TermEntry& x, const TermEntry& y);

class TermOrder {
public:
    static constexpr const char* kSection = "Term Ordering";
    // The byte of a "Terms" position that holds no priority.
    static constexpr uint8_t kNoPriority = 255;

    std::vector<TermEntry> entries;
    bool useOrdering = false;
    bool constantsToBack = true;

    int32_t Count() const { return static_cast<int32_t>(entries.size()); }

    // Replaces the record by the saved ordering; false (leaving the flags read so far and the
    // entries untouched) when none is saved. The entries come from the stored positions found,
    // whatever "Term Count" claims.
    bool Load(QSettings& profile);
    // Writes the ordering, which `Load` reads back entry for entry with "Term Count" entries;
    // false, writing nothing, for an ordering that could not be read back so (a letter listed
    // twice, or a priority of 255, which marks a letter without priority).
    bool Save(QSettings& profile) const;

    // The kernel's answer; anything not of the ordering's shape gives an empty ordering.
    static TermOrder FromAnswer(const ExprNode* answer, bool constantsToBack);
    // {True|False, {{letter, priority}, ...}} for the kernel.
    NodePtr ToListNode() const;

    // New: sets the priority of an existing letter, or inserts the entry before the first one
    // it sorts before. A symbol that is empty or starts with a blank does nothing (false).
    bool Add(std::string_view symbol, uint8_t priority);
    // Edit: the entry at `index` takes the symbol's first character and the priority; refused
    // like `Add` for an empty or blank symbol, for a letter that another entry holds, and for an
    // index outside the entries.
    bool Edit(int32_t index, std::string_view symbol, uint8_t priority);
    bool Remove(int32_t index);
    // Letters in decreasing character-code order.
    void SortByVariable();
    // The entry order above.
    void SortByPriority();
};

} // namespace kernel
