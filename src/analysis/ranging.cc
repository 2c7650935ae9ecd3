#include "analysis/ranging.h"

#include <algorithm>
#include <cmath>

#include "analysis/shared_passes.h"

namespace lpsens {

namespace {

const StoredReal minus_infinity_bound = stored(-9e30L);

// A ratio of 1e-05 or more limits the upper offset, one of -1e-05 or less
// the lower offset.  A ratio between them has a numerator at zero (a
// degenerate vertex) and limits the side it would limit if its numerator
// were not zero: the numerators are never negative at an optimum, so a
// positive tableau entry makes the ratio fall below zero (the lower offset),
// a negative one above it (the upper offset).  Each offset keeps the
// tightest ratio offered.
void offer_ratio(StoredReal ratio, Extended entry, double& lower, double& upper) {
    const Extended r = load_real(ratio);
    const bool tie = r > -range_tolerance && r < range_tolerance;
    const bool upper_side = tie ? entry < 0 : r > 0;
    if (upper_side) {
        if (r < static_cast<Extended>(upper)) upper = ratio.value;
    } else if (r > static_cast<Extended>(lower)) {
        lower = ratio.value;
    }
}

// A row whose basic variable must stay at zero (held_at_zero) limits both
// offsets at 0, whichever sign its entry has.
void limit_both_sides_at_zero(double& lower, double& upper) {
    upper = std::min(upper, 0.0);
    lower = std::max(lower, 0.0);
}

// Entries of magnitude at most 1e-05 take no part, as rounding might have
// made them, unless their ratio's numerator (a reduced cost or a basic
// value) is clearly above zero and the entry above 1e-07, beyond what the
// classic engine's rounding leaves on the Netlib problems (about 1e-09):
// such an entry is real, its ratio beyond 1 in magnitude and no tie, and a
// limit that passed it over would not hold (a cost of bore3d moved by -834
// where an entry of 4.35e-06 over a reduced cost of 0.0019 ends the basis at
// -438).
constexpr Extended rounding_floor = 1e-07L;

bool negligible(Extended t, Extended numerator) {
    const Extended size = t < 0 ? -t : t;
    if (size > range_tolerance) return false;
    return !(size > rounding_floor && numerator > range_tolerance);
}

// Whether the ratio -numerator / t, worked out in double, is so far beyond
// both offsets that its stored value cannot move either: then the exact
// ratio and its rounding need not be made.  The stored value is within a
// relative 2^-40 of the double one; the margin is a thousand times that.
// Ratios near zero (the tie rule decides their side) and ratios near the
// format's largest magnitude (their storing may fail) always go the long way.
bool cannot_offer(double numerator, double t, double lower, double upper) {
    constexpr double margin = 1e-9;
    const double q = -numerator / t;
    const double size = std::fabs(q);
    if (!(size > 2 * static_cast<double>(range_tolerance)) || !(size < 1e37)) return false;
    return q > 0 ? q - size * margin > upper : q + size * margin < lower;
}

// Stores a ratio; false where it is too large for the format and `pass`
// (see compute_ranging), RunError where it is and not `pass`.
bool store_ratio(Extended q, StoredReal& ratio, bool pass) {
    if (pass) return try_store_real(q, ratio);
    store_real(q, ratio, Site::ranging);
    return true;
}

}  // namespace

Ranging compute_ranging(const TableauView& view, int variables, int threads, bool huge_ratio_is_no_limit) {
    const int m = view.rows();
    const int n = variables;
    const int columns = view.columns();
    Ranging r;
    r.rhs_lower.assign(m + 1, minus_infinity_bound.value);
    r.rhs_upper.assign(m + 1, infinity_bound.value);
    r.cost_lower.assign(columns + 1, minus_infinity_bound.value);
    r.cost_upper.assign(columns + 1, infinity_bound.value);

    std::vector<double> objective, values;
    view.row(0, objective);
    view.column(0, values);

    // Each basic variable's row and each nonbasic variable's column is an
    // item of its own, read from the thread's view (the views of two
    // threads give the same lines), and no two items set the same offset.
    const auto basic = [&](const TableauView& view, int i, std::vector<std::pair<int, double>>& line) {
        const VariableId b = view.basic(i);
        if (b.is_row_variable()) {
            StoredReal lower = minus_infinity_bound;
            if (store_ratio(-static_cast<Extended>(values[i]), lower, huge_ratio_is_no_limit))
                r.rhs_lower[b.index] = lower.value;
            // The row's own right-hand side moves its artificial variable one
            // for one: the range ends where it stands, at zero.
            if (held_at_zero(view, i)) r.rhs_upper[b.index] = std::max(lower.value, 0.0);
            return;
        }
        const auto v = static_cast<std::size_t>(b.is_structural() ? b.index : n + b.index);
        view.row_entries(i, line);
        for (const auto& [j, entry] : line) {
            const Extended t = entry;
            if (negligible(t, objective[j])) continue;
            if (cannot_offer(objective[j], entry, r.cost_lower[v], r.cost_upper[v])) continue;
            StoredReal ratio;
            if (!store_ratio(-static_cast<Extended>(objective[j]) / t, ratio, huge_ratio_is_no_limit)) continue;
            offer_ratio(ratio, t, r.cost_lower[v], r.cost_upper[v]);
        }
    };
    const auto nonbasic = [&](const TableauView& view, int j, std::vector<std::pair<int, double>>& line) {
        const VariableId c = view.nonbasic(j);
        if (c.is_surplus()) {
            r.cost_upper[n + c.index] = objective[j];
        } else if (c.is_structural()) {
            r.cost_upper[c.index] = objective[j];
        } else {
            const int k = c.index;
            view.column_entries(j, line);
            for (const auto& [i, entry] : line) {
                const Extended t = entry;
                if (negligible(t, values[i])) continue;
                if (held_at_zero(view, i)) {
                    limit_both_sides_at_zero(r.rhs_lower[k], r.rhs_upper[k]);
                    continue;
                }
                if (cannot_offer(values[i], entry, r.rhs_lower[k], r.rhs_upper[k])) continue;
                StoredReal ratio;
                if (!store_ratio(-static_cast<Extended>(values[i]) / t, ratio, huge_ratio_is_no_limit)) continue;
                offer_ratio(ratio, t, r.rhs_lower[k], r.rhs_upper[k]);
            }
        }
    };
    shared_pass(view, m + columns, threads, [&](const TableauView& v) {
        return [&, line = std::vector<std::pair<int, double>>()](int k) mutable {
            if (k < m) basic(v, k + 1, line);
            else nonbasic(v, k - m + 1, line);
        };
    });
    return r;
}

}  // namespace lpsens
