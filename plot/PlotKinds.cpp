#include "plot/PlotKinds.h"

#include "plot/Plot2DComp.h"
#include "plot/Plot3DComp.h"

namespace {

OwnedComponent NewPlot2D() {
    return OwnedComponent(new Plot2DComp());
}

OwnedComponent NewPlot3D() {
    return OwnedComponent(new Plot3DComp());
}

} // namespace

PlotKinds::PlotKinds()
    : m_plot2D(TextComp::KindSlot(tags::Plot2D), &NewPlot2D),
      m_plot3D(TextComp::KindSlot(tags::Plot3D), &NewPlot3D),
      m_primitives(gPrimitiveFactory, this) {}

std::unique_ptr<StoredPrim> PlotKinds::New2D(int32_t code) {
    return MakePrim2D(code);
}

std::unique_ptr<StoredPrim> PlotKinds::New3D(int32_t code) {
    return MakePrim3D(code);
}
