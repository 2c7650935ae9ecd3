#include "presolve/presolve.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "presolve/work_lp.h"

namespace lpsens::presolve {

namespace {

constexpr double inf = revised::infinity;
constexpr int max_passes = 40;

// Room for rounding when a bound is compared with another or with an
// activity: relative to the bound's size.
double slack(double bound) { return 1e-9 * (1 + std::fabs(bound)); }
// Beyond this a side the activity cannot reach makes the LP infeasible.
double infeasible_by(double bound) { return 1e-6 * (1 + std::fabs(bound)); }

struct GiveUp {};

class Presolver {
public:
    Presolver(const revised::LpData& lp, Presolved& out)
        : w_(lp), out_(out), scan_budget_(50LL * lp.nonzeros() + 100000) {}

    void run() {
        for (int pass = 0; pass < max_passes; ++pass) {
            const int before = out_.counts.total();
            for (int i = 0; i < w_.rows; ++i)
                if (w_.row_on[i] && w_.row_count[i] <= 1) small_row(i);
            for (int j = 0; j < w_.cols; ++j)
                if (w_.col_on[j]) fixed_or_empty_col(j);
            for (int i = 0; i < w_.rows; ++i)
                if (w_.row_on[i] && w_.row_count[i] >= 2) forcing_or_redundant_row(i);
            for (int i = 0; i < w_.rows; ++i)
                if (w_.row_on[i] && w_.row_count[i] == 2 && w_.row_lower[i] == w_.row_upper[i]) doubleton(i);
            for (int j = 0; j < w_.cols; ++j)
                if (w_.col_on[j] && w_.col_count[j] >= 1) dominated_col(j);
            for (int j = 0; j < w_.cols; ++j)
                if (w_.col_on[j] && w_.col_count[j] == 1) free_singleton(j);
            if (out_.counts.total() == before) {
                duplicates(true);
                duplicates(false);
            }
            if (out_.counts.total() == before) break;
        }
    }

    void build_reduced(const revised::LpData& lp) {
        revised::LpData& r = out_.reduced;
        r.sense = lp.sense;
        r.offset = w_.offset;
        std::vector<int> new_row(w_.rows, -1);
        for (int i = 0; i < w_.rows; ++i)
            if (w_.row_on[i]) {
                new_row[i] = static_cast<int>(out_.row_origin.size());
                out_.row_origin.push_back(i);
                r.row_lower.push_back(w_.row_lower[i]);
                r.row_upper.push_back(w_.row_upper[i]);
            }
        r.rows = static_cast<int>(out_.row_origin.size());
        r.start.push_back(0);
        for (int j = 0; j < w_.cols; ++j) {
            if (!w_.col_on[j]) continue;
            out_.col_origin.push_back(j);
            for (const Entry& e : w_.by_col[j])
                if (w_.row_on[e.index] && e.value != 0) {
                    r.row_index.push_back(new_row[e.index]);
                    r.value.push_back(e.value);
                }
            r.start.push_back(static_cast<int>(r.row_index.size()));
            r.cost.push_back(w_.cost[j]);
            r.col_lower.push_back(w_.col_lower[j]);
            r.col_upper.push_back(w_.col_upper[j]);
        }
        r.cols = static_cast<int>(out_.col_origin.size());
    }

private:
    // ---- records
    Step& push_step(StepKind kind, int row) {
        out_.steps.push_back({});
        Step& s = out_.steps.back();
        s.kind = kind;
        s.row = row;
        s.removed_begin = s.removed_end = static_cast<int>(out_.removed_cols.size());
        s.row_begin = s.row_end = static_cast<int>(out_.row_pool.size());
        return s;
    }
    void record_row(Step& s, int i) {
        s.row_begin = static_cast<int>(out_.row_pool.size());
        for (const Entry& e : w_.by_row[i])
            if (w_.col_on[e.index]) out_.row_pool.push_back(e);
        s.row_end = static_cast<int>(out_.row_pool.size());
    }
    void record_col(Step& s, int j, double value) {
        RemovedCol c;
        c.col = j;
        c.value = value;
        c.cost = w_.cost[j];
        c.lower = w_.col_lower[j];
        c.upper = w_.col_upper[j];
        c.begin = static_cast<int>(out_.col_pool.size());
        for (const Entry& e : w_.by_col[j])
            if (w_.row_on[e.index]) out_.col_pool.push_back(e);
        c.end = static_cast<int>(out_.col_pool.size());
        out_.removed_cols.push_back(c);
        s.removed_end = static_cast<int>(out_.removed_cols.size());
    }

