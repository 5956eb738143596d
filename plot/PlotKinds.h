#pragma once

// Installs what the plots give the rest of the program, for the guard's lifetime, putting back
// what was installed before: the 2-D and 3-D plots' constructors under their tags (so stored
// plots load), the factory of stored 2-D and 3-D primitives (so their records read) and the
// graphics nodes' reader (so the kernel's plot answers read as plot requests and graphics).

#include "document/StoredPrim.h"
#include "document/TextComp.h"
#include "plot/GraphicsNodes.h"

class PlotKinds final : public PrimitiveFactory {
public:
    PlotKinds();
    PlotKinds(const PlotKinds&) = delete;
    PlotKinds& operator=(const PlotKinds&) = delete;

    std::unique_ptr<StoredPrim> New2D(int32_t code) override;
    std::unique_ptr<StoredPrim> New3D(int32_t code) override;

private:
    Installed<TextComp::Creator> m_plot2D;
    Installed<TextComp::Creator> m_plot3D;
    Installed<PrimitiveFactory> m_primitives;
    GraphicsReaderInstall m_reader;
};
