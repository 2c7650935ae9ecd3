// The condensed tableau of a basis of the documented form, made line by line
// from a factorisation of the basis instead of kept whole: a row from
// rho = B^-T e_p and the rows of A where rho is not zero, a column from
// B^-1 a_j.  The
// values and prices (column 0 and row 0) are solved with refinement in
// extended precision, as the reports print them.
//
// Rows are the basis positions in the order given; columns the nonbasic
// variables in the order given.
#pragma once

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/tableau_view.h"
#include "factor/basis_factor.h"
#include "form/double_form.h"

namespace lpsens {

class FormTableau final : public TableauView {
public:
    // `basic` (1..M) and `nonbasic` (1..N+K2), entry 0 unused; `problem`
    // must outlive the view.  RunError when the basis is singular.
    FormTableau(const DoubleForm& problem, std::vector<VariableId> basic, std::vector<VariableId> nonbasic);

    std::unique_ptr<TableauView> worker() const override;

    int rows() const override { return m_; }
    int columns() const override { return n_columns_; }
    double entry(int i, int j) const override;
    double phase1_entry(int j) const override;
    VariableId basic(int i) const override { return basic_[i]; }
    VariableId nonbasic(int j) const override { return nonbasic_[j]; }
    int row_position(int i) const override { return row_position_[i]; }
    int column_position(int v) const override { return column_position_[v]; }
    void row(int i, std::vector<double>& out) const override;
    void column(int j, std::vector<double>& out) const override;
    void row_entries(int i, std::vector<std::pair<int, double>>& out) const override;
    void column_entries(int j, std::vector<std::pair<int, double>>& out) const override;
    double rhs_rates(const std::vector<std::pair<int, double>>& rows,
                     std::vector<std::pair<int, double>>& out) const override;
    double row_combination(const std::vector<std::pair<int, double>>& rows,
                           std::vector<std::pair<int, double>>& out) const override;

private:
    struct Worker {};
    FormTableau(const FormTableau& other, Worker);
    void factorise();
    // The index of a variable in [A | I] (structural j-1, or the logical of
    // its row) and the sign of its column there (-1 for a surplus).
    int factor_column(VariableId v) const;
    static int sign_of(VariableId v) { return DoubleForm::sign_of(v); }
    template <class Visit>
    void price_entries(Visit visit) const;
    void price(std::vector<double>& out) const;
    std::vector<Extended> refined_solve(const std::vector<Extended>& b, bool transposed) const;
    // rho = B^-T of the rows' unit vectors weighted, left in work_; returns
    // the weighted basic values (entry 0 of the combination).
    double solve_rows(const std::vector<std::pair<int, double>>& rows) const;
    void combine_rows(const std::vector<std::pair<int, double>>& rows, std::vector<double>& out) const;
    // B^-1 of the vector in work_ (by row), dense by position or as the
    // nonzero entries (position, entry).
    void solve_column(std::vector<double>& out) const;
    void solve_column_entries(std::vector<std::pair<int, double>>& out) const;
    // The vector of nonbasic column j (1..N+K2) of [A | I], by row, into work_.
    void load_column(int j) const;

    // Lines asked for a third time, kept while they fit in a budget of
    // memory (16 MiB for the rows, as much for the columns): the ranging in
    // the model's terms and the sweeps ask for some
    // of them again and again, the plain ranging and the listing for each
    // once.  A tableau that fits in the budget whole keeps every line at
    // once (the ranging and the listing then share them).
    class LineCache {
    public:
        const std::vector<double>* find(int index) const {
            const auto at = lines_.find(index);
            return at == lines_.end() ? nullptr : &at->second;
        }
        // Every line at once when the whole tableau fits in the budget.
        void keep_all(bool all) { all_ = all; }
        bool keeps_all() const { return all_; }
        void keep(int index, const std::vector<double>& line) {
            if (!all_ && ++asked_[index] < 3) return;
            if (bytes_ + line.size() * sizeof(double) > budget) return;
            bytes_ += line.size() * sizeof(double);
            lines_.emplace(index, line);
        }
        static constexpr std::size_t budget = std::size_t{16} << 20;  // each of the two

    private:
        std::unordered_map<int, std::vector<double>> lines_;
        std::unordered_map<int, int> asked_;
        std::size_t bytes_ = 0;
        bool all_ = false;
    };

    const DoubleForm& problem_;
    int m_, n_, n_columns_;
    std::vector<VariableId> basic_, nonbasic_;
    std::vector<int> row_position_, column_position_;
    // A, 0-based, for the factorisation (which appends I itself), and by
    // rows for the tableau rows.
    factor::SparseMatrix a_;
    std::vector<int> row_start_, column_of_;
    std::vector<double> row_value_;
    // By row 1..M: the columns of the nonbasic slack, artificial and
    // surplus variables of the row, with the sign of their entry.
    std::vector<std::vector<std::pair<int, int>>> logical_columns_;
    mutable std::vector<double> accumulated_;  // 1..N: rho^T A
    mutable std::vector<char> listed_;
    mutable std::vector<int> touched_;
    factor::BasisFactor factor_;
    std::vector<double> values_;  // column 0: the basic values, row 0 the objective
    std::vector<double> prices_;  // row 0: the objective and the reduced costs
    mutable std::vector<double> phase1_;  // made when first asked
    mutable factor::SparseVector work_;
    mutable LineCache rows_, columns_;
};

}  // namespace lpsens
