#pragma once

// Installs what the plots give the rest of the program, for the guard's lifetime, putting back
// what was installed before: the 2-D plot's constructor under its tag (so stored plots load),
// the factory of stored 2-D primitives (so their records read) and the graphics nodes' reader
// (so the kernel's plot answers read as plot requests and graphics).

#include "document/StoredPrim.h"
#include "document/TextComp.h"
#include "plot/GraphicsNodes.h"

class PlotKinds final : public PrimitiveFactory {
public:
    PlotKinds();
    PlotKinds(const PlotKinds&) = delete;
    PlotKinds& operator=(const PlotKinds&) = delete;

    std::unique_ptr<StoredPrim> New2D(int32_t code) override;
    // The 3-D primitives come with the 3-D plot; until then their records are skipped.
    std::unique_ptr<StoredPrim> New3D(int32_t) override { return nullptr; }

private:
    Installed<TextComp::Creator> m_plot2D;
    Installed<PrimitiveFactory> m_primitives;
    GraphicsReaderInstall m_reader;
};
