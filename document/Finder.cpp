#include "document/Finder.h"

#include "document/CompSequence.h"
#include "document/GlyphSource.h"
#include "document/ParaComp.h"

#include <algorithm>
#include <bit>

namespace {

constexpr int32_t kPatternFace = 0;
constexpr int32_t kGlyphFaces = 8;
// At most 1 MB of marks, for characters within 8 MB of each other.
constexpr uintptr_t kMaxAddressSlots = uintptr_t{1} << 20;

// Climbs from `list` through the owners to `para`'s own list, calling `level` with each list
// above and the owner's index in it, innermost first; false when the chain breaks before.
template <typename Level>
bool ClimbToParagraph(const CompList* list, const ParaComp& para, Level level) {
    for (const CompList* at = list; at != para.GetList(1);) {
        TextComp* owner = at->GetOwner();
        CompList* parent = owner != nullptr ? owner->GetParent() : nullptr;
        const int32_t index = parent != nullptr ? parent->IndexOf(owner) : 0;
        if (index == 0) return false;
        level(parent, index);
        at = parent;
    }
    return true;
}

// The first list `owner` has from its list `n` on, in the order it numbers them; null when
// none is left.
CompList* FirstListFrom(const TextComp& owner, int32_t n) {
    for (; n <= owner.GetListCount(); ++n)
        if (CompList* list = owner.GetList(n)) return list;
    return nullptr;
}

} // namespace

bool IsPlaceIn(const DocPos& pos, const CompSequence& paragraphs) {
    const CompList* list = pos.GetList();
    if (list == nullptr || pos.paragraph == nullptr || paragraphs.IndexOf(pos.paragraph) == 0)
        return false;
    if (pos.kind == DocPos::kInList ? pos.index < 0 || pos.index > list->GetCount() + 1
                                    : list->IndexOf(pos.GetBox()) == 0)
        return false;
    return ClimbToParagraph(list, *pos.paragraph, [](CompList*, int32_t) {});
}

void Replacement::Swap() {
    CompArray taken = list->ExtractRange(index, index + count - 1);
    const int32_t inserted = held.GetCount();
    try {
        list->InsertArrayAt(std::move(held), index);
    } catch (...) {
        // The list has room for what it just gave up: nothing is lost.
        list->InsertArrayAt(std::move(taken), index);
        throw;
    }
    held = std::move(taken);
    count = inserted;
}

Finder::Finder(CompSequence& paragraphs)
    : m_paragraphs(paragraphs), m_pattern(std::make_unique<CompList>()) {}

void Finder::SetPattern(CompArray components) {
    TakePattern(std::make_unique<CompList>(std::move(components)));
}

void Finder::SetPattern(const Str255& text) {
    TakePattern(std::make_unique<CompList>(text, kPatternFace));
}

void Finder::TakePattern(std::unique_ptr<CompList> pattern) {
    m_pattern = std::move(pattern);
    const TextComp* first = m_pattern->GetAt(1);
    m_firstCode = first != nullptr && !first->IsNotChar() ? first->GetCharCode() : -1;
    MarkPassedCharacters();
}

void Finder::MarkPassedCharacters() {
    std::vector<const TextComp*> passed;
    if (GlyphSource* source = gGlyphSource.Get()) {
        for (int32_t face = 0; face < kGlyphFaces; ++face) {
            for (int code = 0; code < 256; ++code) {
                const TextComp* glyph = source->GetGlyph(face, static_cast<uint8_t>(code));
                if (glyph != nullptr && !glyph->IsNotChar() && glyph->GetCharCode() != m_firstCode)
                    passed.push_back(glyph);
            }
        }
    }
    m_passed.Assign(passed);
}

void Finder::AddressSet::Assign(const std::vector<const TextComp*>& members) {
    *this = AddressSet();
    if (members.empty()) return;
    const auto address = [](const TextComp* comp) { return reinterpret_cast<uintptr_t>(comp); };
    const auto [low, high] = std::minmax_element(
        members.begin(), members.end(),
        [&](const TextComp* a, const TextComp* b) { return address(a) < address(b); });
    const uintptr_t span = std::bit_ceil(((address(*high) - address(*low)) >> 3) + 1);
    // Characters scattered over a wide span are asked one by one instead.
    if (span > kMaxAddressSlots) return;
    m_low = address(*low);
    m_marks.assign(span, 0);
    for (const TextComp* member : members)
        m_marks[Slot(member)] = 1;
}

void Finder::Reset(const DocPos& start) {
    m_stack.clear();
    m_list = nullptr;
    m_index = 1;
    m_paragraphIndex = 0;
    m_started = false;
    m_exhausted = true;
    if (start.kind == DocPos::kNone || start.paragraph == nullptr) return;
    const int32_t paragraph = m_paragraphs.IndexOf(start.paragraph);
    CompList* list = start.GetList();
    if (paragraph == 0 || list == nullptr) return;
    // A boundary between rows, columns or variables is no place in a list: the search starts
    // at the box itself, in the list that holds it.
    const int32_t index =
        start.kind == DocPos::kInList ? std::max(start.index, 1) : list->IndexOf(start.GetBox());
    if (index == 0) return;
    std::vector<Level> levels;
    if (!ClimbToParagraph(list, *start.paragraph, [&](CompList* parent, int32_t j) {
            levels.push_back({parent, j});
        }))
        return;
    m_stack.assign(levels.rbegin(), levels.rend());
    m_list = list;
    m_index = index;
    m_paragraphIndex = paragraph;
    m_exhausted = false;
}

