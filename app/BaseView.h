#pragma once

// The scroll view that edits a paragraph sequence: the common part of the document view
// (TessaryView) and the kernel query pane. It draws through the drawing layer into its backing
// image and shows the image on paint; drawing outside a paint event goes to the image, followed
// by an update of what changed. What the drawing layer invalidates is drawn again from the
// document once the last drawing ends, as a paint would draw it. Keys arrive as the program's
// key codes (KeyMapping.h).
//
// The view shows a paragraph sequence (`page`) that its subclass attaches, laid out at the
// view's size setting. It is the edit view the actions run in: it holds the selection with its
// highlight, the one-level undo slot and the mouse tracker in progress, and turns keys, clicks
// and the Edit, Format, Element and Symbols commands into actions. Whether it takes edits now,
// and what an action that changes the page means beyond the page, are the subclass's.

#include "app/CommandRouter.h"
#include "app/CreateCounts.h"
#include "app/KeyMapping.h"
#include "document/Region.h"
#include "document/TextComp.h"
#include "mathbox/EditView.h"
#include "mathbox/SelHighlight.h"
#include "mathbox/actions/RangeTracker.h"
#include "mathbox/actions/UndoSlot.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CompSequence;
class LinkComp;
class PaintPort;
class PlotComp;

class BaseView : public QAbstractScrollArea, public EditView, public CommandTarget {
public:
    explicit BaseView(QWidget* parent = nullptr);
    ~BaseView() override;

    // The laid-out paragraphs; null until the subclass attaches them.
    CompSequence* Page() const { return m_page; }
    // Puts the caret at a position and scrolls it into sight.
    void SelectPosition(const DocPos& position);
    // Selects the range and scrolls it into sight.
    void SelectRange(const DocRange& range);

    // --- DrawView ---
    QImage& BackingImage() override { return m_image; }
    Point ScrollOffset() const override;
    int32_t BaseSize() const override { return m_baseSize; }
    void InvalidateClientRect(const Rect& rect, bool erase) override;
    void RegionErased(const Region& region) override;
    void RedrawWithin(const Region& clip) override;

    // --- EditView ---
    DocRange GetSelection() const override { return m_highlight.GetRange(); }
    void SetSelection(const DocRange& range, bool redraw) override;
    void InvalidateHighlight(const DocRange& range) override;
    void RelayoutFrom(int32_t paragraph, int32_t index) override;
    void UpdateScrollSizes() override;
    Rect GetVisibleRect() const override;
    void ScrollTo(Point topLeft) override;
    void SetStatusText(const Str255& text) override;
    void SetDocumentModified() override;
    void Beep() override;
    std::optional<PictureBytes> RecordPicture(const DocRange& range) override;
    void ShowCandidate(const DocRange& range) override;
    void ShowDrawn(const Rect& rect) override;
    void SetChoiceCursor(bool choices) override;
    void BeginWindowDraw() override;
    void EndWindowDraw() override;

    UndoSlot& Undo() { return m_undo; }
    const SelHighlight& Highlight() const { return m_highlight; }
    // Performs an action through the undo slot; an action that fails is dropped with a beep and
    // leaves the document as it was. False when it was refused or failed.
    virtual bool DoAction(OwnedAction action, bool typing = false);

    // --- CommandTarget ---
    bool UpdateCommand(int32_t id, CommandState& state) override;
    void RunCommand(int32_t id) override;

    // Stores the size index, hands it to the drawing layer and lays the view out again.
    virtual void SetBaseSize(int32_t size);
    // Whether the view takes edits now; always here, the document view refines it.
    virtual bool CanEdit() const;
    // The counts a creation dialog starts from: 2 by 2 for a matrix, 3 rows by 2 columns for a
    // table, 2 entries otherwise; the document view starts from those its document last used.
    virtual CreateCounts CreationPreset(CreateKind kind) const;
    // The counts confirmed in a creation dialog, which the document view keeps.
    virtual void CreationChosen(CreateKind, const CreateCounts&) {}
    // The status bar's message; the frame installs where it goes.
    void SetStatusText(const QString& text);
    using EditView::SetStatusText;
    void SetStatusSink(std::function<void(const QString&)> sink) { m_statusSink = std::move(sink); }
    // Redraws the whole backing image and asks for a repaint.
    void Redraw();
    // Lays the whole page out again and redraws it.
    void Relayout();

    // Every key that reached the view, as mapped; for the typing and navigation that come with
    // the editing actions.
    std::function<void(const KeyInput&)> keyObserver;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

    // Puts a component built by an Element command in at the selection; false where the view
    // cannot insert yet (the editing actions bring the insertion).
    virtual bool CanInsertComponent() const;
    virtual void InsertComponent(OwnedComponent component);

    // A navigation key (33 to 40), and any other key the mapping gives (a typed character, or
    // a key such as Escape that types nothing, which the base view ignores).
    virtual void OnKeyDown(const KeyInput& key);
    virtual void OnChar(const KeyInput& key);

