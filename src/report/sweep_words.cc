#include "report/sweep_words.h"

#include <cmath>
#include <cstdio>

namespace lpsens {

namespace {

// 15 significant digits, as the readable report writes numbers.
std::string number(double x) {
    if (x == 0) return "0";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", x);
    return buf;
}

}  // namespace

std::vector<double> item_values_at(const SweptItems& items, const sweep::Result& result, double t) {
    for (const sweep::Record& r : result.records)
        if (r.t == t) return r.items;
    std::vector<double> values;
    for (std::size_t k = 0; k < items.names.size(); ++k)
        values.push_back(t >= 1 ? items.ends[k] : items.starts[k] + t * (items.ends[k] - items.starts[k]));
    return values;
}

std::string where_words(const SweptItems& items, const std::vector<double>& values, double t) {
    std::string list;
    for (std::size_t k = 0; k < items.names.size(); ++k)
        list += (k ? ", " : "") + items.names[k] + " = " + number(values[k]);
    return items.names.size() == 1 ? list : "t = " + number(t) + " (" + list + ")";
}

std::string end_words(const SweptItems& items, const sweep::Result& result, long max_records) {
    const std::string where = where_words(items, item_values_at(items, result, result.end_t), result.end_t);
    switch (result.end) {
        case sweep::EndReason::end: return "it reached the end, " + where;
        case sweep::EndReason::infeasible:
            return result.records.empty() ? "no feasible solution anywhere on the sweep"
                                          : "no feasible solution beyond " + where;
        case sweep::EndReason::unbounded:
            return result.records.empty() ? "the objective is unbounded everywhere on the sweep"
                                          : "the objective is unbounded beyond " + where;
        case sweep::EndReason::record_limit:
            return "stopped at the limit of " + std::to_string(max_records) + " records at " + where +
                   " (--max-records sets another)";
        case sweep::EndReason::exchange_limit:
            return "stopped at the exchange limit at " + where + " (--max-exchanges sets another)";
        case sweep::EndReason::time_limit: return "stopped at the time limit at " + where;
        case sweep::EndReason::numerical_trouble: return "stopped by numerical trouble at " + where;
    }
    return "";
}

std::string before_words(const SweptItems& items, const sweep::Result& result) {
    if (!result.before || result.records.empty()) return "";
    const sweep::Stretch& s = *result.before;
    const std::string what =
        s.reason == sweep::EndReason::unbounded ? "the objective is unbounded" : "no feasible solution";
    const std::vector<double> from = item_values_at(items, result, s.from), to = item_values_at(items, result, s.to);
    if (items.names.size() == 1)
        return what + " for " + items.names[0] + " from " + number(from[0]) + " to " + number(to[0]);
    return what + " from " + where_words(items, from, s.from) + " to " + where_words(items, to, s.to);
}

}  // namespace lpsens
