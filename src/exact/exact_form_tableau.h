// The condensed tableau of a basis of the documented form made in exact
// rational arithmetic, every entry then rounded once to the nearest double:
// the report of an optimum proven exactly, where the form's tableau in
// floating point cannot show it (entries of 1e-38 beside 1e38 leave a basis
// that is not singular looking singular, or its values wrong in every
// digit).
//
// The form's numbers are taken as the exact proof takes the model's: the
// stored 6-byte values of lpsens's own format, the decimal each value of an
// imported model was read as.  The whole tableau is made at once, one exact
// solve per nonbasic column, so it is for small models.
#pragma once

#include <memory>
#include <vector>

#include "engine/tableau_view.h"
#include "form/documented_form.h"

namespace lpsens::exact {

class ExactFormTableau final : public TableauView {
public:
    // `basic` (1..M) and `nonbasic` (1..N+K2), entry 0 unused.  RunError
    // when the basis is singular.
    ExactFormTableau(const DocumentedForm& form, std::vector<VariableId> basic, std::vector<VariableId> nonbasic);

    std::unique_ptr<TableauView> worker() const override { return std::make_unique<ExactFormTableau>(*this); }

    int rows() const override { return m_; }
    int columns() const override { return n_columns_; }
    double entry(int i, int j) const override { return table_[static_cast<std::size_t>(i) * stride() + j]; }
    double phase1_entry(int j) const override { return phase1_[j]; }
    VariableId basic(int i) const override { return basic_[i]; }
    VariableId nonbasic(int j) const override { return nonbasic_[j]; }
    int row_position(int i) const override { return row_position_[i]; }
    int column_position(int v) const override { return column_position_[v]; }

private:
    std::size_t stride() const { return static_cast<std::size_t>(n_columns_) + 1; }

    int m_, n_, n_columns_;
    std::vector<VariableId> basic_, nonbasic_;
    std::vector<int> row_position_, column_position_;
    std::vector<double> table_;   // (M+1) x (N+K2+1) by rows: row 0 the prices, column 0 the values
    std::vector<double> phase1_;  // 0..N+K2
};

}  // namespace lpsens::exact
