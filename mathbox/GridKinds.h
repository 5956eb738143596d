#pragma once

// Installs the constructors of the grid and derivative kinds in their kind slots, so that the
// stream reader and every other maker by tag can build them; the previous constructors come
// back when the guard ends. `MathBoxKinds` holds one with the other boxes; tests of the grids
// alone make their own.

#include "document/TextComp.h"
#include "platform/Installed.h"

class GridKinds {
public:
    GridKinds();
    GridKinds(const GridKinds&) = delete;
    GridKinds& operator=(const GridKinds&) = delete;

private:
    Installed<TextComp::Creator> m_matrix;
    Installed<TextComp::Creator> m_table;
    Installed<TextComp::Creator> m_equationSet;
    Installed<TextComp::Creator> m_piecewise;
    Installed<TextComp::Creator> m_totalDerivative;
    Installed<TextComp::Creator> m_partialDerivative;
};