    // Makes `page` the view's paragraphs: a full layout at the view's size, the scroll sizes,
    // a fresh undo slot and the caret at the start, without invalidating; then a redraw.
    void AttachPage(CompSequence& page);
    // A mouse drag is in progress (its tracker moves the selection).
    bool IsTracking() const { return m_tracker != nullptr; }
    // The tracker for a press at a document point that drags what is there instead of
    // selecting, or null; the base view has none. `DragStartsAt` says whether a press there
    // would make one.
    virtual bool DragStartsAt(Point) const { return false; }
    virtual std::unique_ptr<MouseTracker> MakeDragTool(Point) { return nullptr; }
    // A tracker's release has ended it; the view takes what it made. Nothing here.
    virtual void TrackerEnded(MouseTracker&) {}
    // Sets the size index without a new layout (the caller lays out).
    void StoreBaseSize(int32_t size) { m_baseSize = size; }
    // Repaints the whole image after drawing ends, or now when no drawing is going on.
    void RedrawSoon();
    // Asks the kernel for the plot and hands it the answer; the base view has no kernel and
    // says the plot could not be computed.
    virtual void ComputePlot(PlotComp& plot);
    // Lays the plot's paragraph out again after the plot changed, and marks the document.
    void PlotChanged(PlotComp& plot, bool modified);
    // A click on a link follows it; false when this view does not (the click then selects).
    virtual bool FollowLink(LinkComp& link);
    // The link's dialog; on OK the link lays out again and the document is modified. Refused
    // (with a beep) while the view takes no edits.
    void EditLink(LinkComp& link);

private:
    // The parts of the command handling that edit (ViewCommands.cpp).
    bool UpdateEditCommand(int32_t id, CommandState& state);
    bool RunEditCommand(int32_t id);
    // Cut, Copy, Copy as Metafile, Paste and Link Properties.
    bool UpdateClipboardCommand(int32_t id, CommandState& state);
    bool RunClipboardCommand(int32_t id);
    // Whether the component around the caret takes the Element command (or its button) there.
    bool ElementAllowedHere(int32_t id) const;
    // The mouse pointer over a document point, as the position there asks for.
    void UpdateCursor(QPoint client);
    // Types one character at the selection, joining the typing action that is going on.
    void TypeChar(uint8_t code, bool mathOnly);
    // Runs the action an edit code asks for; false for a code that is no edit.
    bool RunEditCode(int32_t code, const KeyInput& key);
    Point DocumentPoint(QPoint client) const;
    void EndTracking();
    // Hands the tracker a move or a tick; a release that arrives meanwhile (the tracker may
    // wait for the kernel, which serves events) is kept until the call is over.
    void FeedTracker(const std::function<void(MouseTracker&)>& call);
    void ReleaseTracker(Point point);
    void StartTracking(std::unique_ptr<MouseTracker> tracker, Point point);
    // A new backing image of the viewport's size, drawn afresh.
    void FitImage();
    // Draws what was invalidated again from the document.
    void RedrawInvalid();
    // Layout reaches a screen below what is shown; a long document's rest waits until it is
    // scrolled to. Needs the drawing port; true when more was laid out.
    bool CoverVisible();
    void Autoscroll(QPoint client);
    // The plots (ViewPlots.cpp): a press on a plot's picture or buttons computes it or edits
    // its options (true when the press was the plot's); the plot that is the selection alone;
    // its options, laid out again when confirmed; the buttons of the plot holding the caret;
    // the tracker that turns the 3-D plot under a point (null where there is none to turn).
    bool PressPlot(Point point);
    std::unique_ptr<MouseTracker> RotationTrackerAt(Point point);
    PlotComp* SelectedPlot() const;
    bool EditPlotOptions(PlotComp& plot);
    void UpdateActivePlot(const DocRange& range);

    CompSequence* m_page = nullptr;
    QImage m_image;
    int32_t m_baseSize = 5;
    std::function<void(const QString&)> m_statusSink;
    SelHighlight m_highlight{*this};
    UndoSlot m_undo{*this};
    std::unique_ptr<MouseTracker> m_tracker;
    bool m_cursorHidden = false;    // hidden while typing, until the mouse moves
    bool m_statusShowsLink = false; // the status bar shows the target of the link under the mouse
    int m_trackTimer = 0;
    int m_trackerCalls = 0;             // tracker calls under way
    std::optional<Point> m_heldRelease; // a release that came during one
    // The window drawings begun for actions (null where no drawing layer of ours is installed),
    // and whether the image must be drawn afresh once the last of them ends.
    std::vector<PaintPort*> m_drawPorts;
    bool m_stale = false;
    // What the drawing layer invalidated (document coordinates), drawn again when the last
    // drawing ends; and whether that is going on.
    Region m_invalid;
    bool m_redrawingInvalid = false;
    bool m_resizePending = false; // resized while a drawing was open
    // The plot showing its buttons, because it holds the caret; not owned, and looked for in
    // the page before it is touched again, since an edit may have deleted it.
    PlotComp* m_activePlot = nullptr;
};
