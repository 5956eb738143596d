#pragma once

// The candidate records the kernel offers: {value, text, second value}. For the choices of an
// evaluation the value is the evaluation kind and the second value where the answer goes; for
// the drag tools the value is the kind of move (0: none).

#include "Expr.h"

#include <string>
#include <vector>

namespace standin {

struct Record {
    int value;
    std::string text;
    int placement;
};

// Evaluation kinds, as sent back with the evaluation request. 0 is simplify, which the editor
// sends as a request of its own.
enum EvalKind {
    kSimplify = 0,
    kEvaluate = 1,
    kExpand = 2,
    kFactor = 3,
    kNumeric = 4,
    kSolve = 5,
    kSolveFor = 6,
    kIntegrate = 7,
    kDifferentiate = 8,
    kLimit = 9,
    kSumProduct = 10,
    kLaplace = 11,
    kDeclareConstant = 12,
    kNotConstant = 13,
    kPlot = 14,
    kSubstitute = 15,
    kCollect = 16,
    kChooseTerms = 17,
    kCheck = 18,
    kSimplifyInPlace = 19,
};

// Where the editor puts an answer.
enum Placement {
    kNewParagraphAfter = 0,
    kIntoPlot = 1,
    kConstantOn = 2,
    kConstantOff = 3,
    kNowhere = 4,
    kReplaceParagraph = 5,
    kWholeAnswer = 6,
};

// The editor reads at most this many records.
inline constexpr std::size_t kMaxRecords = 16;

// {{value, text, placement}, ...}, at most kMaxRecords; no records gives the empty record
// {{0, "", 0}}, which the editor reads as "nothing to do".
Expr recordList(const std::vector<Record>& records);

} // namespace standin
