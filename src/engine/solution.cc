#include "engine/solution.h"

#include "engine/engine.h"

namespace lpsens {

SolutionValue& Solution::of(VariableId v) {
    if (v.is_structural()) return column[v.index];
    if (v.is_surplus()) return column[variables + v.index];
    return row[v.index];
}

Solution solution_from(const TableauView& view, int variables) {
    Solution s;
    s.variables = variables;
    s.column.resize(view.columns() + 1);
    s.row.resize(view.rows() + 1);
    std::vector<double> values, prices;
    view.column(0, values);
    view.row(0, prices);
    for (int i = 1; i <= view.rows(); ++i) s.of(view.basic(i)) = {values[i], 0.0};
    for (int j = 1; j <= view.columns(); ++j) s.of(view.nonbasic(j)) = {0.0, prices[j]};
    s.objective = values[0];
    return s;
}

const char* status_name(Status status) {
    switch (status) {
        case Status::optimal: return "optimal";
        case Status::unbounded: return "unbounded";
        case Status::infeasible: return "infeasible";
        case Status::exchange_limit: return "exchange limit";
        case Status::time_limit: return "time limit";
        case Status::numerical_trouble: return "numerical trouble";
    }
    return "?";
}

void take_basis(const TableauView& view, SolveResult& result) {
    result.basis.assign(view.rows() + 1, VariableId{});
    result.nonbasic.assign(view.columns() + 1, VariableId{});
    for (int i = 1; i <= view.rows(); ++i) result.basis[i] = view.basic(i);
    for (int j = 1; j <= view.columns(); ++j) result.nonbasic[j] = view.nonbasic(j);
}

}  // namespace lpsens
