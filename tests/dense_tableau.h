// A tableau written out in full by a test, with no engine behind it, for the
// tests of the analyses and reports that read a final tableau.
#pragma once

#include <vector>

#include "engine/tableau_view.h"

namespace lpsens::testing {

class DenseTableau final : public TableauView {
public:
    // M rows and N structural variables with K2 surplus variables; every
    // entry 0, row i's slack basic in it, column j holding structural j
    // (then the surplus variables), as a tableau starts.
    DenseTableau(int rows, int variables, int surplus = 0)
        : m_(rows), n_(variables), columns_(variables + surplus),
          entries_((rows + 1) * (columns_ + 1), 0.0), phase1_(columns_ + 1, 0.0),
          basic_(rows + 1), nonbasic_(columns_ + 1) {
        for (int i = 1; i <= m_; ++i) basic_[i] = {VariableKind::slack, i};
        for (int j = 1; j <= columns_; ++j) nonbasic_[j] = j <= n_ ? structural_variable(j) : surplus_variable(j - n_);
    }

    double& at(int i, int j) { return entries_[i * (columns_ + 1) + j]; }
    double& phase1(int j) { return phase1_[j]; }
    void set_basic(int i, VariableId v) { basic_[i] = v; }
    void set_nonbasic(int j, VariableId v) { nonbasic_[j] = v; }

    int rows() const override { return m_; }
    int columns() const override { return columns_; }
    double entry(int i, int j) const override { return entries_[i * (columns_ + 1) + j]; }
    double phase1_entry(int j) const override { return phase1_[j]; }
    VariableId basic(int i) const override { return basic_[i]; }
    VariableId nonbasic(int j) const override { return nonbasic_[j]; }
    int row_position(int i) const override {
        return position([&](VariableId v) { return v.is_row_variable() && v.index == i; });
    }
    int column_position(int v) const override {
        const VariableId wanted = v <= n_ ? structural_variable(v) : surplus_variable(v - n_);
        return position([&](VariableId u) { return u == wanted; });
    }

private:
    template <class Match>
    int position(Match match) const {
        for (int p = 1; p <= m_; ++p)
            if (match(basic_[p])) return p;
        for (int q = 1; q <= columns_; ++q)
            if (match(nonbasic_[q])) return -q;
        return 0;
    }

    int m_, n_, columns_;
    std::vector<double> entries_, phase1_;
    std::vector<VariableId> basic_, nonbasic_;
};

}  // namespace lpsens::testing