    // Column j leaves at `value`: the rows' sides and the offset take it.
    void drop_col_at(int j, double value) {
        if (value != 0)
            for (const Entry& e : w_.by_col[j]) {
                if (!w_.row_on[e.index]) continue;
                w_.row_lower[e.index] -= e.value * value;
                w_.row_upper[e.index] -= e.value * value;
            }
        w_.offset += w_.cost[j] * value;
        w_.remove_col(j);
    }

    void remove_col_at(int j, double value) {
        Step& s = push_step(StepKind::removed_col, -1);
        record_col(s, j, value);
        drop_col_at(j, value);
    }

    // The bounds [l, u] narrowed to [lower, upper] where that is tighter;
    // the flags say which moved.  Bounds that cross by rounding meet (the
    // one that moved meets the one that stayed); by more the LP is
    // infeasible.
    static void narrow(double& l, double& u, double lower, double upper, bool& lower_moved, bool& upper_moved) {
        lower_moved = lower > l;
        upper_moved = upper < u;
        if (lower_moved) l = lower;
        if (upper_moved) u = upper;
        if (l > u) {
            if (l - u > infeasible_by(u)) throw GiveUp{};
            if (upper_moved) u = l;
            else l = u;
        }
    }

    // New bounds of column j where they are tighter (narrow).
    void tighten(int j, double lower, double upper, bool& lower_moved, bool& upper_moved) {
        double l = w_.col_lower[j], u = w_.col_upper[j];
        narrow(l, u, lower, upper, lower_moved, upper_moved);
        if (lower_moved || upper_moved) w_.set_col_bounds(j, l, u);
    }

    // ---- reductions
    void small_row(int i) {
        const double lower = w_.row_lower[i], upper = w_.row_upper[i];
        if (w_.row_count[i] == 0) {
            if (lower > infeasible_by(lower) || upper < -infeasible_by(upper)) throw GiveUp{};
            push_step(StepKind::free_row, i);
            w_.remove_row(i);
            ++out_.counts.empty_rows;
            return;
        }
        const Entry e = *w_.first_in_row(i);
        const int j = e.index;
        const double a = e.value;
        double implied_lower = (a > 0 ? lower : upper) / a;
        double implied_upper = (a > 0 ? upper : lower) / a;
        Step& s = push_step(StepKind::row_singleton, i);
        s.col = j;
        s.coef = a;
        record_row(s, i);
        const std::size_t at = out_.steps.size() - 1;
        bool lower_moved = false, upper_moved = false;
        tighten(j, implied_lower, implied_upper, lower_moved, upper_moved);
        out_.steps[at].lower_tightened = lower_moved;
        out_.steps[at].upper_tightened = upper_moved;
        w_.remove_row(i);
        ++out_.counts.row_singletons;
    }

    void fixed_or_empty_col(int j) {
        const double l = w_.col_lower[j], u = w_.col_upper[j];
        if (l == u) {
            remove_col_at(j, l);
            ++out_.counts.fixed_cols;
            return;
        }
        if (w_.col_count[j] > 0) return;
        const double c = w_.sense * w_.cost[j];
        double value;
        if (c > 0) value = l;
        else if (c < 0) value = u;
        else value = std::isfinite(l) ? l : std::isfinite(u) ? u : 0;
        if (std::isinf(value)) return;  // unbounded, unless infeasible: the solve says which
        remove_col_at(j, value);
        ++out_.counts.empty_cols;
    }

