#include "engine/solution.h"

#include "engine/engine.h"

namespace lpsens {

SolutionValue& Solution::of(VariableId v) {
    if (v.is_structural()) return column[static_cast<std::size_t>(v.index)];
    if (v.is_surplus()) return column[static_cast<std::size_t>(variables + v.index)];
    return row[static_cast<std::size_t>(v.index)];
}

Solution solution_from(const TableauView& view, int variables) {
    Solution s;
    s.variables = variables;
    s.column.resize(static_cast<std::size_t>(view.columns()) + 1);
    s.row.resize(static_cast<std::size_t>(view.rows()) + 1);
    std::vector<double> values, prices;
    view.column(0, values);
    view.row(0, prices);
    for (int i = 1; i <= view.rows(); ++i) s.of(view.basic(i)) = {values[static_cast<std::size_t>(i)], 0.0};
    for (int j = 1; j <= view.columns(); ++j) s.of(view.nonbasic(j)) = {0.0, prices[static_cast<std::size_t>(j)]};
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
    result.basis.assign(static_cast<std::size_t>(view.rows()) + 1, VariableId{});
    result.nonbasic.assign(static_cast<std::size_t>(view.columns()) + 1, VariableId{});
    for (int i = 1; i <= view.rows(); ++i) result.basis[static_cast<std::size_t>(i)] = view.basic(i);
    for (int j = 1; j <= view.columns(); ++j) result.nonbasic[static_cast<std::size_t>(j)] = view.nonbasic(j);
}

}  // namespace lpsens
