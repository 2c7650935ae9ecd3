#include "exact/exact_form_tableau.h"

#include <map>

#include "exact/rational_lu.h"
#include "numeric/run_error.h"

namespace lpsens::exact {

namespace {

// The form's numbers as exact rationals, its columns of [A | I | -I] by
// variable (rows 0-based).
class RationalForm {
public:
    explicit RationalForm(const DocumentedForm& form) : form_(form) {}

    mpq_class value(Extended x) const { return value_in(form_.problem, x); }
    mpq_class cost(VariableId v) const { return v.is_structural() ? value(form_.cost(v.index)) : mpq_class(0); }
    std::vector<Entry> column(VariableId v) const {
        if (!v.is_structural()) {
            const int row = v.is_surplus() ? form_.ge_rows[v.index] : v.index;
            return {{row - 1, mpq_class(v.is_surplus() ? -1 : 1)}};
        }
        std::map<int, mpq_class> sum;
        form_.for_each_entry(v.index, [&](int row, Extended a) { sum[row - 1] += value(a); });
        std::vector<Entry> out;
        for (auto& [row, a] : sum)
            if (a != 0) out.push_back({row, a});
        return out;
    }

private:
    const DocumentedForm& form_;
};

}  // namespace

ExactFormTableau::ExactFormTableau(const DocumentedForm& form, std::vector<VariableId> basic,
                                   std::vector<VariableId> nonbasic)
    : m_(form.rows()),
      n_(form.variables()),
      n_columns_(form.column_count()),
      basic_(std::move(basic)),
      nonbasic_(std::move(nonbasic)) {
    place_basis(n_, basic_, nonbasic_, row_position_, column_position_);

    const RationalForm exact(form);
    std::vector<std::vector<Entry>> columns;
    for (int p = 1; p <= m_; ++p) columns.push_back(exact.column(basic_[p]));
    const RationalLu lu(columns, m_);
    if (lu.singular())
        throw RunError(error_code::overflow, Site::pivot_other_rows,
                       "the final basis is singular in the documented form, in exact arithmetic too");

    // Column 0: the basic values, and the objective; the prices y from the
    // basic costs.
    std::vector<mpq_class> x(m_), y(m_);
    for (int i = 1; i <= m_; ++i) x[i - 1] = exact.value(form.rhs(i));
    lu.solve(x);
    mpq_class objective = exact.value(form.constant());
    for (int p = 1; p <= m_; ++p) {
        y[p - 1] = exact.cost(basic_[p]);
        objective += y[p - 1] * x[p - 1];
    }
    lu.solve_transpose(y);

    // Every nonbasic column B^-1 a_j and its price a_j^T y - c_j; the
    // phase-1 row as minus the sum of the rows of basic artificial
    // variables, 1 under a nonbasic artificial one.
    std::vector<mpq_class> phase1(n_columns_ + 1);
    table_.assign((m_ + 1) * stride(), 0.0);
    const auto put = [&](int p, int j, const mpq_class& value) {
        table_[static_cast<std::size_t>(p) * stride() + j] = nearest_double(value);
        if (p > 0 && basic_[p].is_artificial()) phase1[j] -= value;
    };
    put(0, 0, objective);
    for (int p = 1; p <= m_; ++p) put(p, 0, x[p - 1]);
    std::vector<mpq_class> line(m_);
    for (int j = 1; j <= n_columns_; ++j) {
        const std::vector<Entry> a = exact.column(nonbasic_[j]);
        for (mpq_class& v : line) v = 0;
        mpq_class price = -exact.cost(nonbasic_[j]);
        for (const Entry& e : a) {
            line[e.row] = e.value;
            price += e.value * y[e.row];
        }
        put(0, j, price);
        lu.solve(line);
        for (int p = 1; p <= m_; ++p) put(p, j, line[p - 1]);
        if (nonbasic_[j].is_artificial()) phase1[j] += 1;
    }
    for (const mpq_class& v : phase1) phase1_.push_back(nearest_double(v));
}

}  // namespace lpsens::exact
