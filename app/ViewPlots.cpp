// The view's share of the plots: presses on a plot's picture and buttons, its options from the
// menu and a double click, and the buttons of the plot that holds the caret.

#include "app/BaseView.h"
#include "app/WindowDrawing.h"
#include "document/CompSequence.h"
#include "document/ParaComp.h"
#include "plot/Plot3DComp.h"
#include "plot/PlotComp.h"
#include "plot/RotationTracker.h"

namespace {

// Whether `plot` is still among the components of the page's paragraph lists.
bool OnPage(const CompSequence& page, const PlotComp* plot) {
    for (int32_t p = 1; p <= page.GetCount(); ++p) {
        const CompList* list = page.GetAt(p)->GetList(1);
        if (list != nullptr && list->IndexOf(plot) > 0) return true;
    }
    return false;
}

PlotComp* PlotHolding(const DocPos& pos) {
    TextComp* holder = pos.FindEnclosing(tags::Plot2D);
    if (holder == nullptr) holder = pos.FindEnclosing(tags::Plot3D);
    return dynamic_cast<PlotComp*>(holder);
}

} // namespace

void BaseView::ComputePlot(PlotComp&) {
    SetStatusText(QStringLiteral("Graphing Error"));
}

void BaseView::PlotChanged(PlotComp& plot, bool modified) {
    plot.InvalidateLayout();
    const int32_t paragraph = m_page != nullptr ? m_page->IndexOf(plot.GetParagraph()) : 0;
    if (paragraph > 0) RelayoutFrom(paragraph, 1);
    if (modified) SetDocumentModified();
}

bool BaseView::PressPlot(Point point) {
    auto* plot = dynamic_cast<PlotComp*>(m_page->FindAt(point));
    if (plot == nullptr || !(plot->HitButtons(point) || plot->InPicture(point))) return false;
    m_undo.EndTyping();
    if (plot->HitPlot(point))
        ComputePlot(*plot);
    else
        EditPlotOptions(*plot);
    return true;
}

std::unique_ptr<MouseTracker> BaseView::RotationTrackerAt(Point point) {
    auto* plot = dynamic_cast<Plot3DComp*>(m_page->FindAt(point));
    if (plot == nullptr) return nullptr;
    return RotationTracker::Start(*this, *plot);
}

PlotComp* BaseView::SelectedPlot() const {
    TextComp* single = GetSelection().GetSingleComponent();
    return single != nullptr && single->IsPlot() ? dynamic_cast<PlotComp*>(single) : nullptr;
}

bool BaseView::EditPlotOptions(PlotComp& plot) {
    if (!plot.EditOptions(this)) return false;
    PlotChanged(plot, true);
    return true;
}

void BaseView::UpdateActivePlot(const DocRange& range) {
    PlotComp* now = range.start.kind == DocPos::kNone ? nullptr : PlotHolding(range.start);
    if (now == m_activePlot) return;
    if (m_activePlot != nullptr && m_page != nullptr && OnPage(*m_page, m_activePlot)) {
        WindowDrawing drawing(*this);
        m_activePlot->HideButtons();
    }
    m_activePlot = now;
    if (now != nullptr) {
        WindowDrawing drawing(*this);
        now->ShowButtons();
    }
}
