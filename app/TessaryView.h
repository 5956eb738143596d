#pragma once

// The view of a document window: a BaseView over the document's paragraph sequence. It adds
// what only a document has: the size setting and Larger Equations stored in the document, the
// modified mark after every action (and every undo and redo) that changes the page, and the
// rule that nothing is edited while a calculation runs (typing then shows the kernel's waiting
// message, and Escape interrupts the calculation).
//
// It is where calculations start. After every selection change inside an equation paragraph,
// while a kernel is connected, it parses the paragraph, asks the kernel what it offers for the
// selected part and keeps those offers in a keyed choice popup with the calculation pending:
// a right click shows them, Shift+Return runs the first and Ctrl+Return simplifies. The popup
// goes with the next selection change and before any action runs. A press inside such a
// selection drags it instead of selecting: the kernel proposes what dropping it would do as
// the pointer moves. Evaluate Code sends the selected source-code paragraphs.

#include "app/BaseView.h"
#include "app/ChoicePopup.h"

#include <memory>

class CTessaryDoc;
class ExprNode;

namespace kernel {
class KernelSession;
}

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
    // The counts last used in this document: rows and columns shared by matrices and tables,
    // entries shared by equation sets and piecewise definitions.
    CreateCounts CreationPreset(CreateKind kind) const override;
    void CreationChosen(CreateKind kind, const CreateCounts& counts) override;
    void SetSelection(const DocRange& range, bool redraw) override;
    // Deletes the pending choice popup first: the action changes what it was made for.
    bool DoAction(OwnedAction action, bool typing = false) override;

    // The pending kernel offers for the selection; null when there are none.
    ChoicePopup* Popup() const { return m_popup.get(); }
    // Drops the pending offers, and the status bar's word for them.
    void DropOffers();
    // The installed kernel session, or null while the program has none of its own.
    static kernel::KernelSession* Kernel();
    // The node of `tree` that the selection designates, flagged as the one the kernel is
    // asked about.
    static ExprNode* DesignatedNode(ExprNode& tree, const DocRange& selection);

    bool UpdateCommand(int32_t id, CommandState& state) override;
    void RunCommand(int32_t id) override;

protected:
    // A press inside a selected part of one equation, while a kernel is connected and idle,
    // drags it (the kernel's drag tool); the release's move runs at once with its first offer,
    // or from a menu at the release point when the kernel offers several.
    bool DragStartsAt(Point point) const override;
    std::unique_ptr<MouseTracker> MakeDragTool(Point point) override;
    void TrackerEnded(MouseTracker& tracker) override;
    void OnChar(const KeyInput& key) override;
    void ComputePlot(PlotComp& plot) override;
    // Runs the link's following as the view's action.
    bool FollowLink(LinkComp& link) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Parses the selected equation and keeps the kernel's offers for it in a keyed popup.
    void OfferChoices(const DocRange& selection);
    // Takes a yielded calculation: the popup goes first, then the calculation runs.
    void RunChoice(ChoicePopup::PendingAction action);
    bool CanEvaluateCode() const;

    CTessaryDoc& m_document;
    std::unique_ptr<ChoicePopup> m_popup;
    uint32_t m_offers = 0; // counts the popups made, to tell one from the next
    // Escape interrupted the calculation of the running action.
    bool m_aborted = false;
};