    void forcing_or_redundant_row(int i) {
        const Activity& act = w_.activity(i);
        const double lowest = act.lowest(), highest = act.highest();
        const double lower = w_.row_lower[i], upper = w_.row_upper[i];
        if (lowest > upper + infeasible_by(upper) || highest < lower - infeasible_by(lower)) throw GiveUp{};
        const bool at_upper = std::isfinite(upper) && lowest >= upper - slack(upper);
        const bool at_lower = std::isfinite(lower) && highest <= lower + slack(lower);
        if (at_upper || at_lower) {
            Step& s = push_step(StepKind::forcing_row, i);
            s.upper_side = at_upper;
            record_row(s, i);
            const std::size_t at = out_.steps.size() - 1;
            const int first = out_.steps[at].row_begin, last = out_.steps[at].row_end;
            for (int k = first; k < last; ++k) {
                const Entry e = out_.row_pool[k];
                const bool to_lower = (e.value > 0) == at_upper;
                const double value = to_lower ? w_.col_lower[e.index] : w_.col_upper[e.index];
                record_col(out_.steps[at], e.index, value);
            }
            for (int k = first; k < last; ++k) {
                const Entry e = out_.row_pool[k];
                drop_col_at(e.index, out_.removed_cols[out_.steps[at].removed_begin + (k - first)].value);
            }
            w_.remove_row(i);
            ++out_.counts.forcing_rows;
            return;
        }
        if (lowest >= lower - slack(lower) && highest <= upper + slack(upper)) {
            push_step(StepKind::free_row, i);
            w_.remove_row(i);
            ++out_.counts.redundant_rows;
        }
    }

    void doubleton(int i) {
        // Substitutions into long rows cost a pass over the row each: past
        // a budget in proportion to the matrix, no more of them.
        if (w_.scanned() > scan_budget_) return;
        Entry pair[2];
        int n = 0;
        for (const Entry& e : w_.by_row[i])
            if (w_.col_on[e.index] && n < 2) pair[n++] = e;
        if (n != 2) return;
        // Substitute the column with fewer entries, unless its entry is much
        // the smaller (dividing by it would magnify rounding).
        int out = w_.col_count[pair[0].index] <= w_.col_count[pair[1].index] ? 0 : 1;
        if (std::fabs(pair[out].value) < 1e-2 * std::fabs(pair[1 - out].value)) out = 1 - out;
        const int j = pair[out].index, k = pair[1 - out].index;
        const double aj = pair[out].value, ak = pair[1 - out].value;
        const double b = w_.row_lower[i];
        Step& s = push_step(StepKind::doubleton, i);
        s.col = k;
        s.coef = ak;
        s.removed_coef = aj;
        s.side = b;
        record_row(s, i);
        record_col(s, j, 0);
        const std::size_t at = out_.steps.size() - 1;
        // x_k = b / ak - (aj / ak) x_j over the bounds of x_j.
        const double ratio = aj / ak;
        const double lj = w_.col_lower[j], uj = w_.col_upper[j];
        const double from_lower = std::isinf(lj) ? (ratio > 0 ? inf : -inf) : (b - aj * lj) / ak;
        const double from_upper = std::isinf(uj) ? (ratio > 0 ? -inf : inf) : (b - aj * uj) / ak;
        bool lower_moved = false, upper_moved = false;
        tighten(k, std::min(from_lower, from_upper), std::max(from_lower, from_upper), lower_moved, upper_moved);
        out_.steps[at].lower_tightened = lower_moved;
        out_.steps[at].upper_tightened = upper_moved;
        // Every other row of x_j takes the row times -a_rj / aj.
        const std::vector<Entry> column = w_.by_col[j];
        for (const Entry& e : column) {
            const int r = e.index;
            if (r == i || !w_.row_on[r]) continue;
            const double shift = e.value * b / aj;
            w_.row_lower[r] -= shift;
            w_.row_upper[r] -= shift;
            w_.add_to_entry(r, k, -e.value * ak / aj);
        }
        w_.offset += w_.cost[j] * b / aj;
        w_.cost[k] -= w_.cost[j] * ak / aj;
        w_.remove_row(i);
        w_.remove_col(j);
        w_.touch_col_rows(k);
        ++out_.counts.doubletons;
    }

