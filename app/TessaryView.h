#pragma once

// The view of a document window: a BaseView over the document's paragraph sequence. It adds
// what only a document has: the size setting and Larger Equations stored in the document, the
// modified mark after every action (and every undo and redo) that changes the page, and the
// rule that nothing is edited while a calculation runs (typing then shows the kernel's waiting
// message, and Escape interrupts the calculation).

#include "app/BaseView.h"

class CTessaryDoc;

class TessaryView : public BaseView {
public:
    explicit TessaryView(CTessaryDoc& document, QWidget* parent = nullptr);
    ~TessaryView() override;

    CTessaryDoc& Document() { return m_document; }
    // Takes the document's body afresh (a new or opened document): the document's size and
    // larger-equations settings, a full layout, the scroll sizes, the status bar cleared.
    void TakeBody();

    void SetDocumentModified() override;
    void SetBaseSize(int32_t size) override;
    // Not while a calculation runs.
    bool CanEdit() const override;

    bool UpdateCommand(int32_t id, CommandState& state) override;
    void RunCommand(int32_t id) override;

protected:
    void OnChar(const KeyInput& key) override;

private:
    CTessaryDoc& m_document;
};
