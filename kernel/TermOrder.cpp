#include "kernel/TermOrder.h"

#include "expr/CompositeNode.h"
#include "expr/LeafNodes.h"
#include "expr/ListNodes.h"

#include <QSettings>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace kernel {

namespace {

unsigned Code(char letter) {
    return static_cast<unsigned char>(letter);
}

const CompositeNode* AsList(const ExprNode* node, int32_t count) {
    if (!node || node->TypeTag() != ::TypeTag("lisN")) return nullptr;
    if (count >= 0 && node->ChildCount() != count) return nullptr;
    return static_cast<const CompositeNode*>(node);
}

std::optional<std::string> SymbolName(const ExprNode* node) {
    if (!node || node->TypeTag() != ::TypeTag("symN")) return std::nullopt;
    Str255 name;
    static_cast<const SymbolNode*>(node)->GetName(name);
    return std::string(name.View());
}

// One {letter, priority} element; nothing when it is not of that shape.
std::optional<TermEntry> EntryOf(const ExprNode* element) {
    const CompositeNode* pair = AsList(element, 2);
    if (!pair) return std::nullopt;
    const std::optional<std::string> name = SymbolName(pair->FirstChild());
    const ExprNode* priority = pair->FirstChild()->Next();
    if (!name || name->empty() || priority->TypeTag() != ::TypeTag("intN")) return std::nullopt;
    const int32_t value = priority->GetInteger();
    if (value < 0 || value > 255) return std::nullopt;
    return TermEntry{(*name)[0], static_cast<uint8_t>(value)};
}

bool IsBlankSymbol(std::string_view symbol) {
    return symbol.empty() || symbol[0] == ' ';
}

bool ReadTrue(QSettings& profile, const char* key, bool missing) {
    const QVariant value = profile.value(key);
    if (!value.isValid()) return missing;
    return value.toString() == QLatin1String("true");
}

} // namespace

bool SortsBefore(const TermEntry& x, const TermEntry& y) {
    if (x.priority != y.priority) return x.priority > y.priority;
    return Code(x.letter) < Code(y.letter);
}

bool TermOrder::Load(QSettings& profile) {
    profile.beginGroup(kSection);
    useOrdering = ReadTrue(profile, "Use Ordering", false);
    // Every character of "Terms" is one position's byte (0-255), so a priority of 0 or one
    // above 127 reads back as it was written; a character beyond 255 is no priority.
    const QString terms = profile.value("Terms").toString();
    const bool saved = !terms.isEmpty();
    if (saved) {
        entries.clear();
        const qsizetype positions = std::min<qsizetype>(terms.size(), 256);
        for (qsizetype c = 0; c < positions; ++c) {
            const char16_t byte = terms[c].unicode();
            if (byte >= kNoPriority) continue;
            entries.push_back(TermEntry{static_cast<char>(c), static_cast<uint8_t>(byte)});
        }
        constantsToBack = ReadTrue(profile, "Constants to back", true);
    }
    profile.endGroup();
    return saved;
}

bool TermOrder::Save(QSettings& profile) const {
    // "Terms" keeps one priority per letter, and 255 at a letter's position is no priority.
    std::array<bool, 256> listed{};
    for (const TermEntry& entry : entries) {
        if (entry.priority == kNoPriority || listed[Code(entry.letter)]) return false;
        listed[Code(entry.letter)] = true;
    }
    QString terms(256, QChar(kNoPriority));
    for (const TermEntry& entry : entries)
        terms[static_cast<qsizetype>(Code(entry.letter))] = QChar(char16_t(entry.priority));
    profile.beginGroup(kSection);
    profile.setValue("Use Ordering", useOrdering ? "true" : "false");
    profile.setValue("Term Count", Count());
    profile.setValue("Terms", terms);
    profile.setValue("Constants to back", constantsToBack ? "true" : "false");
    profile.endGroup();
    return true;
}

TermOrder TermOrder::FromAnswer(const ExprNode* answer, bool constantsToBack) {
    TermOrder order;
    order.constantsToBack = constantsToBack;
    const CompositeNode* whole = AsList(answer, 2);
    if (!whole) return order;
    const std::optional<std::string> flag = SymbolName(whole->FirstChild());
    const CompositeNode* items = AsList(whole->FirstChild()->Next(), -1);
    if (!flag || !items) return order;
    std::vector<TermEntry> entries;
    for (const ExprNode* item = items->FirstChild(); item; item = item->Next()) {
        const std::optional<TermEntry> entry = EntryOf(item);
        // An error tree or a damaged answer is no ordering, not a partial one.
        if (!entry) return order;
        entries.push_back(*entry);
    }
    order.entries = std::move(entries);
    order.useOrdering = *flag == "True";
    return order;
}

NodePtr TermOrder::ToListNode() const {
    auto items = std::make_unique<ListNode>();
    for (const TermEntry& entry : entries) {
        auto pair = std::make_unique<ListNode>();
        pair->AppendChild(std::make_unique<SymbolNode>(NodeSource(), std::string(1, entry.letter)));
        pair->AppendChild(std::make_unique<IntegerNode>(std::to_string(entry.priority)));
        items->AppendChild(std::move(pair));
    }
    auto whole = std::make_unique<ListNode>();
    whole->AppendChild(SymbolNode::FromName(useOrdering ? "True" : "False"));
    whole->AppendChild(std::move(items));
    return whole;
}

bool TermOrder::Add(std::string_view symbol, uint8_t priority) {
    if (IsBlankSymbol(symbol)) return false;
    const TermEntry added{symbol[0], priority};
    for (TermEntry& entry : entries) {
        if (entry.letter == added.letter) {
            entry.priority = priority;
            return true;
        }
    }
    const auto at = std::find_if(entries.begin(), entries.end(), [&](const TermEntry& entry) {
        return !SortsBefore(entry, added);
    });
    entries.insert(at, added);
    return true;
}

bool TermOrder::Edit(int32_t index, std::string_view symbol, uint8_t priority) {
    if (IsBlankSymbol(symbol) || index < 0 || index >= Count()) return false;
    for (int32_t other = 0; other < Count(); ++other)
        if (other != index && entries[static_cast<std::size_t>(other)].letter == symbol[0])
            return false;
    entries[static_cast<std::size_t>(index)] = TermEntry{symbol[0], priority};
    return true;
}

bool TermOrder::Remove(int32_t index) {
    if (index < 0 || index >= Count()) return false;
    entries.erase(entries.begin() + index);
    return true;
}

void TermOrder::SortByVariable() {
    std::stable_sort(entries.begin(), entries.end(), [](const TermEntry& x, const TermEntry& y) {
        return Code(x.letter) > Code(y.letter);
    });
}

void TermOrder::SortByPriority() {
    std::stable_sort(entries.begin(), entries.end(), SortsBefore);
}

} // namespace kernel
