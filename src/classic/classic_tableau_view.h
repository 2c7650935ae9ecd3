// The classic engine's tableau as the analyses read it.
#pragma once

#include "classic/classic_state.h"
#include "engine/tableau_view.h"

namespace lpsens {

class ClassicTableauView final : public TableauView {
public:
    explicit ClassicTableauView(const ClassicState& cs) : cs_(cs) {}
    int rows() const override { return cs_.row_count; }
    int columns() const override { return cs_.column_count(); }
    double entry(int i, int j) const override { return cs_.tableau(i, j).value; }
    double phase1_entry(int j) const override { return cs_.phase1_row[j].value; }
    VariableId basic(int i) const override { return cs_.basis_label[i]; }
    VariableId nonbasic(int j) const override { return cs_.column_label[j]; }
    int row_position(int i) const override { return cs_.row_origin[i]; }
    int column_position(int v) const override { return cs_.column_origin[v]; }

private:
    const ClassicState& cs_;
};

}  // namespace lpsens
