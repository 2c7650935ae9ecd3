#include "accurate/form_basis.h"

#include <algorithm>
#include <cmath>

#include "numeric/run_error.h"

namespace lpsens {

namespace {

using revised::BasisStatus;

struct Marks {
    int n = 0;
    std::vector<char> row_basic;     // 1..M: the row variable
    std::vector<char> column_basic;  // 1..N+K2: structural j, surplus N+k
    std::vector<int> preferred;      // 1..N+K2: the row a basic column variable should take, 0 for none
    std::vector<int> surplus_of;     // 1..M: the column N+k of the row's surplus, 0 for none

    // The slack or surplus of row i basic (for an equality row its
    // artificial variable).
    void side_basic(const DoubleForm& p, int i) {
        if (p.kind[i] == RowKind::greater_or_equal) {
            const int c = surplus_of[i];
            column_basic[c] = 1;
            preferred[c] = i;
        } else {
            row_basic[i] = 1;
        }
    }
};

}  // namespace

VariableId row_variable(const DoubleForm& problem, int i) {
    switch (problem.kind[i]) {
        case RowKind::less_or_equal: return {VariableKind::slack, i};
        case RowKind::equality: return {VariableKind::equality_artificial, i};
        case RowKind::greater_or_equal: break;
    }
    return {VariableKind::greater_artificial, i};
}

namespace {

// The marks with nothing basic yet, and each >= row's surplus column.
Marks empty_marks(const DoubleForm& p) {
    const int m = p.rows, n = p.variables, columns = n + p.surplus_count();
    Marks marks;
    marks.n = n;
    marks.row_basic.assign(m + 1, 0);
    marks.column_basic.assign(columns + 1, 0);
    marks.preferred.assign(columns + 1, 0);
    marks.surplus_of.assign(m + 1, 0);
    // A row listed twice among the >= rows has two surplus variables; the
    // first stands for it.
    for (int k = p.surplus_count(); k >= 1; --k) marks.surplus_of[p.ge_rows[k]] = n + k;
    return marks;
}

// By model column: the form row of its position in the engine's basis when
// it is basic there, else 0.
std::vector<int> position_rows(const ModelMap& map, const revised::RevisedSimplex& engine) {
    std::vector<int> position_row(map.variables.size(), 0);
    const std::vector<revised::Variable> header = engine.basis_header();
    for (std::size_t q = 0; q < header.size(); ++q) {
        if (header[q].kind != revised::Variable::Kind::column) continue;
        const auto& rows = map.rows[q].rows;
        if (!rows.empty()) position_row[header[q].index] = rows.front().first;
    }
    return position_row;
}

// Marks what each model column's status makes basic in the form.
void mark_columns(const DoubleForm& p, const ModelMap& map, const revised::LpSolution& s,
                  const std::vector<int>& position_row, Marks& marks) {
    for (std::size_t c = 0; c < map.variables.size(); ++c) {
        const VariableMap& v = map.variables[c];
        if (v.part == 0) continue;  // fixed: not in the form
        const BasisStatus status = s.basis.col_status[c];
        const bool basic = status == BasisStatus::basic;
        if (v.negative_part != 0) {
            if (!basic) continue;
            const int part = s.col_value[c] >= 0 ? v.part : v.negative_part;
            marks.column_basic[part] = 1;
            marks.preferred[part] = position_row[c];
            continue;
        }
        if (v.bound_row != 0) {
            // The part is basic unless the column sits at its lower bound
            // (the part's 0); the bound row's slack unless at its upper.
            if (status != BasisStatus::at_lower) {
                marks.column_basic[v.part] = 1;
                marks.preferred[v.part] = basic ? position_row[c] : v.bound_row;
            }
            if (status != BasisStatus::at_upper) marks.side_basic(p, v.bound_row);
            continue;
        }
        if (basic) {
            marks.column_basic[v.part] = 1;
            marks.preferred[v.part] = position_row[c];
        }
    }
}

// Marks the slack or surplus of each form row whose side the model row's
// status leaves free.
void mark_rows(const DoubleForm& p, const ModelMap& map, const revised::LpSolution& s, Marks& marks) {
    for (std::size_t r = 0; r < map.rows.size(); ++r) {
        const BasisStatus status = s.basis.row_status[r];
        for (const auto& [row, sign] : map.rows[r].rows) {
            (void)sign;
            const char side = map.form_rows[row].side;
            const bool basic = status == BasisStatus::basic || (side == 'L' && status == BasisStatus::at_upper) ||
                               (side == 'U' && status == BasisStatus::at_lower);
            if (basic) marks.side_basic(p, row);
        }
    }
}

// The rows of the tableau the marked basis takes.  Rows first: a basic row
// variable stands in its own row; then each basic column variable the row
// it prefers, when still free, and the others the free rows in order.  A
// basic column variable and the row variable it replaced trade places.
FormBasis place_basis(const DoubleForm& p, const Marks& marks) {
    const int m = p.rows, n = p.variables, columns = n + p.surplus_count();
    FormBasis out;
    out.basic.assign(m + 1, VariableId{});
    out.nonbasic.assign(columns + 1, VariableId{});
    std::vector<char> taken(m + 1, 0);
    int free_rows = 0;
    for (int i = 1; i <= m; ++i) {
        if (marks.row_basic[i]) {
            out.basic[i] = row_variable(p, i);
            taken[i] = 1;
        } else {
            ++free_rows;
        }
    }
    std::vector<int> placed(columns + 1, 0);
    int basic_columns = 0;
    for (int c = 1; c <= columns; ++c) {
        if (!marks.column_basic[c]) continue;
        ++basic_columns;
        const int want = marks.preferred[c];
        if (want > 0 && !taken[want]) {
            taken[want] = 1;
            placed[c] = want;
        }
    }
    if (basic_columns != free_rows)
        throw RunError(error_code::overflow, Site::pivot_other_rows,
                       "the accurate engine's basis does not fit the converted problem (" +
                           std::to_string(basic_columns) + " basic columns for " + std::to_string(free_rows) + " rows)");
    int next = 1;
    for (int c = 1; c <= columns; ++c) {
        if (!marks.column_basic[c] || placed[c] != 0) continue;
        while (taken[next]) ++next;
        taken[next] = 1;
        placed[c] = next;
    }
    const auto variable = [&](int c) { return c <= n ? structural_variable(c) : surplus_variable(c - n); };
    for (int c = 1; c <= columns; ++c) {
        const int row = placed[c];
        if (row == 0) {
            out.nonbasic[c] = variable(c);
        } else {
            out.basic[row] = variable(c);
            out.nonbasic[c] = row_variable(p, row);
        }
    }
    return out;
}

}  // namespace

FormBasis form_basis(const DoubleForm& p, const ModelMap& map, const revised::RevisedSimplex& engine) {
    const revised::LpSolution& s = engine.solution();
    Marks marks = empty_marks(p);
    mark_columns(p, map, s, position_rows(map, engine), marks);
    mark_rows(p, map, s, marks);
    return place_basis(p, marks);
}

FormBasis form_basis(const DoubleForm& p, const ModelMap& map, const revised::LpSolution& s) {
    Marks marks = empty_marks(p);
    mark_columns(p, map, s, std::vector<int>(map.variables.size(), 0), marks);
    mark_rows(p, map, s, marks);
    return place_basis(p, marks);
}

std::vector<double> form_farkas(const DoubleForm& p, const ModelMap& map, const revised::LpData& lp,
                                const std::vector<double>& farkas) {
    std::vector<double> w(p.rows + 1, 0.0);
    // A model row's multiplier goes to the form row of the side it weighs:
    // y > 0 the lower side, y < 0 the upper.  The form row states
    // sign * (its row) against the side, so the form's multiplier is
    // -sign * y.
    for (std::size_t r = 0; r < map.rows.size(); ++r) {
        const double y = farkas[r];
        if (y == 0) continue;
        for (const auto& [row, sign] : map.rows[r].rows) {
            const char side = map.form_rows[row].side;
            if (side == 'E' || (side == 'L') == (y > 0)) w[row] = -sign * y;
        }
    }
    // A column whose upper bound carries weight (z_j > 0) weighs its bound
    // row with z_j.
    for (std::size_t c = 0; c < map.variables.size(); ++c) {
        const VariableMap& v = map.variables[c];
        if (v.bound_row == 0) continue;
        double z = 0;
        for (int e = lp.start[c]; e < lp.start[c + 1]; ++e)
            z += lp.value[e] * farkas[lp.row_index[e]];
        if (z > 0) w[v.bound_row] = map.form_rows[v.bound_row].sign * z;
    }
    // At a scale the checks can judge: the largest multiplier 1.
    double largest = 0;
    for (const double x : w) largest = std::max(largest, std::fabs(x));
    if (largest > 0)
        for (double& x : w) x /= largest;
    return w;
}

std::vector<double> form_ray(const DoubleForm& p, const ModelMap& map, const std::vector<double>& ray) {
    std::vector<double> d(p.variables + 1, 0.0);
    for (std::size_t c = 0; c < map.variables.size(); ++c) {
        const VariableMap& v = map.variables[c];
        if (v.part == 0) continue;
        const double dx = ray[c];
        if (v.negative_part != 0) {
            d[dx >= 0 ? v.part : v.negative_part] = std::fabs(dx);
        } else {
            d[v.part] = v.sign * dx;
        }
    }
    return d;
}

}  // namespace lpsens
