#pragma once

// What the actions need of the view they run in, beyond what the drawing layer needs: its
// selection, laying the document out again after an edit, its scroll sizes and scroll place,
// the visible part of the document, the status bar, the document's modified mark and a beep. The
// document view implements it with Qt Widgets; the actions see only this much, so they link no
// widgets and tests drive them with a fake view. GUI thread only. Rectangles and points here are in
// document coordinates.

#include "document/DocRange.h"
#include "document/DrawPort.h"
#include "document/Point.h"
#include "document/Rect.h"
#include "document/Str255.h"
#include "mathbox/DrawView.h"

#include <cstdint>
#include <optional>

class CompSequence;

class EditView : public DrawView {
public:
    // The selection the view shows and edits at.
    virtual DocRange GetSelection() const = 0;
    // Installs a new selection; with `redraw` the old and new highlights are drawn afresh.
    virtual void SetSelection(const DocRange& range, bool redraw) = 0;
    // Asks for the range's highlight to be drawn again (`DocRange::GetHighlightRegion`).
    virtual void InvalidateHighlight(const DocRange& range) = 0;

    // Lays the document out again after an edit in paragraph `paragraph` (1-based) at top-level
    // index `index`, and everything after it.
    virtual void RelayoutFrom(int32_t paragraph, int32_t index) = 0;
    // The paragraphs the view shows when they belong to no document (the kernel's query pane),
    // so that edits in them are laid out again in this view; null for a document's view.
    virtual const CompSequence* DetachedPage() const { return nullptr; }
    // Fits the scroll bars to the laid-out document.
    virtual void UpdateScrollSizes() = 0;
    // The part of the document the window shows.
    virtual Rect GetVisibleRect() const = 0;
    // Scrolls so that the document point shows at the window's top-left corner.
    virtual void ScrollTo(Point topLeft) = 0;

    // The main frame's status bar.
    virtual void SetStatusText(const Str255& text) = 0;
    // Marks the document modified (its title gets the mark).
    virtual void SetDocumentModified() = 0;
    // The refusal of a command that cannot run now.
    virtual void Beep() = 0;
    // The range's frame drawn as a picture (the paragraphs it covers, clipped to the frame);
    // nothing where the view cannot record one.
    virtual std::optional<PictureBytes> RecordPicture(const DocRange&) { return std::nullopt; }

    // What a drag proposes, framed beside the selection until the next proposal; an empty
    // range takes the frame away. The pointer shows whether the release offers a choice.
    virtual void ShowCandidate(const DocRange&) {}
    virtual void SetChoiceCursor(bool) {}
    // What a tracker drew straight into the window's image, outside any redraw of the document
    // (a preview while the button is held), goes to the screen: that rectangle alone.
    virtual void ShowDrawn(const Rect&) {}

    // One drawing pass of the drawing layer on the view's window, so that layout during an
    // action can measure text.
    virtual void BeginWindowDraw() = 0;
    virtual void EndWindowDraw() = 0;
};