    // A column whose cost pushes it one way and whose rows all allow that
    // way stays at that bound.
    void dominated_col(int j) {
        const double c = w_.sense * w_.cost[j];
        bool down = c >= 0 && std::isfinite(w_.col_lower[j]);
        bool up = c <= 0 && std::isfinite(w_.col_upper[j]);
        for (const Entry& e : w_.by_col[j]) {
            if (!w_.row_on[e.index] || !(down || up)) continue;
            const bool has_lower = std::isfinite(w_.row_lower[e.index]);
            const bool has_upper = std::isfinite(w_.row_upper[e.index]);
            // Going down lowers a positive entry's activity.
            if (e.value > 0 ? has_lower : has_upper) down = false;
            if (e.value > 0 ? has_upper : has_lower) up = false;
        }
        if (!down && !up) return;
        remove_col_at(j, down ? w_.col_lower[j] : w_.col_upper[j]);
        ++out_.counts.dominated_cols;
    }

    // A column alone in its row whose bounds the row implies anyway: the
    // row sets it, and its cost moves to the row's other columns.
    void free_singleton(int j) {
        const Entry* entry = nullptr;
        for (const Entry& e : w_.by_col[j])
            if (w_.row_on[e.index]) entry = &e;
        if (entry == nullptr) return;
        const int i = entry->index;
        const double a = entry->value;
        if (w_.row_count[i] < 2) return;
        const double lower = w_.row_lower[i], upper = w_.row_upper[i];
        const double lj = w_.col_lower[j], uj = w_.col_upper[j];
        if (std::isfinite(lj) || std::isfinite(uj)) {
            Activity rest = w_.activity(i);
            add_to_activity(rest, a, lj, uj, -1);
            // a x_j = r - rest with r in [lower, upper].
            const double low = lower - rest.highest(), high = upper - rest.lowest();
            const double implied_lower = a > 0 ? low / a : high / a;
            const double implied_upper = a > 0 ? high / a : low / a;
            const bool lower_implied = std::isinf(lj) || (!std::isnan(implied_lower) && implied_lower >= lj - slack(lj));
            const bool upper_implied = std::isinf(uj) || (!std::isnan(implied_upper) && implied_upper <= uj + slack(uj));
            if (!lower_implied || !upper_implied) return;
        }
        // The row's value: its dual is cost / a, which says the side.
        const double dual = w_.sense * w_.cost[j] / a;
        bool upper_side;
        if (lower == upper) upper_side = false;
        else if (dual > 0) upper_side = false;
        else if (dual < 0) upper_side = true;
        else upper_side = !std::isfinite(lower);
        const double side = upper_side ? upper : lower;
        if (std::isinf(side)) return;  // unbounded or a free row: the solve says
        Step& s = push_step(StepKind::free_singleton, i);
        s.col = j;
        s.removed_coef = a;
        s.side = side;
        s.upper_side = upper_side;
        record_row(s, i);
        record_col(s, j, 0);
        const double c = w_.cost[j];
        if (c != 0) {
            for (const Entry& e : w_.by_row[i])
                if (w_.col_on[e.index] && e.index != j) w_.cost[e.index] -= c * e.value / a;
            w_.offset += c * side / a;
        }
        w_.remove_row(i);
        w_.remove_col(j);
        ++out_.counts.free_singletons;
    }

    // ---- duplicates: rows (or columns) whose entries are one multiple of
    // another's. Lists of the same pattern are grouped by a hash of their
    // indices and compared with the first few of the group (in the order
    // they came). The lists lie one after another in one array: a large
    // model has hundreds of thousands.
    static constexpr int group_size = 8;
    struct Group {
        int size = 0;
        int member[group_size];
    };

