#pragma once

// What a drag means, decided on the tree's structure alone so that the order of the terms a
// person wrote survives: moving a term among its siblings or across an equation, moving,
// distributing or factoring out a factor (a shuffle within one expression), and substituting
// or combining equations (a drop onto another expression).

#include "Expr.h"
#include "Records.h"

#include <optional>
#include <vector>

namespace standin::drag {

enum ShuffleKind {
    kMoveTerm = 1,
    kMoveFactor = 2,
    kOtherSide = 3,
    kDistribute = 4,
    kFactorOut = 5
};
enum DropKind { kSubstituteEquation = 1, kAddEquations = 2, kSubtractEquations = 3 };

// `marked` carries the mover and the target as marker heads.
std::vector<Record> shuffleChoices(const Expr& marked);
std::optional<Expr> shuffle(int kind, const Expr& marked);

std::vector<Record> dropChoices(const Expr& node, const Expr& target);
std::optional<Expr> drop(int kind, const Expr& node, const Expr& target);

} // namespace standin::drag
