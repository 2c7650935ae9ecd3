// The basis: which variable is basic at each position, where each
// nonbasic variable sits, and the factorisation of the basis matrix.
#pragma once

#include <cstdint>
#include <vector>

#include "factor/basis_factor.h"
#include "revised/working_lp.h"

namespace lpsens::revised {

// Where a variable of the working LP is. A nonbasic variable with equal
// bounds is at_lower; at_zero is for nonbasic variables without bounds.
enum class VarStatus : std::uint8_t { basic, at_lower, at_upper, at_zero };

class SimplexBasis {
public:
    // Sizes for `lp`; keeps a view of its matrix for the factorisation.
    void setup(const WorkingLp& lp);

    // Every logical basic; each column nonbasic at a finite bound (the
    // lower one when both are finite) or at zero when free.
    void set_slack_basis(const std::vector<double>& lower_by_var, const std::vector<double>& upper_by_var);

    // Takes statuses of all variables (exactly `rows` of them basic) and
    // assigns positions in order.
    void set_statuses(const std::vector<VarStatus>& status_by_var);

    // Factorises the current basis. Positions without an acceptable pivot
    // get the logical of a row left without one; the variables they held
    // become nonbasic (at_lower) and are listed in replaced_vars. Returns
    // how many were replaced.
    int factorise();

    // The entering variable takes `position`; the variable leaving it gets
    // `leaving_status`. Returns false when the factorisation could not take
    // the update (then factorise() must be called before the next solve).
    bool exchange(int position, int entering, double pivot, VarStatus leaving_status);

    int rows() const { return rows_; }
    int updates() const { return factor_.updates_since_build(); }
    bool is_basic(int var) const { return position_by_var[var] >= 0; }

    const factor::BasisFactor& factor() const { return factor_; }
    factor::BasisFactor& factor() { return factor_; }

    std::vector<int> basic_by_position;     // var, by position 0..rows-1
    std::vector<int> position_by_var;       // position, or -1 when nonbasic; by var
    std::vector<VarStatus> status_by_var;   // by var
    std::vector<int> replaced_vars;         // by the last factorise()

private:
    int rows_ = 0;
    int cols_ = 0;
    factor::BasisFactor factor_;
};

}  // namespace lpsens::revised
