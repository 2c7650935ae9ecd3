// The LP of a sweep at a value of its parameter, on the revised simplex
// core.  Inside, the parameter is theta, running from 0 to theta_end: the
// distance moved when one item is swept (so its values are start +- theta,
// without a rounding of t in between), else t itself.
#pragma once

#include <memory>
#include <vector>

#include "revised/revised_simplex.h"
#include "sweep/sweep_types.h"

namespace lpsens::sweep {

class ParametricLp {
public:
    // On a core of its own, or on one that solves the LP already (whose
    // basis then is the sweep's first).
    ParametricLp(revised::LpData lp, const Target& target, revised::Options options);
    ParametricLp(revised::RevisedSimplex& core, const Target& target);

    bool costs() const { return costs_; }
    // Column bounds move, not row sides.
    bool bounds() const { return bounds_; }
    // Whether a moving column's lower or upper bound moves.
    bool moves_lower(int k) const { return side_[k] != BoundSide::upper; }
    bool moves_upper(int k) const { return side_[k] != BoundSide::lower; }
    double theta_end() const { return theta_end_; }
    double t_of(double theta) const { return theta_end_ > 0 ? theta / theta_end_ : 0.0; }
    // Each item's value at theta.
    std::vector<double> item_values(double theta) const;

    // Sets every moving cost or side to its value at theta.
    void move_to(double theta);
    // The LP as it stands at theta (the core's LP is left as it is).
    revised::LpData lp_at(double theta) const;
    double theta() const { return theta_; }

    // The swept columns (costs) or rows (sides) with their rates per unit
    // of theta: where the LP moves.
    const std::vector<int>& moving() const { return moving_; }
    double rate(int k) const { return rate_[k]; }
    // The rate of the objective along theta for a solution of the current
    // basis: the moving costs times their columns' values, or the moving
    // sides times their rows' duals.
    double slope(const revised::LpSolution& solution) const;
    // Whether moving column k's value moves with its moving bound: it is
    // nonbasic on a bound that moves, or fixed and either both bounds move
    // or the one that moves opens room its reduced cost would take.
    bool follows_bound(int k, const revised::LpSolution& solution) const;

    revised::RevisedSimplex& core() { return *core_; }
    const revised::RevisedSimplex& core() const { return *core_; }
    const revised::LpData& lp() const { return core_->lp(); }
    bool maximise() const { return core_->lp().sense == revised::Sense::maximise; }

private:
    void set_up(const Target& target);
    // The moving values at theta: a cost, or a row's two sides.
    void values_at(std::size_t k, double theta, double& lower, double& upper) const;

    std::unique_ptr<revised::RevisedSimplex> own_core_;
    revised::RevisedSimplex* core_;
    bool costs_ = false;
    bool bounds_ = false;
    double theta_end_ = 0;
    double theta_ = 0;
    const Target target_;
    std::vector<double> item_rate_;  // by item: its value's rate per unit of theta
    // By moving column or row: its index, the value where the LP as given
    // stands (cost, or lower and upper side), the offset at theta = 0, and
    // the rate.
    std::vector<int> moving_;
    std::vector<double> base_lower_, base_upper_, offset_, rate_;
    std::vector<BoundSide> side_;  // by moving index (rows: both sides)
};

}  // namespace lpsens::sweep
