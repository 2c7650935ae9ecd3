#include "revised/cost_perturbation.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace lpsens::revised {

void perturb_costs(SimplexState& s, std::uint32_t seed) {
    const WorkingLp& lp = *s.lp;
    double biggest = 0;
    int boxed = 0;
    for (int j = 0; j < lp.cols; ++j) {
        biggest = std::max(biggest, std::fabs(lp.cost_by_var[j]));
        if (std::isfinite(lp.lower_by_var[j]) && std::isfinite(lp.upper_by_var[j])) ++boxed;
    }
    // Large costs get a damped measure, and models with hardly any boxed
    // variables at most 1.
    if (biggest > 100) biggest = std::sqrt(std::sqrt(biggest));
    if (boxed < 0.01 * lp.vars()) biggest = std::min(biggest, 1.0);
    const double base = 5e-7 * biggest;
    if (base == 0) return;

    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int j = 0; j < lp.cols; ++j) {
        const double lower = lp.lower_by_var[j];
        const double upper = lp.upper_by_var[j];
        const double cost = lp.cost_by_var[j];
        const double amount = (std::fabs(cost) + 1.0) * base * (1.0 + uniform(random));
        if (lower == upper) continue;
        if (!std::isfinite(lower) && !std::isfinite(upper)) continue;
        if (!std::isfinite(upper)) s.cost_by_var[j] += amount;
        else if (!std::isfinite(lower)) s.cost_by_var[j] -= amount;
        else s.cost_by_var[j] += cost >= 0 ? amount : -amount;
    }
    s.costs_modified = true;
}

}  // namespace lpsens::revised
