// The results in the model's own terms: every model row and column with its
// value, dual value and ranging, whatever the conversion to the documented
// form made of it (rows multiplied by -1, ranged rows split in two, shifted,
// mirrored, split and fixed variables, a minimisation maximised).
//
// Sign conventions, in the model's own sense: a row's dual value is the
// change of the optimal objective per unit of its right-hand side; a
// column's reduced cost is its cost less the dual values times its column,
// the change of the objective per unit of the variable forced away from its
// value.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "form/documented_form.h"

namespace lpsens {

// Something of the model that takes or leaves a place in the basis: a
// column (its variable), a row (its slack), or the upper bound of a column.
struct ModelPlace {
    enum class Kind { column, row, bound } kind = Kind::column;
    int index = 0;  // 0-based model column or row
};

// How far a value may move with the basis staying optimal (costs) or
// feasible (right-hand sides and bounds).  A missing limit is infinite.
struct ModelRange {
    double lower = 0, upper = 0;                              // the limits of the value
    double objective_at_lower = 0, objective_at_upper = 0;    // the model's objective there
    double rate = 0;  // the objective's change per unit of the value's move
    std::optional<ModelPlace> entering_at_lower, leaving_at_lower;
    std::optional<ModelPlace> entering_at_upper, leaving_at_upper;
};

struct ModelRowResult {
    double activity = 0;  // A x
    double dual = 0;
    std::optional<ModelRange> rhs;  // optimal results only
};

struct ModelColumnResult {
    double value = 0;
    double reduced_cost = 0;
    std::optional<ModelRange> cost;         // optimal results only
    std::optional<ModelRange> lower_bound;  // ... and a finite bound
    std::optional<ModelRange> upper_bound;
};

struct ModelResults {
    double objective = 0;  // in the model's sense, constant included
    std::vector<ModelRowResult> rows;       // in the model's order
    std::vector<ModelColumnResult> columns;
};

// The results of `model` from the form's solution; the ranging from the
// final tableau `view` when the result is an optimum.  Values within
// `tolerance` of zero (the engine's own) are 0.  The ranging of a large
// model is shared between `threads` threads (0: as many as the process may
// use, at most two) where the view can make a view for another thread; the
// results are the same for any number.
ModelResults model_results(const Problem& model, const ModelMap& map, const DocumentedForm& form,
                           const SolveResult& result, const TableauView& view, double tolerance, int threads = 0);

// The model's row, column or bound that a variable of the form stands for.
ModelPlace model_place(const ModelMap& map, const DocumentedForm& form, VariableId v);

}  // namespace lpsens
