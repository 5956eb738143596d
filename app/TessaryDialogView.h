#pragma once

// The math pane of the kernel's query window: a BaseView over a detached paragraph sequence
// instead of a document. It types as the document view does, except that the kernel is
// never asked (no busy test, no choices, Escape does nothing), Return ends the query with OK
// instead of making a paragraph, the paragraph break is never removed, a tab types nothing
// and a line feed types a blank.

#include "app/BaseView.h"

#include <functional>

class CompSequence;

class CTessaryDialogView final : public BaseView {
public:
    explicit CTessaryDialogView(QWidget* parent = nullptr);

    // The paragraphs to show and edit; they stay the caller's and must outlive the view's
    // use of them. Laid out, with the caret at their start.
    void SetContent(CompSequence& content);
    // What Return does: the query window ends with OK.
    void SetReturnHandler(std::function<void()> handler) { m_onReturn = std::move(handler); }

    // The edits in the pane lay out in the pane.
    const CompSequence* DetachedPage() const override { return Page(); }

protected:
    void OnChar(const KeyInput& key) override;

private:
    std::function<void()> m_onReturn;
};
