#pragma once

// The plots in the program: their kinds, stored primitives and graphics nodes (PlotKinds) and
// the builders of the 2-D and 3-D plots' Element commands, which ask for the plot's parameters
// first and insert nothing when the user cancels. For the life of the object.

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
    ElementBuilders::Registration m_plot3D;
};
