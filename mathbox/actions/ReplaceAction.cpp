#include "mathbox/actions/ReplaceAction.h"

#include "document/CompSequence.h"
#include "mathbox/EditView.h"

#include <algorithm>
#include <utility>

OwnedAction ReplaceAction::MakeReplace(EditView& view, Finder& finder, const DocRange& selection) {
    if (!finder.IsAtMatch()) return nullptr;
    return OwnedAction(new ReplaceAction(view, finder, selection, false, finder.GetPosition()));
}

OwnedAction ReplaceAction::MakeReplaceAll(EditView& view, Finder& finder,
                                          const DocRange& selection) {
    finder.Reset(selection.start);
    const DocPos start = finder.GetPosition();
    if (finder.GetPattern().GetCount() == 0 || !finder.FindNext()) return nullptr;
    return OwnedAction(new ReplaceAction(view, finder, selection, true, start));
}

ReplaceAction::ReplaceAction(EditView& view, Finder& finder, const DocRange& selection, bool all,
                             const DocPos& searchStart)
    : TAction(view, actionname::kReplace, selection), m_finder(&finder), m_all(all),
      m_selection(selection), m_searchStart(searchStart) {
    SetPlace(finder.GetParagraphIndex(), finder.GetTopIndex());
}

int32_t ReplaceAction::DoIt() {
    if (Finder* finder = std::exchange(m_finder, nullptr)) {
        // The first run: the finder stands at a match.
        do {
            // Room first: a replacement made must not be lost to a failed record.
            if (m_replacements.size() == m_replacements.capacity())
                m_replacements.reserve(std::max<size_t>(16, 2 * m_replacements.capacity()));
            std::optional<Replacement> made = finder->ReplaceMatch();
            if (!made) break;
            m_replacements.push_back(std::move(*made));
            m_applied = m_replacements.size();
        } while (m_all && finder->FindNext());
        if (m_replacements.empty())
            m_shown = m_selection;
        else
            m_shown = m_all ? Restored() : GetInserted();
    } else {
        for (; m_applied < m_replacements.size(); ++m_applied)
            m_replacements[m_applied].Swap();
    }
    ShowRange(m_shown);
    return 0;
}

int32_t ReplaceAction::UndoIt() {
    SwapBack();
    ShowRange(m_selection);
    return 0;
}

void ReplaceAction::RecoverAfterFailure() {
    SwapBack();
}

void ReplaceAction::SwapBack() {
    for (; m_applied > 0; --m_applied)
        m_replacements[m_applied - 1].Swap();
}

DocRange ReplaceAction::GetInserted() const {
    DocRange inserted;
    if (!m_replacements.empty()) {
        const Replacement& last = m_replacements.back();
        inserted.Set(last.list, last.index, last.index + last.count);
    }
    return inserted;
}

bool ReplaceAction::MoveThrough(DocPos& pos) const {
    if (pos.kind != DocPos::kInList) return true;
    for (const Replacement& made : m_replacements) {
        if (pos.target != made.list) continue;
        const int32_t removed = made.held.GetCount();
        if (pos.index >= made.index + removed)
            pos.index += made.count - removed;
        else if (pos.index > made.index)
            return false;
    }
    return true;
}

DocRange ReplaceAction::Restored() const {
    const CompSequence* page = GetParagraphs();
    DocPos start = m_selection.start;
    DocPos end = m_selection.end;
    const bool startStands = page != nullptr && MoveThrough(start) && IsPlaceIn(start, *page);
    if (startStands && MoveThrough(end) && IsPlaceIn(end, *page)) {
        DocRange kept;
        kept.Assign(start, end);
        return kept;
    }
    return DocRange::Caret(startStands ? start : m_searchStart);
}
