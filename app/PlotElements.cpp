#include "app/PlotElements.h"

#include "app/BaseView.h"
#include "app/CommandIds.h"
#include "plot/Plot2DComp.h"

namespace {

OwnedComponent NewPlot2D(BaseView& view) {
    auto plot = std::make_unique<Plot2DComp>();
    if (!plot->EditOptions(&view)) return nullptr;
    return OwnedComponent(plot.release());
}

} // namespace

PlotElements::PlotElements()
    : m_plot2D(ElementBuilders::Instance().Register(cmd::kElementPlot2D, NewPlot2D)) {}
