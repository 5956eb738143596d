#pragma once

// The four structures whose Element commands ask for their size first, and the counts their
// creation dialogs exchange with the view.

#include <cstdint>

enum class CreateKind { Matrix, Table, EquationSet, Piecewise };

struct CreateCounts {
    int32_t rows = 2;
    // Only a matrix and a table have a column count; the others keep it at 1.
    int32_t columns = 1;

    bool operator==(const CreateCounts&) const = default;
};

// Whether the structure's dialog asks for columns as well as rows ("entries" otherwise).
constexpr bool HasColumns(CreateKind kind) {
    return kind == CreateKind::Matrix || kind == CreateKind::Table;
}
