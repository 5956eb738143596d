#include "mathbox/GridKinds.h"

#include "mathbox/DerivativeBoxes.h"
#include "mathbox/EquationSetBox.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/PiecewiseBox.h"
#include "mathbox/TableBox.h"

namespace {

template <typename Box>
OwnedComponent Make() {
    return OwnedComponent(new Box());
}

} // namespace

GridKinds::GridKinds()
    : m_matrix(TextComp::KindSlot(tags::Matrix), &Make<MatrixBox>),
      m_table(TextComp::KindSlot(tags::Table), &Make<TableBox>),
      m_equationSet(TextComp::KindSlot(tags::EquationSet), &Make<EquationSetBox>),
      m_piecewise(TextComp::KindSlot(tags::Split), &Make<PiecewiseBox>),
      m_totalDerivative(TextComp::KindSlot(tags::TotalDerivative), &Make<TotalDerivativeBox>),
      m_partialDerivative(TextComp::KindSlot(tags::PartialDerivative),
                          &Make<PartialDerivativeBox>) {}
