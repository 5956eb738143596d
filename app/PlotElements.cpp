#include "app/PlotElements.h"

#include "app/BaseView.h"
#include "app/CommandIds.h"
#include "plot/Plot2DComp.h"
#include "plot/Plot3DComp.h"

namespace {

// A new plot of the kind, once the user confirmed its parameters.
template <typename Plot>
OwnedComponent NewPlot(BaseView& view) {
    auto plot = std::make_unique<Plot>();
    if (!plot->EditOptions(&view)) return nullptr;
    return OwnedComponent(plot.release());
}

} // namespace

PlotElements::PlotElements()
    : m_plot2D(ElementBuilders::Instance().Register(cmd::kElementPlot2D, NewPlot<Plot2DComp>)),
      m_plot3D(ElementBuilders::Instance().Register(cmd::kElementPlot3D, NewPlot<Plot3DComp>)) {}