bool Finder::FindNext() {
    if (m_exhausted) return false;
    // A search that finds nothing leaves the finder where it was: the match last found, still
    // selected, can be replaced after all.
    const std::vector<Level> stack = m_stack;
    const Level at{m_list, m_index};
    const int32_t paragraph = m_paragraphIndex;
    const bool started = m_started;
    if (Search()) return true;
    m_stack = stack;
    m_list = at.list;
    m_index = at.index;
    m_paragraphIndex = paragraph;
    m_started = started;
    m_exhausted = false;
    return false;
}

bool Finder::Search() {
    if (m_started) {
        m_started = false;
        if (!Advance()) return false;
    }
    for (;;) {
        const int32_t count = m_list->GetCount();
        if (m_index <= count) {
            m_index = ScanFrom(m_index);
            if (m_index <= count) {
                if (MatchesHere()) {
                    m_started = true;
                    return true;
                }
                if (!Advance()) return false;
                continue;
            }
        }
        if (!StepOut()) return false;
    }
}

bool Finder::Advance() {
    const TextComp* comp = m_list->GetAt(m_index);
    if (CompList* first = comp != nullptr ? FirstListFrom(*comp, 1) : nullptr) {
        m_stack.push_back({m_list, m_index});
        m_list = first;
        m_index = 1;
        return true;
    }
    if (m_index >= m_list->GetCount()) return StepOut();
    ++m_index;
    return true;
}

bool Finder::StepOut() {
    if (m_stack.empty()) {
        if (m_paragraphIndex >= m_paragraphs.GetCount()) {
            m_exhausted = true;
            return false;
        }
        ++m_paragraphIndex;
        m_list = m_paragraphs.GetAt(m_paragraphIndex)->GetList(1);
        m_index = 1;
        return true;
    }
    const Level up = m_stack.back();
    const TextComp* owner = up.list->GetAt(up.index);
    const int32_t n = owner != nullptr ? owner->IndexOfList(m_list) : 0;
    if (CompList* next = n > 0 ? FirstListFrom(*owner, n + 1) : nullptr) {
        m_list = next;
        m_index = 1;
        return true;
    }
    m_stack.pop_back();
    m_list = up.list;
    m_index = up.index + 1;
    return true;
}

int32_t Finder::ScanFrom(int32_t index) const {
    if (m_pattern->GetCount() == 0) return index;
    const std::span<TextComp* const> children = m_list->Children();
    const auto count = static_cast<int32_t>(children.size());
    const TextComp* const* child = children.data() + (index - 1);
    int32_t i = index;
    // Eight at a time while all eight lie in the span and are passed over.
    const uintptr_t outside = ~(m_passed.Span() - 1);
    for (; m_passed.Span() != 0 && i + 7 <= count; i += 8, child += 8) {
        uintptr_t slot[8];
        uintptr_t any = 0;
        for (int k = 0; k < 8; ++k)
            any |= slot[k] = m_passed.Slot(child[k]);
        if ((any & outside) != 0) break;
        uint8_t all = 1;
        for (int k = 0; k < 8; ++k)
            all &= m_passed.Marked(slot[k]);
        if (all == 0) break;
    }
    for (; i <= count; ++i, ++child) {
        if (m_passed.Has(*child) != 0) continue;
        // Any other component may begin a match of its own or hold lists to enter.
        if ((*child)->IsNotChar() || (*child)->GetCharCode() == m_firstCode) return i;
    }
    return count + 1;
}

bool Finder::MatchesHere() const {
    const int32_t length = m_pattern->GetCount();
    if (m_index < 1 || m_index + length > m_list->GetCount() + 1) return false;
    for (int32_t k = 0; k < length; ++k)
        if (!m_list->GetAt(m_index + k)->IsEqual(*m_pattern->GetAt(k + 1))) return false;
    return true;
}

bool Finder::IsAtMatch() const {
    return !m_exhausted && m_started && m_pattern->GetCount() > 0 && MatchesHere();
}

DocRange Finder::GetMatch() const {
    DocRange match;
    if (!m_exhausted) match.Set(m_list, m_index, m_index + m_pattern->GetCount());
    return match;
}

std::optional<Replacement> Finder::ReplaceMatch() {
    if (!IsAtMatch()) return std::nullopt;
    // The characters take the text style of what they replace, as typed ones would.
    const int32_t face = TypingFace(GetMatch().GetTextStyle());
    Replacement replacement;
    replacement.list = m_list;
    replacement.index = m_index;
    replacement.count = m_pattern->GetCount();
    replacement.held.Reserve(m_replacement.GetLength());
    for (const char c : m_replacement.View())
        replacement.held.Add(OwnedComponent(RequireGlyph(face, static_cast<uint8_t>(c))));
    replacement.Swap();
    // On after what went in: a replacement that holds the pattern is not found again.
    m_index += replacement.count;
    m_started = false;
    return replacement;
}

int32_t Finder::GetTopIndex() const {
    return m_stack.empty() ? m_index : m_stack.front().index;
}

DocPos Finder::GetPosition() const {
    DocPos pos;
    if (!m_exhausted) pos.SetAt(m_list, m_index);
    return pos;
}
