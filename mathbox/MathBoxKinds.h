#pragma once

// Installs the math boxes for the life of the guard: each kind's constructor in its component
// kind slot, so stored records of these kinds load (an unknown record loads as the
// placeholder), and the box factory through which expression trees build their display.

#include "document/TextComp.h"
#include "expr/BoxFactory.h"
#include "mathbox/GridKinds.h"
#include "platform/Installed.h"

#include <array>
#include <optional>

// The boxes of a list, taken over as the contents of a box's list.
CompArray TakeBoxes(BoxList boxes);

class MathBoxFactory final : public BoxFactory {
public:
    OwnedComponent FracComp(BoxList numerator, BoxList denominator) override;
    OwnedComponent ExpoComp(BoxList exponent) override;
    OwnedComponent SubsComp(BoxList script) override;
    OwnedComponent SqrtComp(BoxList radicand, BoxList index, bool hasIndex) override;
    OwnedComponent ParenComp(BoxList contents) override;
    OwnedComponent BracketComp(BoxList contents) override;
    OwnedComponent AbsVComp(BoxList contents) override;
    OwnedComponent OverComp(BoxList contents) override;
    OwnedComponent LimitComp(BoxList condition) override;
    OwnedComponent SumComp(BoxList upper, BoxList lower, bool hasUpper) override;
    OwnedComponent ProdComp(BoxList upper, BoxList lower, bool hasUpper) override;
    OwnedComponent InteComp(BoxList integrand, BoxList variable, BoxList upper, BoxList lower,
                            bool hasBounds) override;
    // The grids and derivatives (GridFactory.cpp).
    OwnedComponent TotalDerivativeBox(BoxList variable, BoxList power, BoxList operand) override;
    OwnedComponent PartialDerivativeBox(std::vector<DerivativeVariable> variables,
                                        BoxList operand) override;
    OwnedComponent MatrixBox(std::vector<std::vector<BoxList>> rows) override;
    OwnedComponent TableBox(std::vector<std::vector<BoxList>> columns) override;
    OwnedComponent EquationSetBox(std::vector<BoxList> equations) override;
    OwnedComponent PiecewiseBox(std::vector<BoxList> values,
                                std::vector<BoxList> conditions) override;
};

class MathBoxKinds {
public:
    MathBoxKinds();
    MathBoxKinds(const MathBoxKinds&) = delete;
    MathBoxKinds& operator=(const MathBoxKinds&) = delete;

    MathBoxFactory& Factory() { return m_factory; }

private:
    static constexpr size_t kKindCount = 14;
    // Guards end in reverse order of their making, as members do.
    std::array<std::optional<Installed<TextComp::Creator>>, kKindCount> m_kinds;
    // The grids and derivatives.
    GridKinds m_grids;
    MathBoxFactory m_factory;
    Installed<BoxFactory> m_factoryInstalled{gBoxFactory, &m_factory};
};
