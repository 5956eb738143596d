#pragma once

// A window onto a document for benchmarks that run actions: relayout lays the sequence out for
// real; nothing is shown.

#include "bench/ImageView.h"
#include "document/CompSequence.h"
#include "document/DrawPort.h"
#include "mathbox/EditView.h"

class BenchView final : public EditView {
public:
    explicit BenchView(CompSequence& seq) : m_seq(seq) {}

    QImage& BackingImage() override { return m_image.BackingImage(); }
    Point ScrollOffset() const override { return {}; }
    int32_t BaseSize() const override { return 5; }
    void InvalidateClientRect(const Rect&, bool) override {}
    void RegionErased(const Region&) override {}
    void RedrawWithin(const Region&) override {}

    DocRange GetSelection() const override { return selection; }
    void SetSelection(const DocRange& range, bool) override { selection = range; }
    void InvalidateHighlight(const DocRange&) override {}
    void RelayoutFrom(int32_t paragraph, int32_t) override { m_seq.Relayout(paragraph, nullptr); }
    void UpdateScrollSizes() override {}
    Rect GetVisibleRect() const override { return Rect(0, 0, 800, 1000); }
    void ScrollTo(Point) override {}
    void SetStatusText(const Str255&) override {}
    void SetDocumentModified() override {}
    void Beep() override {}
    void BeginWindowDraw() override {}
    void EndWindowDraw() override {}
    // The drag's proposal drawn as the window draws it: the place's paragraphs again, then
    // the frame.
    void ShowCandidate(const DocRange& range) override {
        Region changed = m_outline;
        m_outline = range.HasExtent() ? range.GetHighlightRegion() : Region();
        changed.UnionWith(m_outline);
        DrawPort* port = gDrawPort.Get();
        if (port == nullptr || changed.IsEmpty()) return;
        port->SetClipRegion(changed);
        port->EraseRect(changed.GetBox());
        m_seq.DrawInRect(changed.GetBox());
        port->FrameRegionGray(m_outline);
        port->ClearClip();
    }

    DocRange selection;
    ImageView m_image{800, 600};

private:
    CompSequence& m_seq;
    Region m_outline;
};
