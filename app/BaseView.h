#pragma once

// The scroll view of a document window. It draws through the drawing layer into its backing
// image and shows the image on paint; drawing outside a paint event goes to the image, followed
// by an update of what changed. Keys arrive as the program's key codes (KeyMapping.h).
//
// The view shows its document's paragraph sequence (`page`), laid out at the view's size
// setting. It is the first command target of its window: the size commands and Larger
// Equations are its own, and the paragraph style commands show the style of the paragraph at
// the caret. The editing commands (selection, undo, styles, elements, symbols) join it with
// the editing actions; until then they are unrouted or disabled.

#include "app/CommandRouter.h"
#include "app/KeyMapping.h"
#include "document/TextComp.h"
#include "mathbox/DrawView.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <cstdint>
#include <functional>

class CTessaryDoc;
class CompSequence;

class BaseView : public QAbstractScrollArea, public DrawView, public CommandTarget {
public:
    BaseView(CTessaryDoc& document, QWidget* parent = nullptr);
    ~BaseView() override;

    CTessaryDoc& Document() { return m_document; }
    // The laid-out paragraphs; null until the document hands over its body.
    CompSequence* Page() const { return m_page; }
    // Takes the document's body afresh (a new or opened document): the document's size and
    // larger-equations settings, a full layout, the scroll sizes, the status bar cleared.
    void TakeBody();

    // --- DrawView ---
    QImage& BackingImage() override { return m_image; }
    Point ScrollOffset() const override;
    int32_t BaseSize() const override { return m_baseSize; }
    void InvalidateClientRect(const Rect& rect, bool erase) override;
    void RegionErased(const Region& region) override;
    void RedrawWithin(const Region& clip) override;

    // --- CommandTarget ---
    bool UpdateCommand(int32_t id, CommandState& state) override;
    void RunCommand(int32_t id) override;

    // Stores the size index, hands it to the drawing layer and lays the view out again.
    virtual void SetBaseSize(int32_t size);
    // Whether the view takes edits now: not while a calculation runs.
    virtual bool CanEdit() const;
    // The status bar's message; the frame installs where it goes.
    void SetStatusText(const QString& text);
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

    // Puts a component built by an Element command in at the selection; false where the view
    // cannot insert yet (the editing actions bring the insertion).
    virtual bool CanInsertComponent() const { return false; }
    virtual void InsertComponent(OwnedComponent component);

    // A navigation key (33 to 40) and a typed character; the editing actions fill these in.
    virtual void OnKeyDown(const KeyInput& key);
    virtual void OnChar(const KeyInput& key);

private:
    void UpdateScrollSizes();

    CTessaryDoc& m_document;
    CompSequence* m_page = nullptr;
    QImage m_image;
    int32_t m_baseSize = 5;
    std::function<void(const QString&)> m_statusSink;
};