    void duplicates(bool rows) {
        const int count = rows ? w_.rows : w_.cols;
        std::unordered_map<std::size_t, Group> groups;
        groups.reserve(count);
        std::vector<Entry> lists;
        std::vector<int> begin(count, 0), end(count, 0);
        for (int a = 0; a < count; ++a) {
            if (!(rows ? w_.row_on[a] : w_.col_on[a])) continue;
            if ((rows ? w_.row_count[a] : w_.col_count[a]) < (rows ? 2 : 1)) continue;
            begin[a] = static_cast<int>(lists.size());
            for (const Entry& e : rows ? w_.by_row[a] : w_.by_col[a])
                if (rows ? w_.col_on[e.index] : w_.row_on[e.index]) lists.push_back(e);
            end[a] = static_cast<int>(lists.size());
            std::sort(lists.begin() + begin[a], lists.end(), [](const Entry& x, const Entry& y) { return x.index < y.index; });
            std::size_t hash = static_cast<std::size_t>(end[a] - begin[a]);
            for (int k = begin[a]; k < end[a]; ++k) hash = hash * 1000003u ^ static_cast<std::size_t>(lists[k].index);
            Group& group = groups[hash];
            bool merged = false;
            for (int g = 0; g < group.size && !merged; ++g) {
                const int kept = group.member[g];
                double scale = 0;
                if (!multiple(&lists[begin[kept]], end[kept] - begin[kept], &lists[begin[a]], end[a] - begin[a], scale))
                    continue;
                merged = rows ? merge_rows(kept, a, scale) : merge_cols(kept, a, scale);
            }
            if (!merged && group.size < group_size) group.member[group.size++] = a;
        }
    }

    // Whether `list` is `scale` times `kept`, entry by entry.
    static bool multiple(const Entry* kept, int kept_size, const Entry* list, int size, double& scale) {
        if (kept_size != size || size == 0) return false;
        scale = list[0].value / kept[0].value;
        for (int k = 0; k < size; ++k) {
            if (list[k].index != kept[k].index) return false;
            const double expected = scale * kept[k].value;
            if (std::fabs(list[k].value - expected) > 1e-12 * std::max(std::fabs(list[k].value), std::fabs(expected)))
                return false;
        }
        return std::isfinite(scale) && scale != 0;
    }

    // Row r = scale * row i: row i takes r's sides where they are tighter.
    bool merge_rows(int i, int r, double scale) {
        const double lower = (scale > 0 ? w_.row_lower[r] : w_.row_upper[r]) / scale;
        const double upper = (scale > 0 ? w_.row_upper[r] : w_.row_lower[r]) / scale;
        double l = w_.row_lower[i], u = w_.row_upper[i];
        bool lower_moved = false, upper_moved = false;
        narrow(l, u, lower, upper, lower_moved, upper_moved);
        Step& s = push_step(StepKind::duplicate_row, r);
        s.other = i;
        s.scale = scale;
        s.lower_tightened = lower_moved;
        s.upper_tightened = upper_moved;
        w_.row_lower[i] = l;
        w_.row_upper[i] = u;
        w_.remove_row(r);
        ++out_.counts.duplicate_rows;
        return true;
    }

    // Column k = scale * column j, its cost too: one column of both, whose
    // bounds are the sums.
    bool merge_cols(int j, int k, double scale) {
        const double expected = scale * w_.cost[j];
        if (std::fabs(w_.cost[k] - expected) > 1e-12 * std::max(std::fabs(w_.cost[k]), std::fabs(expected)))
            return false;
        const double lj = w_.col_lower[j], uj = w_.col_upper[j];
        const double lk = w_.col_lower[k], uk = w_.col_upper[k];
        const double lower = lj + (scale > 0 ? scale * lk : scale * uk);
        const double upper = uj + (scale > 0 ? scale * uk : scale * lk);
        Step& s = push_step(StepKind::duplicate_col, -1);
        s.col = k;
        s.other = j;
        s.scale = scale;
        s.other_lower = lj;
        s.other_upper = uj;
        record_col(s, k, 0);
        w_.set_col_bounds(j, lower, upper);
        w_.remove_col(k);
        ++out_.counts.duplicate_cols;
        return true;
    }

    WorkLp w_;
    Presolved& out_;
    long long scan_budget_;
};

}  // namespace

Presolved presolve(const revised::LpData& lp) {
    if (const std::string why = lp.check(); !why.empty()) throw std::invalid_argument("presolve: " + why);
    Presolved out;
    Presolver presolver(lp, out);
    try {
        presolver.run();
    } catch (const GiveUp&) {
        Presolved none;
        none.outcome = Outcome::gave_up;
        none.counts = out.counts;
        return none;
    }
    if (out.counts.total() == 0) {
        out.outcome = Outcome::unchanged;
        return out;
    }
    presolver.build_reduced(lp);
    out.outcome = Outcome::reduced;
    return out;
}

}  // namespace lpsens::presolve
