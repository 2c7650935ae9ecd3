// FTRAN (B x = b) and BTRAN (B^T y = c) through L, the row etas of the
// updates and U. Each triangular stage runs one of two ways:
//  - hyper-sparse (Gilbert & Peierls): a depth-first search over the
//    nonzero structure finds every entry the right-hand side can reach, and
//    only those are visited, in topological order (reverse post order);
//  - sparse: all pivots in order, skipping zero values.
// The first suits results expected to be very sparse; the density hint of
// the caller and the current fill of the vector choose. Every stage leaves a
// list of the entries that may be nonzero, so nothing scans dense arrays.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <utility>

#include "factor/lu_factors.h"

namespace lpsens::factor::detail {

namespace {

struct EdgeRange {
    const int* begin;
    const int* end;
};

// The nodes reachable from the listed ones, in post order, into work.reach;
// each is left marked in work.mark. `edges(node)` gives its successors.
template <class Edges>
int find_reach(const SparseVector& start, Edges edges, SolveWork& work) {
    int reached = 0;
    std::vector<int>& stack_node = work.stack_node;
    std::vector<int>& stack_edge = work.stack_edge;
    for (int s = 0; s < start.count; ++s) {
        const int root = start.index[s];
        if (work.mark[root]) continue;
        work.mark[root] = 1;
        int depth = 0;
        stack_node[0] = root;
        stack_edge[0] = 0;
        while (depth >= 0) {
            const int node = stack_node[depth];
            const EdgeRange range = edges(node);
            int next = stack_edge[depth];
            const int degree = static_cast<int>(range.end - range.begin);
            while (next < degree && work.mark[range.begin[next]]) ++next;
            if (next < degree) {
                const int child = range.begin[next];
                stack_edge[depth] = next + 1;
                work.mark[child] = 1;
                ++depth;
                stack_node[depth] = child;
                stack_edge[depth] = 0;
            } else {
                work.reach[reached++] = node;
                --depth;
            }
        }
    }
    return reached;
}

}  // namespace

bool LuFactors::use_hyper(const SparseVector& v, double density) const {
    return density < options.hyper_density && v.count < options.hyper_density * rows;
}

void LuFactors::list_once(SparseVector& v) const {
    int kept = 0;
    for (int s = 0; s < v.count; ++s) {
        const int i = v.index[s];
        if (work.mark[i]) continue;
        work.mark[i] = 1;
        v.index[kept++] = i;
    }
    v.count = kept;
}

void LuFactors::unmark(const SparseVector& v) const {
    for (int s = 0; s < v.count; ++s) work.mark[v.index[s]] = 0;
}

void LuFactors::drop_small(SparseVector& v) const {
    int kept = 0;
    for (int s = 0; s < v.count; ++s) {
        const int i = v.index[s];
        if (std::fabs(v.value[i]) > options.drop_tolerance)
            v.index[kept++] = i;
        else
            v.value[i] = 0.0;
    }
    v.count = kept;
}

void LuFactors::solve_l(SparseVector& v, bool hyper) const {
    if (l_pivot_row.empty()) return;
    if (hyper) {
        const int reached = find_reach(v, [this](int r) {
            const int eta = l_eta_of_row[r];
            if (eta < 0) return EdgeRange{nullptr, nullptr};
            return EdgeRange{l_row.data() + l_start[eta], l_row.data() + l_start[eta + 1]};
        }, work);
        for (int t = reached - 1; t >= 0; --t) {
            const int r = work.reach[t];
            work.mark[r] = 0;
            v.index[reached - 1 - t] = r;
            const double x = v.value[r];
            const int eta = l_eta_of_row[r];
            if (x == 0.0 || eta < 0) continue;
            for (int e = l_start[eta]; e < l_start[eta + 1]; ++e) v.value[l_row[e]] -= l_value[e] * x;
        }
        v.count = reached;
        return;
    }
    list_once(v);
    // Raw pointers and a local count: the marks are chars, which may alias
    // anything, so through the members every array would be reloaded.
    const int etas = static_cast<int>(l_pivot_row.size());
    const int* pivot_row_of_eta = l_pivot_row.data();
    const int* start = l_start.data();
    const int* row = l_row.data();
    const double* multiplier = l_value.data();
    char* mark = work.mark.data();
    double* value = v.value.data();
    int* index = v.index.data();
    int count = v.count;
    for (int eta = 0; eta < etas; ++eta) {
        const double x = value[pivot_row_of_eta[eta]];
        if (x == 0.0) continue;
        const int end = start[eta + 1];
        for (int e = start[eta]; e < end; ++e) {
            const int i = row[e];
            if (!mark[i]) {
                mark[i] = 1;
                index[count++] = i;
            }
            value[i] -= multiplier[e] * x;
        }
    }
    v.count = count;
    unmark(v);
}

void LuFactors::solve_row_etas(SparseVector& v) const {
    if (r_pivot_row.empty()) return;
    list_once(v);
    const int etas = static_cast<int>(r_pivot_row.size());
    const int* start = r_start.data();
    const int* row = r_row.data();
    const double* multiplier = r_value.data();
    char* mark = work.mark.data();
    double* value = v.value.data();
    int* index = v.index.data();
    int count = v.count;
    for (int eta = 0; eta < etas; ++eta) {
        double sum = 0;
        const int end = start[eta + 1];
        for (int e = start[eta]; e < end; ++e) sum += multiplier[e] * value[row[e]];
        if (sum == 0.0) continue;
        const int r = r_pivot_row[eta];
        if (!mark[r]) {
            mark[r] = 1;
            index[count++] = r;
        }
        value[r] -= sum;
    }
    v.count = count;
    unmark(v);
}

void LuFactors::solve_u(SparseVector& v, SparseVector& out, bool hyper) const {
    assert(out.count == 0);
    double* value = v.value.data();
    double* out_value = out.value.data();
    int* out_index = out.index.data();
    int count = 0;
    const int* row_of_pivot = pivot_row.data();
    const int* position_of_pivot = pivot_position.data();
    const double* diagonal = pivot_value.data();
    const int* start = uc_start.data();
    const int* length = uc_count.data();
    const int* row = uc_row.data();
    const double* entry = uc_value.data();
    const double drop = options.drop_tolerance;
    const auto solve_pivot = [&](int k) {
        const int r = row_of_pivot[k];
        double x = value[r];
        if (x == 0.0) return;
        value[r] = 0.0;
        x /= diagonal[k];
        if (std::fabs(x) <= drop) return;
        const int p = position_of_pivot[k];
        out_value[p] = x;
        out_index[count++] = p;
        const int end = start[k] + length[k];
        for (int e = start[k]; e < end; ++e) value[row[e]] -= entry[e] * x;
    };
    if (hyper) {
        const int reached = find_reach(v, [this](int r) {
            const int k = pivot_of_row[r];
            return EdgeRange{uc_row.data() + uc_start[k], uc_row.data() + uc_start[k] + uc_count[k]};
        }, work);
        for (int t = reached - 1; t >= 0; --t) {
            const int r = work.reach[t];
            work.mark[r] = 0;
            solve_pivot(pivot_of_row[r]);
        }
    } else {
        const char* live = pivot_live.data();
        for (int k = static_cast<int>(pivot_row.size()) - 1; k >= 0; --k)
            if (live[k]) solve_pivot(k);
    }
    out.count = count;
    v.count = 0;
}

void LuFactors::solve_ut(SparseVector& v, SparseVector& out, bool hyper, int first_pivot) const {
    assert(out.count == 0);
    double* value = v.value.data();
    double* out_value = out.value.data();
    int* out_index = out.index.data();
    int count = 0;
    const int* row_of_pivot = pivot_row.data();
    const int* position_of_pivot = pivot_position.data();
    const double* diagonal = pivot_value.data();
    const int* start = ur_start.data();
    const int* length = ur_count.data();
    const int* position = ur_position.data();
    const double* entry = ur_value.data();
    const double drop = options.drop_tolerance;
    const auto solve_pivot = [&](int k) {
        const int p = position_of_pivot[k];
        double x = value[p];
        if (x == 0.0) return;
        value[p] = 0.0;
        x /= diagonal[k];
        if (std::fabs(x) <= drop) return;
        const int r = row_of_pivot[k];
        out_value[r] = x;
        out_index[count++] = r;
        const int end = start[r] + length[r];
        for (int e = start[r]; e < end; ++e) value[position[e]] -= entry[e] * x;
    };
    if (hyper) {
        const int reached = find_reach(v, [this](int p) {
            const int r = pivot_row[pivot_of_position[p]];
            return EdgeRange{ur_position.data() + ur_start[r], ur_position.data() + ur_start[r] + ur_count[r]};
        }, work);
        for (int t = reached - 1; t >= 0; --t) {
            const int p = work.reach[t];
            work.mark[p] = 0;
            solve_pivot(pivot_of_position[p]);
        }
    } else {
        const char* live = pivot_live.data();
        const int pivots = static_cast<int>(pivot_row.size());
        for (int k = first_pivot; k < pivots; ++k)
            if (live[k]) solve_pivot(k);
    }
    out.count = count;
    v.count = 0;
}

void LuFactors::solve_row_etas_transposed(SparseVector& v) const {
    if (r_pivot_row.empty()) return;
    list_once(v);
    const int* start = r_start.data();
    const int* row = r_row.data();
    const double* multiplier = r_value.data();
    char* mark = work.mark.data();
    double* value = v.value.data();
    int* index = v.index.data();
    int count = v.count;
    for (int eta = static_cast<int>(r_pivot_row.size()) - 1; eta >= 0; --eta) {
        const double x = value[r_pivot_row[eta]];
        if (x == 0.0) continue;
        const int end = start[eta + 1];
        for (int e = start[eta]; e < end; ++e) {
            const int i = row[e];
            if (!mark[i]) {
                mark[i] = 1;
                index[count++] = i;
            }
            value[i] -= multiplier[e] * x;
        }
    }
    v.count = count;
    unmark(v);
}

void LuFactors::solve_lt(SparseVector& v, bool hyper) const {
    if (lt_order.empty()) return;
    if (hyper) {
        const int reached = find_reach(v, [this](int r) {
            return EdgeRange{lt_row.data() + lt_start[r], lt_row.data() + lt_start[r + 1]};
        }, work);
        for (int t = reached - 1; t >= 0; --t) {
            const int r = work.reach[t];
            work.mark[r] = 0;
            v.index[reached - 1 - t] = r;
            const double x = v.value[r];
            if (x == 0.0) continue;
            for (int e = lt_start[r]; e < lt_start[r + 1]; ++e) v.value[lt_row[e]] -= lt_value[e] * x;
        }
        v.count = reached;
        return;
    }
    list_once(v);
    const int* start = lt_start.data();
    const int* row = lt_row.data();
    const double* multiplier = lt_value.data();
    char* mark = work.mark.data();
    double* value = v.value.data();
    int* index = v.index.data();
    int count = v.count;
    for (const int r : lt_order) {
        const double x = value[r];
        if (x == 0.0) continue;
        const int end = start[r + 1];
        for (int e = start[r]; e < end; ++e) {
            const int i = row[e];
            if (!mark[i]) {
                mark[i] = 1;
                index[count++] = i;
            }
            value[i] -= multiplier[e] * x;
        }
    }
    v.count = count;
    unmark(v);
}

namespace {

// A vector from outside: a list of the right length, rebuilt when unknown.
void prepare(SparseVector& v, int rows) {
    assert(v.size() == rows);
    if (static_cast<int>(v.index.size()) < rows) v.index.resize(rows);
    if (v.count < 0) v.rebuild_index();
}

double largest_listed(const SparseVector& v) {
    double largest = 0;
    for (int s = 0; s < v.count; ++s) largest = std::fmax(largest, std::fabs(v.value[v.index[s]]));
    return largest;
}

// Hands the permuted result of a U stage to `v`, whose values are all zero
// by then; `out` keeps v's arrays as the next scratch.
void take_result(SparseVector& v, SparseVector& out) {
    std::swap(v.value, out.value);
    std::swap(v.index, out.index);
    v.count = out.count;
    out.count = 0;
}

}  // namespace

void LuFactors::ftran_lower(SparseVector& rhs, double density) const {
    solve_l(rhs, use_hyper(rhs, density) && static_cast<int>(l_pivot_row.size()) > 2 * rhs.count);
    solve_row_etas(rhs);
    drop_small(rhs);
}

void LuFactors::ftran_upper(SparseVector& rhs, double density) const {
    solve_u(rhs, work.result, use_hyper(rhs, density));
    take_result(rhs, work.result);
}

void LuFactors::ftran(SparseVector& rhs, double density) const {
    assert(built);
    prepare(rhs, rows);
    ftran_lower(rhs, density);
    ftran_upper(rhs, density);
}

void LuFactors::ftran_for_update(SparseVector& rhs, double density) {
    assert(built);
    prepare(rhs, rows);
    spike_column_largest = largest_listed(rhs);
    ftran_lower(rhs, density);
    spike.clear();
    for (int t = 0; t < rhs.count; ++t) {
        const int i = rhs.index[t];
        spike.value[i] = rhs.value[i];
        spike.index[t] = i;
    }
    spike.count = rhs.count;
    spike_largest = largest_listed(spike);
    ftran_upper(rhs, density);
    spike_result_largest = largest_listed(rhs);
    spike_ready = true;
}

void LuFactors::btran(SparseVector& rhs, double density) const {
    assert(built);
    prepare(rhs, rows);
    solve_ut(rhs, work.result, use_hyper(rhs, density), 0);
    take_result(rhs, work.result);
    solve_row_etas_transposed(rhs);
    solve_lt(rhs, use_hyper(rhs, density) && static_cast<int>(lt_order.size()) > 2 * rhs.count);
    drop_small(rhs);
}

}  // namespace lpsens::factor::detail
