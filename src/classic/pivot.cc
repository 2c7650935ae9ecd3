#include "classic/pivot.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "classic/exchange_kernel.h"
#include "parallel/exchange_team.h"

namespace lpsens {

int choose_phase1_column(const ClassicState& cs) {
    StoredReal best = column_threshold;
    int result = 0;
    for (int j = 1; j <= cs.column_count(); ++j)
        if (cs.phase1_row[j].value < best.value) {
            best = cs.phase1_row[j];
            result = j;
        }
    return result;
}

int choose_phase2_column(const ClassicState& cs, const std::vector<char>* barred) {
    StoredReal best = column_threshold;
    int result = 0;
    const StoredReal* objective = cs.tableau.row(0);
    for (int j = 1; j <= cs.column_count(); ++j)
        if (load_real(cs.phase1_row[j]) < pivot_tolerance && objective[j].value < best.value &&
            (barred == nullptr || !(*barred)[j])) {
            best = objective[j];
            result = j;
        }
    return result;
}

int choose_leaving_row(const ClassicState& cs, int s) {
    StoredReal best = ratio_ceiling;
    int result = 0;
    for (int i = 1; i <= cs.row_count; ++i) {
        const Extended entry = load_real(cs.tableau(i, s));
        if (!(entry > pivot_tolerance)) continue;
        // A quotient whose double-precision value (correctly rounded, so
        // within 2^-53 of the exact one) lies clearly above the best cannot
        // beat it; only the others need the extended division.
        const double estimate = cs.tableau(i, 0).value / cs.tableau(i, s).value;
        if (estimate > best.value + std::fabs(best.value) * 0x1p-49) continue;
        const Extended q = load_real(cs.tableau(i, 0)) / entry;
        if (q < load_real(best)) {
            store_real(q, best, Site::ratio_test);
            result = i;
        }
    }
    return result;
}

std::int32_t& origin_of(ClassicState& cs, VariableId v) {
    if (v.is_structural()) return cs.column_origin[v.index];
    if (v.is_surplus()) return cs.column_origin[cs.var_count + v.index];
    return cs.row_origin[v.index];
}

std::int32_t origin_of(const ClassicState& cs, VariableId v) {
    if (v.is_structural()) return cs.column_origin[v.index];
    if (v.is_surplus()) return cs.column_origin[cs.var_count + v.index];
    return cs.row_origin[v.index];
}

namespace {

// target := target - pivot_row * f over columns 0..last, then
// target[s] := 0 - pivot_row[s] * f.  With `skip`, entries where the pivot
// row holds zero are passed over: their result would be the stored value
// itself.
void eliminate(StoredReal* target, const StoredReal* pivot_row, Extended f, int last, int s, bool skip,
               Site site) {
    if (skip) {
        for (int j = 0; j <= last; ++j) {
            if (pivot_row[j].value == 0.0) continue;
            store_real(load_real(target[j]) - load_real(pivot_row[j]) * f, target[j], site);
        }
    } else {
        for (int j = 0; j <= last; ++j)
            store_real(load_real(target[j]) - load_real(pivot_row[j]) * f, target[j], site);
    }
    store_real(0 - load_real(pivot_row[s]) * f, target[s], site);
}

// A correctly rounded double q of an exact quotient or product E, rounded to
// the stored format, when that settles the stored value of E: q's 13 low
// significand bits lie at least 2 units from the 40-bit midpoint 0x1000, so
// E (within half a unit of q) and its extended rounding (within 2^-11 units
// of E) are at least 1.5 units from every midpoint and round the same way;
// results near the ends of the stored range are not settled here.
bool settled_stored(double q, double& out) {
    std::uint64_t bits;
    std::memcpy(&bits, &q, sizeof bits);
    const std::uint64_t low = (bits - 0x0FFF) & 0x1FFF;
    const std::uint64_t rounded = ((bits & 0x7FFFFFFFFFFFFFFFULL) + 0x1000) & ~std::uint64_t{0x1FFF};
    if (low <= 2 || rounded < (std::uint64_t{896} << 52) || rounded >= (std::uint64_t{1149} << 52)) return false;
    bits = rounded | (bits & 0x8000000000000000ULL);
    std::memcpy(&out, &bits, sizeof bits);
    return true;
}

// row[j] := stored(row[j] / p) for j in [0, count), as the extended division
// gives it; the double division settles almost every entry.
void divide_row(StoredReal* row, int count, Extended p) {
    const double divisor = static_cast<double>(p);
    for (int j = 0; j < count; ++j) {
        const double a = row[j].value;
        if (a == 0.0) continue;  // 0 / p is stored as +0
        if (!settled_stored(a / divisor, row[j].value)) store_real(static_cast<Extended>(a) / p, row[j], Site::pivot_row);
    }
}

// The same update with an exchange kernel: rows whose factor is zero stay
// as they are, every other entry goes through the kernel.
void eliminate_with(EliminateFunction kernel, StoredReal* target, const StoredReal* pivot_row, int last, int s,
                    Site site) {
    const double f = target[s].value;
    if (f == 0) return;
    const auto count = static_cast<std::size_t>(last) + 1;
    if (kernel(&target->value, &pivot_row->value, f, count) != count) throw_store_overflow(site);
    // 0 - p f: the double product is correctly rounded (two 40-bit factors).
    if (!settled_stored(-(pivot_row[s].value * f), target[s].value))
        store_real(0 - load_real(pivot_row[s]) * static_cast<Extended>(f), target[s], site);
}

// Rows at least this many tableau entries share the work between two threads.
constexpr long threaded_entries = 250000;

}  // namespace

void pivot(ClassicState& cs, int r, int s) {
    const int last = cs.column_count();
    StoredReal* pivot_row = cs.tableau.row(r);
    const Extended p = load_real(pivot_row[s]);
    if (cs.skip_zero_work)
        divide_row(pivot_row, last + 1, p);
    else
        for (int j = 0; j <= last; ++j) store_real(load_real(pivot_row[j]) / p, pivot_row[j], Site::pivot_row);
    store_real(1 / p, pivot_row[s], Site::pivot_row);

    if (!cs.skip_zero_work) {
        // The plain loop of the formula, every row and entry: the reference.
        for (int i = 0; i <= cs.row_count; ++i) {
            if (i == r) continue;
            StoredReal* row = cs.tableau.row(i);
            eliminate(row, pivot_row, load_real(row[s]), last, s, false, Site::pivot_other_rows);
        }
        eliminate(cs.phase1_row.data(), pivot_row, load_real(cs.phase1_row[s]), last, s, false, Site::pivot_phase1_row);
    } else {
        const EliminateFunction kernel = kernel_function(cs.kernel);
        auto rows = [&](int from, int to) {
            for (int i = from; i < to; ++i)
                if (i != r) eliminate_with(kernel, cs.tableau.row(i), pivot_row, last, s, Site::pivot_other_rows);
        };
        const int all = cs.row_count + 1;
        const int threads = cs.threads > 0 ? cs.threads : default_threads();
        // Two threads on large tableaux, or on any when asked for explicitly.
        const bool large = static_cast<long>(all) * (last + 1) >= threaded_entries;
        if (threads > 1 && (large || cs.threads > 1) && all >= 2) {
            if (!cs.team) cs.team = std::make_shared<ExchangeTeam>();
            cs.team->run(all, chunk_rows(all, static_cast<std::size_t>(last + 1) * sizeof(StoredReal)), rows);
        } else {
            rows(0, all);
        }
        eliminate_with(kernel, cs.phase1_row.data(), pivot_row, last, s, Site::pivot_phase1_row);
    }

    const VariableId leaving = cs.basis_label[r];
    const VariableId entering = cs.column_label[s];
    cs.basis_label[r] = entering;
    cs.column_label[s] = leaving;
    origin_of(cs, leaving) = -s;
    origin_of(cs, entering) = r;
}

}  // namespace lpsens
