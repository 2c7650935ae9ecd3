// The classic engine's tableau as the analyses read it.
#pragma once

#include "classic/classic_state.h"
#include "engine/tableau_view.h"

namespace lpsens {

class StateView final : public TableauView {
public:
    explicit StateView(const ClassicState& cs) : cs_(cs) {}
    int rows() const override { return cs_.row_count; }
    int columns() const override { return cs_.column_count(); }
    double entry(int i, int j) const override { return cs_.tableau(i, j).value; }
    double phase1_entry(int j) const override { return cs_.phase1_row[static_cast<std::size_t>(j)].value; }
    VariableId basic(int i) const override { return cs_.basis_label[static_cast<std::size_t>(i)]; }
    VariableId nonbasic(int j) const override { return cs_.column_label[static_cast<std::size_t>(j)]; }
    int row_position(int i) const override { return cs_.row_origin[static_cast<std::size_t>(i)]; }
    int column_position(int v) const override { return cs_.column_origin[static_cast<std::size_t>(v)]; }

private:
    const ClassicState& cs_;
};

}  // namespace lpsens
