#include "plot/PlotKinds.h"

#include "plot/Plot2DComp.h"

namespace {

OwnedComponent NewPlot2D() {
    return OwnedComponent(new Plot2DComp());
}

} // namespace

PlotKinds::PlotKinds()
    : m_plot2D(TextComp::KindSlot(tags::Plot2D), &NewPlot2D),
      m_primitives(gPrimitiveFactory, this) {}

std::unique_ptr<StoredPrim> PlotKinds::New2D(int32_t code) {
    return MakePrim2D(code);
}
