// The nucleus: what the singleton pivots left, factorised by Gaussian
// elimination with Markowitz pivot choice and a relative threshold test.
// Each pivot is searched among the columns and rows of fewest active entries
// (count 1, 2, ...), a few of them only once a candidate is known; a
// candidate must be at least pivot_threshold times the largest active entry
// of its column; of those the one of least (column count - 1) x (row count -
// 1) wins. Values are kept column by column, the pattern also row by row.
#include <cmath>
#include <limits>

#include "factor/lu_factors.h"

namespace lpsens::factor::detail {

namespace {

// Columns or rows of the active submatrix chained by their count of entries.
class CountLists {
public:
    void reset(int size, int largest_count) {
        head_.assign(largest_count + 1, -1);
        next_.assign(size, -1);
        previous_.assign(size, -1);
        count_of_.assign(size, -1);
    }
    void insert(int x, int count) {
        count_of_[x] = count;
        previous_[x] = -1;
        next_[x] = head_[count];
        if (head_[count] >= 0) previous_[head_[count]] = x;
        head_[count] = x;
    }
    void remove(int x) {
        const int count = count_of_[x];
        if (count < 0) return;
        if (previous_[x] >= 0)
            next_[previous_[x]] = next_[x];
        else
            head_[count] = next_[x];
        if (next_[x] >= 0) previous_[next_[x]] = previous_[x];
        count_of_[x] = -1;
    }
    void move(int x, int count) {
        remove(x);
        insert(x, count);
    }
    int first(int count) const { return head_[count]; }
    int after(int x) const { return next_[x]; }
    int largest_count() const { return static_cast<int>(head_.size()) - 1; }

private:
    std::vector<int> head_;      // by count: first member or -1
    std::vector<int> next_;      // by member
    std::vector<int> previous_;  // by member
    std::vector<int> count_of_;  // by member: the list it is in, or -1
};

// The active submatrix, indexed by the rows and positions of the basis.
struct Nucleus {
    std::vector<int> col_start, col_count, col_room;  // by position
    std::vector<int> col_row;
    std::vector<double> col_value;
    // Rows keep the pattern only, and leave the entries of columns that
    // left the active submatrix in place (skipped by col_live) until the row
    // moves: row_length counts the stored entries, row_count the live ones.
    std::vector<int> row_start, row_length, row_count, row_room;  // by row
    std::vector<char> col_live;  // by position: in the active submatrix
    std::vector<int> row_position;
    std::vector<double> col_largest;         // by position, valid when known
    std::vector<char> col_largest_known;     // by position
    CountLists col_lists;
    CountLists row_lists;
    std::vector<double> multiplier;  // by row: of the pivot column
    std::vector<int> multiplier_stamp;
    std::vector<int> seen_stamp;     // by row
    int stamp = 0;
    // A row none of whose entries passes the threshold test is parked: out
    // of the count lists until one of its columns changes (in values or in
    // its largest entry), when the step that changes it lists it again.
    std::vector<char> row_parked;  // by row

    void park_row(int r) {
        row_lists.remove(r);
        row_parked[r] = 1;
    }
    void relist_row(int r) {
        row_parked[r] = 0;
        row_lists.move(r, row_count[r]);
    }

