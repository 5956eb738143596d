// The box factory's grids and derivatives: what an expression tree from the kernel shows as.

#include "mathbox/DerivativeBoxes.h"
#include "mathbox/EquationSetBox.h"
#include "mathbox/MathBoxKinds.h"
#include "mathbox/MatrixBox.h"
#include "mathbox/PiecewiseBox.h"
#include "mathbox/TableBox.h"

namespace {

std::unique_ptr<GridColumn> Column(std::vector<BoxList> cells) {
    auto column = std::make_unique<GridColumn>();
    for (BoxList& cell : cells)
        column->Append(std::make_unique<CompList>(TakeBoxes(std::move(cell))));
    return column;
}

// A grid of `Box` from its columns; a column of another length is padded with empty cells.
template <typename Box>
OwnedComponent FromColumns(std::vector<std::vector<BoxList>> columns) {
    std::unique_ptr<Box, ComponentDestroyer> grid(new Box());
    for (auto& cells : columns)
        grid->AppendColumn(Column(std::move(cells)));
    return OwnedComponent(grid.release());
}

} // namespace

OwnedComponent MathBoxFactory::TotalDerivativeBox(BoxList variable, BoxList power,
                                                  BoxList operand) {
    OwnedDifferential differential(
        new TotalDifferentialBox(TakeBoxes(std::move(variable)), TakeBoxes(std::move(power))));
    return OwnedComponent(
        new ::TotalDerivativeBox(std::move(differential), TakeBoxes(std::move(operand))));
}

OwnedComponent MathBoxFactory::PartialDerivativeBox(std::vector<DerivativeVariable> variables,
                                                    BoxList operand) {
    std::vector<OwnedDifferential> differentials;
    for (DerivativeVariable& v : variables)
        differentials.emplace_back(new PartialDifferentialBox(TakeBoxes(std::move(v.variable)),
                                                              TakeBoxes(std::move(v.power))));
    return OwnedComponent(
        new ::PartialDerivativeBox(std::move(differentials), TakeBoxes(std::move(operand))));
}

OwnedComponent MathBoxFactory::MatrixBox(std::vector<std::vector<BoxList>> rows) {
    // The grid keeps columns: turn the rows around.
    size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.size());
    std::vector<std::vector<BoxList>> columns(width);
    for (auto& row : rows)
        for (size_t c = 0; c < width; ++c)
            columns[c].push_back(c < row.size() ? std::move(row[c]) : BoxList());
    return FromColumns<::MatrixBox>(std::move(columns));
}

OwnedComponent MathBoxFactory::TableBox(std::vector<std::vector<BoxList>> columns) {
    return FromColumns<::TableBox>(std::move(columns));
}

OwnedComponent MathBoxFactory::EquationSetBox(std::vector<BoxList> equations) {
    std::vector<std::vector<BoxList>> columns;
    columns.push_back(std::move(equations));
    return FromColumns<::EquationSetBox>(std::move(columns));
}

OwnedComponent MathBoxFactory::PiecewiseBox(std::vector<BoxList> values,
                                            std::vector<BoxList> conditions) {
    std::vector<std::vector<BoxList>> columns;
    columns.push_back(std::move(values));
    columns.push_back(std::move(conditions));
    return FromColumns<::PiecewiseBox>(std::move(columns));
}
