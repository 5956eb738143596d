#pragma once

// The plots in the program: their kinds, stored primitives and graphics nodes (PlotKinds) and
// the builder of the 2-D plot's Element command, which asks for the plot's parameters first and
// inserts nothing when the user cancels. For the life of the object.

#include "app/ElementBuilders.h"
#include "plot/PlotKinds.h"

class PlotElements {
public:
    PlotElements();
    PlotElements(const PlotElements&) = delete;
    PlotElements& operator=(const PlotElements&) = delete;

private:
    PlotKinds m_kinds;
    ElementBuilders::Registration m_plot2D;
};