    void append_to_column(int p, int r, double v) {
        if (col_count[p] == col_room[p]) {
            const int start = static_cast<int>(col_row.size());
            const int room = 2 * col_count[p] + 4;
            col_row.resize(col_row.size() + static_cast<std::size_t>(room));
            col_value.resize(col_row.size());
            for (int e = 0; e < col_count[p]; ++e) {
                col_row[start + e] = col_row[col_start[p] + e];
                col_value[start + e] = col_value[col_start[p] + e];
            }
            col_start[p] = start;
            col_room[p] = room;
        }
        const int slot = col_start[p] + col_count[p]++;
        col_row[slot] = r;
        col_value[slot] = v;
    }
    void append_to_row(int r, int p) {
        if (row_length[r] == row_room[r]) {
            // Moves the row to the end with room, leaving the dead entries.
            const int start = static_cast<int>(row_position.size());
            const int room = 2 * row_count[r] + 4;
            row_position.resize(row_position.size() + static_cast<std::size_t>(room));
            int length = 0;
            for (int e = row_start[r]; e < row_start[r] + row_length[r]; ++e)
                if (col_live[row_position[e]]) row_position[start + length++] = row_position[e];
            row_start[r] = start;
            row_length[r] = length;
            row_room[r] = room;
        }
        row_position[row_start[r] + row_length[r]++] = p;
        ++row_count[r];
    }
    // Finds entry (r, p); removes it from column p when `take`.
    double column_entry(int p, int r, bool take) {
        const int begin = col_start[p];
        const int last = begin + col_count[p] - 1;
        for (int e = begin; e <= last; ++e)
            if (col_row[e] == r) {
                const double v = col_value[e];
                if (take) {
                    col_row[e] = col_row[last];
                    col_value[e] = col_value[last];
                    --col_count[p];
                }
                return v;
            }
        return 0.0;
    }
    double largest_in_column(int p) {
        if (!col_largest_known[p]) {
            double largest = 0;
            for (int e = col_start[p]; e < col_start[p] + col_count[p]; ++e)
                if (std::fabs(col_value[e]) > largest) largest = std::fabs(col_value[e]);
            col_largest[p] = largest;
            col_largest_known[p] = 1;
        }
        return col_largest[p];
    }
};

struct Candidate {
    int row = -1;
    int position = -1;
    double value = 0;
    double cost = std::numeric_limits<double>::infinity();
};

// Takes a column none of whose entries can be a pivot out of the active
// submatrix; it stays without a pivot and gets a logical.
__attribute__((noinline)) void drop_column(Nucleus& n, int p) {
    for (int e = n.col_start[p]; e < n.col_start[p] + n.col_count[p]; ++e) {
        const int r = n.col_row[e];
        --n.row_count[r];
        n.relist_row(r);
    }
    n.col_live[p] = 0;
    n.col_count[p] = 0;
    n.col_lists.remove(p);
}

__attribute__((noinline)) Candidate search_pivot(Nucleus& n, const FactorOptions& options) {
    Candidate best;
    int searched = 0;
    const double threshold = options.pivot_threshold;
    const double tolerance = options.pivot_tolerance;
    for (int count = 1; count <= n.col_lists.largest_count(); ++count) {
        const double count_less = count - 1;
        for (int p = n.col_lists.first(count); p >= 0;) {
            const int next = n.col_lists.after(p);
            const double largest = n.largest_in_column(p);
            if (largest < tolerance) {
                drop_column(n, p);
                p = next;
                continue;
            }
            for (int e = n.col_start[p]; e < n.col_start[p] + n.col_count[p]; ++e) {
                const double v = std::fabs(n.col_value[e]);
                if (v < threshold * largest || v < tolerance) continue;
                const int r = n.col_row[e];
                const double cost = count_less * (n.row_count[r] - 1);
                if (cost < best.cost || (cost == best.cost && v > std::fabs(best.value))) {
                    best = {r, p, n.col_value[e], cost};
                }
            }
            if (best.row >= 0 && (best.cost <= count_less * count_less || ++searched >= options.search_limit))
                return best;
            p = next;
        }
        if (count > n.row_lists.largest_count()) continue;
        for (int r = n.row_lists.first(count); r >= 0;) {
            const int next = n.row_lists.after(r);
            bool candidate = false;
            for (int e = n.row_start[r]; e < n.row_start[r] + n.row_length[r]; ++e) {
                const int p = n.row_position[e];
                if (!n.col_live[p]) continue;
                const double value = n.column_entry(p, r, false);
                const double v = std::fabs(value);
                if (v < tolerance || v < threshold * n.largest_in_column(p)) continue;
                candidate = true;
                const double cost = count_less * (n.col_count[p] - 1);
                if (cost < best.cost || (cost == best.cost && v > std::fabs(best.value))) best = {r, p, value, cost};
            }
            if (!candidate) n.park_row(r);
            if (best.row >= 0 && (best.cost <= count_less * count || ++searched >= options.search_limit))
                return best;
            r = next;
        }
    }
    return best;
}

// One elimination step: L gets the pivot column divided by the pivot, U the
// rest of the pivot row, and every other row of the pivot column is updated
// by its multiple of the pivot row, with fill where it had no entry.
void eliminate(Nucleus& n, BasisCopy& c, PivotSequence& s, const Candidate& pivot) {
    const int r = pivot.row;
    const int p = pivot.position;
    s.open_pivot(r, p, pivot.value);
    const int l_begin = static_cast<int>(s.l_row.size());
    const int multiplier_stamp = ++n.stamp;
    for (int e = n.col_start[p]; e < n.col_start[p] + n.col_count[p]; ++e) {
        const int i = n.col_row[e];
        if (i == r) continue;
        --n.row_count[i];
        if (n.col_value[e] == 0.0) continue;
        const double l = n.col_value[e] / pivot.value;
        n.multiplier[i] = l;
        n.multiplier_stamp[i] = multiplier_stamp;
        s.l_row.push_back(i);
        s.l_value.push_back(l);
    }
    const int l_end = static_cast<int>(s.l_row.size());
    const int u_begin = static_cast<int>(s.u_position.size());
    for (int e = n.row_start[r]; e < n.row_start[r] + n.row_length[r]; ++e) {
        const int q = n.row_position[e];
        if (q == p || !n.col_live[q]) continue;
        const double u = n.column_entry(q, r, true);
        s.u_position.push_back(q);
        s.u_value.push_back(u);
    }
    const int u_end = static_cast<int>(s.u_position.size());
    const int column_begin = n.col_start[p];
    const int column_end = column_begin + n.col_count[p];
    n.col_lists.remove(p);
    n.row_lists.remove(r);
    n.col_count[p] = 0;
    n.row_count[r] = 0;
    n.col_live[p] = 0;
    c.col_active[p] = 0;
    c.row_active[r] = 0;

    for (int ue = u_begin; ue < u_end; ++ue) {
        const int q = s.u_position[ue];
        const double u = s.u_value[ue];
        const int seen = ++n.stamp;
        if (u != 0.0) {
            // Raw pointers: nothing in this loop moves the arrays, and the
            // compiler cannot know that through the vectors.
            const int* column_row = n.col_row.data() + n.col_start[q];
            double* column_value = n.col_value.data() + n.col_start[q];
            const int column_count = n.col_count[q];
            const int* stamp_of_row = n.multiplier_stamp.data();
            const double* multiplier = n.multiplier.data();
            int* seen_of_row = n.seen_stamp.data();
            for (int e = 0; e < column_count; ++e) {
                const int i = column_row[e];
                if (n.row_parked[i]) n.relist_row(i);
                if (stamp_of_row[i] != multiplier_stamp) continue;
                column_value[e] -= multiplier[i] * u;
                seen_of_row[i] = seen;
            }
            for (int le = l_begin; le < l_end; ++le) {
                const int i = s.l_row[le];
                if (n.seen_stamp[i] == seen) continue;
                n.append_to_column(q, i, -n.multiplier[i] * u);
                n.append_to_row(i, q);
            }
        }
        n.col_largest_known[q] = 0;
        n.col_lists.move(q, n.col_count[q]);
    }
    for (int e = column_begin; e < column_end; ++e) {
        const int i = n.col_row[e];
        if (i != r) n.relist_row(i);
    }
    s.close_pivot();
}

}  // namespace

void LuFactors::factorise_nucleus() {
    BasisCopy& c = copy;
    int size = 0;
    for (int p = 0; p < rows; ++p) size += c.col_active[p];
    stats.nucleus_rows = size;
    if (size == 0) return;

    Nucleus n;
    const int m = rows;
    n.col_start.assign(m, 0);
    n.col_count.assign(m, 0);
    n.col_room.assign(m, 0);
    n.row_start.assign(m, 0);
    n.row_count.assign(m, 0);
    n.row_length.assign(m, 0);
    n.col_live.assign(m, 0);
    n.row_room.assign(m, 0);
    n.col_largest.assign(m, 0);
    n.col_largest_known.assign(m, 0);
    n.multiplier.assign(m, 0);
    n.multiplier_stamp.assign(m, 0);
    n.seen_stamp.assign(m, 0);
    n.row_parked.assign(m, 0);
    for (int p = 0; p < rows; ++p) {
        if (!c.col_active[p]) continue;
        n.col_start[p] = static_cast<int>(n.col_row.size());
        for (int e = c.col_start[p]; e < c.col_start[p + 1]; ++e) {
            const int r = c.col_row[e];
            if (!c.row_active[r]) continue;
            n.col_row.push_back(r);
            n.col_value.push_back(c.col_value[e]);
            ++n.row_count[r];
        }
        n.col_count[p] = static_cast<int>(n.col_row.size()) - n.col_start[p];
        n.col_room[p] = n.col_count[p] + 4;
        n.col_row.resize(n.col_row.size() + 4);
        n.col_value.resize(n.col_row.size());
    }
    for (int r = 0; r < rows; ++r) {
        if (!c.row_active[r]) continue;
        n.row_start[r] = static_cast<int>(n.row_position.size());
        n.row_room[r] = n.row_count[r] + 4;
        n.row_position.resize(n.row_position.size() + static_cast<std::size_t>(n.row_room[r]));
        n.row_count[r] = 0;
    }
    for (int p = 0; p < rows; ++p)
        for (int e = n.col_start[p]; e < n.col_start[p] + n.col_count[p]; ++e) {
            const int r = n.col_row[e];
            n.row_position[n.row_start[r] + n.row_count[r]++] = p;
            n.row_length[r] = n.row_count[r];
        }
    for (int p = 0; p < rows; ++p) n.col_live[p] = c.col_active[p];
    n.col_lists.reset(rows, size);
    n.row_lists.reset(rows, size);
    for (int p = 0; p < rows; ++p)
        if (c.col_active[p]) n.col_lists.insert(p, n.col_count[p]);
    for (int r = 0; r < rows; ++r)
        if (c.row_active[r]) n.row_lists.insert(r, n.row_count[r]);

    for (int step = 0; step < size; ++step) {
        const Candidate pivot = search_pivot(n, options);
        if (pivot.row < 0) break;
        eliminate(n, c, sequence, pivot);
    }
}

}  // namespace lpsens::factor::detail
