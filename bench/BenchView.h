#pragma once

// A window onto a document for benchmarks that run actions: relayout lays the sequence out for
// real; nothing is shown.

#include "bench/ImageView.h"
#include "document/CompSequence.h"
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

    DocRange selection;
    ImageView m_image{16, 16};

private:
    CompSequence& m_seq;
};
