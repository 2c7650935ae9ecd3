#include "accurate/form_tableau.h"

#include <algorithm>
#include <cmath>

#include "numeric/run_error.h"

namespace lpsens {

FormTableau::FormTableau(const DoubleForm& problem, std::vector<VariableId> basic, std::vector<VariableId> nonbasic)
    : problem_(problem),
      m_(problem.rows),
      n_(problem.variables),
      n_columns_(problem.variables + problem.surplus_count()),
      basic_(std::move(basic)),
      nonbasic_(std::move(nonbasic)) {
    place_basis(n_, basic_, nonbasic_, row_position_, column_position_);

    // The structural columns 0-based; a logical column follows for each row.
    a_.rows = m_;
    a_.start.assign(1, 0);
    for (int j = 1; j <= n_; ++j) {
        for (int e = problem_.matrix.start[j]; e < problem_.matrix.start[j + 1]; ++e) {
            a_.row_index.push_back(problem_.matrix.row_index[e] - 1);
            a_.value.push_back(problem_.matrix.value[e]);
        }
        a_.start.push_back(static_cast<int>(a_.row_index.size()));
        ++a_.cols;
    }
    // The nonbasic columns of A by rows (0-based rows, 1-based columns) for
    // the tableau rows: a basic column's entry in its own row's line is
    // never read, and the basis of a tableau does not change.
    const auto nonbasic_column = [&](int j) { return column_position_[j] < 0; };
    row_start_.assign(m_ + 1, 0);
    for (int j = 1; j <= n_; ++j) {
        if (!nonbasic_column(j)) continue;
        for (int e = a_.start[j - 1]; e < a_.start[j]; ++e)
            ++row_start_[(a_.row_index[e]) + 1];
    }
    for (int r = 0; r < m_; ++r) row_start_[r + 1] += row_start_[r];
    column_of_.resize(row_start_.back());
    row_value_.resize(row_start_.back());
    {
        std::vector<int> fill(row_start_.begin(), row_start_.end() - 1);
        for (int j = 1; j <= n_; ++j)
            for (int e = a_.start[j - 1]; nonbasic_column(j) && e < a_.start[j]; ++e) {
                const int at = fill[a_.row_index[e]]++;
                column_of_[at] = j;
                row_value_[at] = a_.value[e];
            }
    }
    accumulated_.assign(n_ + 1, 0.0);
    listed_.assign(n_ + 1, 0);
    logical_columns_.resize(m_ + 1);
    for (int j = 1; j <= n_columns_; ++j) {
        const VariableId v = nonbasic_[j];
        if (v.is_structural()) continue;
        logical_columns_[problem_.logical_row(v)].push_back({j, sign_of(v)});
    }

    factorise();

    // The values and prices as the reports print them: solved with the
    // factors, the residuals worked out in extended precision and solved
    // for again until they stop shrinking.
    std::vector<Extended> rhs(m_ + 1, 0), cost(m_ + 1, 0);
    for (int i = 1; i <= m_; ++i) rhs[i] = problem_.rhs[i];
    Extended objective = problem_.objective[0];
    const std::vector<Extended> x = refined_solve(rhs, false);
    values_.assign(m_ + 1, 0.0);
    for (int p = 1; p <= m_; ++p) {
        values_[p] = static_cast<double>(x[p]);
        const VariableId v = basic_[p];
        if (v.is_structural()) {
            cost[p] = problem_.objective[v.index];
            objective += cost[p] * x[p];
        }
    }
    values_[0] = static_cast<double>(objective);
    const std::vector<Extended> y = refined_solve(cost, true);
    prices_.assign(n_columns_ + 1, 0.0);
    prices_[0] = values_[0];
    for (int j = 1; j <= n_columns_; ++j) {
        const VariableId v = nonbasic_[j];
        Extended d = problem_.dot(v, y);
        if (v.is_structural()) d -= problem_.objective[v.index];
        prices_[j] = static_cast<double>(d);
    }
}

FormTableau::FormTableau(const FormTableau& other, Worker)
    : problem_(other.problem_),
      m_(other.m_),
      n_(other.n_),
      n_columns_(other.n_columns_),
      basic_(other.basic_),
      nonbasic_(other.nonbasic_),
      row_position_(other.row_position_),
      column_position_(other.column_position_),
      a_(other.a_),
      row_start_(other.row_start_),
      column_of_(other.column_of_),
      row_value_(other.row_value_),
      logical_columns_(other.logical_columns_),
      accumulated_(other.accumulated_.size(), 0.0),
      listed_(other.listed_.size(), 0),
      values_(other.values_),
      prices_(other.prices_) {
    factorise();
}

std::unique_ptr<TableauView> FormTableau::worker() const {
    return std::unique_ptr<TableauView>(new FormTableau(*this, Worker{}));
}

// The factors of the basis (the same for the same basis, so a worker's
// lines are this view's to the bit), the work space and the line caches.
void FormTableau::factorise() {
    factor_.setup(a_.view());
    std::vector<int> columns(m_);
    for (int p = 1; p <= m_; ++p) columns[p - 1] = factor_column(basic_[p]);
    if (factor_.build(columns) > 0)
        throw RunError(error_code::overflow, Site::pivot_other_rows,
                       "the final basis of the accurate engine is singular in the documented form");
    work_.resize(m_);
    const bool small = (static_cast<std::size_t>(m_) + 1) * (static_cast<std::size_t>(n_columns_) + 1) * sizeof(double) <=
                       LineCache::budget;
    rows_.keep_all(small);
    columns_.keep_all(small);
}

// B x = b (b by row, x by position) or B^T y = c (c by position, y by row),
// both 1-based.
std::vector<Extended> FormTableau::refined_solve(const std::vector<Extended>& b, bool transposed) const {
    std::vector<Extended> x(m_ + 1, 0), r(b);
    Extended last = HUGE_VALL;
    for (int round = 0; round < 4; ++round) {
        Extended size = 0;
        for (int k = 1; k <= m_; ++k) size = std::max(size, std::fabs(r[k]));
        if (size == 0 || !(size < last / 2)) break;
        last = size;
        work_.clear();
        for (int k = 1; k <= m_; ++k) {
            if (r[k] == 0) continue;
            // The factor's basis has +e at a surplus position.
            const double v = static_cast<double>(r[k]);
            if (transposed) work_.add(k - 1, v * sign_of(basic_[k]));
            else work_.add(k - 1, v);
        }
        if (transposed) factor_.btran(work_);
        else factor_.ftran(work_);
        for (int k = 1; k <= m_; ++k) {
            const double v = work_.value[k - 1];
            x[k] += transposed ? v : v * sign_of(basic_[k]);
        }
        // r = b - B x, or c - B^T y.
        r = b;
        for (int p = 1; p <= m_; ++p) {
            const VariableId v = basic_[p];
            if (v.is_structural()) {
                for (int e = problem_.matrix.start[v.index]; e < problem_.matrix.start[v.index + 1]; ++e) {
                    const int i = problem_.matrix.row_index[e];
                    const Extended a = problem_.matrix.value[e];
                    if (transposed) r[p] -= a * x[i];
                    else r[i] -= a * x[p];
                }
            } else {
                const int i = problem_.logical_row(v);
                if (transposed) r[p] -= sign_of(v) * x[i];
                else r[i] -= sign_of(v) * x[p];
            }
        }
    }
    return x;
}

int FormTableau::factor_column(VariableId v) const {
    if (v.is_structural()) return v.index - 1;
    return n_ + problem_.logical_row(v) - 1;
}

// The entries of the nonbasic columns against rho (in work_, by row):
// a_j^T rho, made from the rows of A where rho is not zero; visit(column,
// entry) for each, a column possibly with 0.
template <class Visit>
void FormTableau::price_entries(Visit visit) const {
    if (work_.count < 0) work_.rebuild_index();
    touched_.clear();
    for (int k = 0; k < work_.count; ++k) {
        const int r = work_.index[k];
        const double rho = work_.value[r];
        if (rho == 0) continue;
        for (int e = row_start_[r]; e < row_start_[r + 1]; ++e) {
            const auto j = static_cast<std::size_t>(column_of_[static_cast<std::size_t>(e)]);
            if (!listed_[j]) {
                listed_[j] = 1;
                touched_.push_back(static_cast<int>(j));
            }
            accumulated_[j] += row_value_[e] * rho;
        }
        for (const auto& [column, sign] : logical_columns_[r + 1]) visit(column, sign * rho);
    }
    for (const int j : touched_) {
        const int position = column_position_[j];
        if (position < 0) visit(-position, accumulated_[j]);
        accumulated_[j] = 0;
        listed_[j] = 0;
    }
}

void FormTableau::price(std::vector<double>& out) const {
    out.assign(n_columns_ + 1, 0.0);
    price_entries([&](int column, double entry) { out[column] = entry; });
}

// rho = B^-T sum w_p e_p: the factor's basis has +e at every logical, so a
// surplus position's unit vector changes sign.
double FormTableau::solve_rows(const std::vector<std::pair<int, double>>& rows) const {
    work_.clear();
    double objective = 0;
    for (const auto& [p, w] : rows) {
        work_.add(p - 1, w * sign_of(basic_[p]));
        objective += w * values_[p];
    }
    factor_.btran(work_, 0.05);
    return objective;
}

void FormTableau::combine_rows(const std::vector<std::pair<int, double>>& rows, std::vector<double>& out) const {
    const double objective = solve_rows(rows);
    price(out);
    out[0] = objective;
}

void FormTableau::row(int i, std::vector<double>& out) const {
    if (i == 0) {
        out = prices_;
        return;
    }
    if (const std::vector<double>* kept = rows_.find(i)) {
        out = *kept;
        return;
    }
    combine_rows({{i, 1.0}}, out);
    rows_.keep(i, out);
}

void FormTableau::row_entries(int i, std::vector<std::pair<int, double>>& out) const {
    out.clear();
    // A line kept whole is read from where it is; the others are solved for
    // sparse (cheaper than a whole line, even for a tableau kept whole).
    if (const std::vector<double>* kept = rows_.find(i)) {
        for (int j = 1; j <= n_columns_; ++j)
            if ((*kept)[j] != 0) out.push_back({j, (*kept)[j]});
        return;
    }
    solve_rows({{i, 1.0}});
    price_entries([&](int column, double entry) {
        if (entry != 0) out.push_back({column, entry});
    });
}

void FormTableau::column_entries(int j, std::vector<std::pair<int, double>>& out) const {
    out.clear();
    if (const std::vector<double>* kept = columns_.find(j)) {
        for (int i = 1; i <= m_; ++i)
            if ((*kept)[i] != 0) out.push_back({i, (*kept)[i]});
        return;
    }
    load_column(j);
    solve_column_entries(out);
}

double FormTableau::row_combination(const std::vector<std::pair<int, double>>& rows,
                                    std::vector<std::pair<int, double>>& out) const {
    if (rows.size() == 1 && rows.front().second == 1) {
        row_entries(rows.front().first, out);
        return values_[rows.front().first];
    }
    const double objective = solve_rows(rows);
    out.clear();
    price_entries([&](int column, double entry) {
        if (entry != 0) out.push_back({column, entry});
    });
    return objective;
}

void FormTableau::solve_column(std::vector<double>& out) const {
    factor_.ftran(work_, 0.05);
    out.assign(m_ + 1, 0.0);
    for (int p = 1; p <= m_; ++p)
        out[p] = sign_of(basic_[p]) * work_.value[p - 1];
}

void FormTableau::solve_column_entries(std::vector<std::pair<int, double>>& out) const {
    factor_.ftran(work_, 0.05);
    out.clear();
    const auto take = [&](int k) {
        const double v = work_.value[k];
        if (v != 0) out.push_back({k + 1, sign_of(basic_[k + 1]) * v});
    };
    if (work_.count < 0) {
        for (int k = 0; k < m_; ++k) take(k);
    } else {
        for (int e = 0; e < work_.count; ++e) take(work_.index[e]);
    }
}

void FormTableau::load_column(int j) const {
    const VariableId v = nonbasic_[j];
    work_.clear();
    problem_.for_each_entry(v, [&](int row, double a) { work_.add(row - 1, a); });
}

void FormTableau::column(int j, std::vector<double>& out) const {
    if (j == 0) {
        out = values_;
        return;
    }
    if (const std::vector<double>* kept = columns_.find(j)) {
        out = *kept;
        return;
    }
    load_column(j);
    solve_column(out);
    out[0] = prices_[j];
    columns_.keep(j, out);
}

double FormTableau::rhs_rates(const std::vector<std::pair<int, double>>& rows,
                              std::vector<std::pair<int, double>>& out) const {
    // The own variable of a row has the column +e_i (a slack or an
    // artificial variable); its price is the objective entry of its column,
    // 0 when it is basic.
    work_.clear();
    double objective = 0;
    for (const auto& [i, w] : rows) {
        work_.add(i - 1, w);
        const int position = row_position_[i];
        if (position < 0) objective += w * prices_[-position];
    }
    solve_column_entries(out);
    return objective;
}

double FormTableau::entry(int i, int j) const {
    if (i == 0) return prices_[j];
    if (j == 0) return values_[i];
    std::vector<double> line;
    row(i, line);
    return line[j];
}

double FormTableau::phase1_entry(int j) const {
    if (phase1_.empty()) {
        // The phase-1 row of the condensed tableau: minus the sum of the
        // artificial variables, 1 under a nonbasic artificial column.
        phase1_.assign(n_columns_ + 1, 0.0);
        for (int c = 1; c <= n_columns_; ++c)
            if (nonbasic_[c].is_artificial()) phase1_[c] = 1;
        std::vector<double> line;
        for (int p = 1; p <= m_; ++p) {
            if (!basic_[p].is_artificial()) continue;
            row(p, line);
            for (int c = 0; c <= n_columns_; ++c) phase1_[c] -= line[c];
        }
    }
    return phase1_[j];
}

}  // namespace lpsens
