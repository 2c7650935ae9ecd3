// The LP as the presolve changes it: entries by column and by row, rows and
// columns switched off as they leave (their entries stay in the lists and
// are passed over), counts of the entries still in play, and the bounds
// and costs as the reductions have moved them.
#pragma once

#include <vector>

#include "presolve/presolve.h"
#include "revised/lp_data.h"

namespace lpsens::presolve {

// The least and greatest activity of a row over the column bounds: the
// finite part and how many entries contribute an infinite one.
struct Activity {
    double min = 0, max = 0;
    int min_infinite = 0, max_infinite = 0;
    double lowest() const { return min_infinite > 0 ? -revised::infinity : min; }
    double highest() const { return max_infinite > 0 ? revised::infinity : max; }
};

class WorkLp {
public:
    explicit WorkLp(const revised::LpData& lp);

    int rows, cols;
    double sense;  // +1 to minimise, -1 to maximise
    double offset;
    std::vector<std::vector<Entry>> by_col, by_row;
    std::vector<char> row_on, col_on;
    std::vector<int> row_count, col_count;
    std::vector<double> cost, col_lower, col_upper, row_lower, row_upper;

    void remove_row(int i);
    void remove_col(int j);
    // Adds `delta` to the entry (i, j), making it when there is none and
    // dropping it when it cancels to rounding noise.
    void add_to_entry(int i, int j, double delta);
    // Changes a column's bounds (the rows it is in see new activities).
    void set_col_bounds(int j, double lower, double upper);
    // The row's activity bounds, kept until the row or one of its columns
    // changes.
    const Activity& activity(int i);
    void touch_row(int i) { ++row_version_[i]; }
    void touch_col_rows(int j);

    // The first entry of row i in an active column (for singletons).
    const Entry* first_in_row(int i) const;

    // Entries passed over so far looking for an entry in a row (the
    // substitutions' cost; a long row met often makes it grow).
    long long scanned() const { return scanned_; }

private:
    long long scanned_ = 0;
    std::vector<unsigned> row_version_, activity_version_;
    std::vector<Activity> activity_;
};

// The contribution of a*x for x in [lower, upper] to an activity.
void add_to_activity(Activity& a, double coef, double lower, double upper, int sign = 1);

}  // namespace lpsens::presolve
