#include "simplex/pivot.h"

namespace lpsens {

int choose_phase1_column(const Workspace& ws) {
    StoredReal best = column_threshold;
    int result = 0;
    for (int j = 1; j <= ws.column_count(); ++j)
        if (ws.phase1_row[j].value < best.value) {
            best = ws.phase1_row[j];
            result = j;
        }
    return result;
}

int choose_phase2_column(const Workspace& ws, const std::vector<char>* barred) {
    StoredReal best = column_threshold;
    int result = 0;
    const StoredReal* objective = ws.tableau.row(0);
    for (int j = 1; j <= ws.column_count(); ++j)
        if (load_real(ws.phase1_row[j]) < pivot_tolerance && objective[j].value < best.value &&
            (barred == nullptr || !(*barred)[j])) {
            best = objective[j];
            result = j;
        }
    return result;
}

int choose_leaving_row(const Workspace& ws, int s) {
    StoredReal best = ratio_ceiling;
    int result = 0;
    for (int i = 1; i <= ws.row_count; ++i) {
        const Extended entry = load_real(ws.tableau(i, s));
        if (!(entry > pivot_tolerance)) continue;
        const Extended q = load_real(ws.tableau(i, 0)) / entry;
        if (q < load_real(best)) {
            store_real(q, best, Site::ratio_test);
            result = i;
        }
    }
    return result;
}

std::int32_t& origin_of(Workspace& ws, int c) {
    if (c < code::slack_base) return ws.column_origin[c];
    if (c > code::surplus_base) return ws.column_origin[ws.var_count + (c - code::surplus_base)];
    return ws.row_origin[code_index(c)];
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

}  // namespace

void pivot(Workspace& ws, int r, int s) {
    const int last = ws.column_count();
    StoredReal* pivot_row = ws.tableau.row(r);
    const Extended p = load_real(pivot_row[s]);
    for (int j = 0; j <= last; ++j) store_real(load_real(pivot_row[j]) / p, pivot_row[j], Site::pivot_row);
    store_real(1 / p, pivot_row[s], Site::pivot_row);

    for (int i = 0; i <= ws.row_count; ++i) {
        if (i == r) continue;
        StoredReal* row = ws.tableau.row(i);
        const Extended f = load_real(row[s]);
        if (ws.skip_zero_work && f == 0) continue;  // every entry minus zero stays as it is
        eliminate(row, pivot_row, f, last, s, ws.skip_zero_work, Site::pivot_other_rows);
    }
    const Extended g = load_real(ws.phase1_row[s]);
    if (!(ws.skip_zero_work && g == 0))
        eliminate(ws.phase1_row.data(), pivot_row, g, last, s, ws.skip_zero_work, Site::pivot_phase1_row);

    const int leaving = ws.basis_label[r];
    const int entering = ws.column_label[s];
    ws.basis_label[r] = entering;
    ws.column_label[s] = leaving;
    origin_of(ws, leaving) = -s;
    origin_of(ws, entering) = r;
}

}  // namespace lpsens
