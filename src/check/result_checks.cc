#include "check/result_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "basis/basis_solution.h"
#include "numeric/report_fields.h"

namespace lpsens {

namespace {

constexpr Extended absolute_tolerance = 0.00001L;
constexpr Extended relative_tolerance = 1e-7L;
// Farkas certificates and rays: wrong signs up to this times the scale are
// taken for rounding.
constexpr Extended certificate_tolerance = 1e-9L;
constexpr std::size_t findings_per_kind = 3;

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::string number(Extended x, int digits = 6) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Lg", digits, x);
    return buf;
}

std::string variable_name(const DocumentedForm& form, const DoubleForm& p, VariableId v) {
    if (v.is_structural()) return "variable " + quoted(form.column_name(v.index));
    if (v.is_surplus()) return "the surplus of row " + quoted(form.row_name(p.logical_row(v)));
    const std::string row = quoted(form.row_name(v.index));
    return (v.is_artificial() ? "the artificial variable of row " : "the slack of row ") + row;
}

// The unit of the last digit the real field prints for x, width `width` with
// 3 decimals: 0.001, or coarser where 18 significant digits or the scientific
// form cut it.
Extended printed_unit(Extended x, int width) {
    const Extended magnitude = std::fabs(x);
    if (magnitude == 0) return 0.001L;
    const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    if (magnitude >= std::ldexp(1.0L, 120)) return std::pow(10.0L, exponent - std::clamp(width - 8, 2, 18) + 1);
    return std::max(0.001L, std::pow(10.0L, exponent - 17));
}

// Collects findings of one kind, keeping the worst few and a count.
class FindingList {
public:
    void add(double size, std::string text) {
        ++count_;
        items_.push_back({size, std::move(text)});
    }
    void flush(std::vector<std::string>& out, const char* one_more, const char* more) {
        std::stable_sort(items_.begin(), items_.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        for (std::size_t i = 0; i < items_.size() && i < findings_per_kind; ++i) out.push_back(items_[i].second);
        if (count_ > findings_per_kind) {
            const std::size_t rest = count_ - findings_per_kind;
            out.push_back("... and " + std::to_string(rest) + " more " + (rest == 1 ? one_more : more));
        }
    }

private:
    std::size_t count_ = 0;
    std::vector<std::pair<double, std::string>> items_;
};

// The levels and prices of every variable of a basis, recomputed.
struct Recomputed {
    std::vector<Extended> column_level, column_price;  // 1..N+K2
    std::vector<Extended> row_level, row_price;        // 1..M
    std::vector<Extended> y;                           // duals by row
    Extended objective = 0;
};

Extended& level_of(Recomputed& r, int n, VariableId v) {
    if (v.is_structural()) return r.column_level[v.index];
    if (v.is_surplus()) return r.column_level[n + v.index];
    return r.row_level[v.index];
}

Extended& price_of(Recomputed& r, int n, VariableId v) {
    if (v.is_structural()) return r.column_price[v.index];
    if (v.is_surplus()) return r.column_price[n + v.index];
    return r.row_price[v.index];
}

// The dual value a nonbasic code's price is made of: y^T column - cost.
Extended price_for(const DoubleForm& p, const std::vector<double>& objective, VariableId v,
                   const std::vector<Extended>& y, Extended* scale) {
    if (v.is_structural()) {
        const Extended d = p.dot(v, y, scale) - objective[v.index];
        *scale = std::max({Extended{1}, *scale, std::fabs(static_cast<Extended>(objective[v.index]))});
        return d;
    }
    *scale = 1;
    return p.dot(v, y);
}

void check_printed(const PrintedValues& printed, const Recomputed& r, const DocumentedForm& form, CheckReport& report) {
    FindingList list;
    auto compare = [&](double shown, Extended exact, const std::string& what) {
        const Extended value = std::strtold(format_real(shown, printed.field.width, printed.field.decimals).c_str(), nullptr);
        const Extended unit = printed_unit(value, printed.field.width);
        const Extended spacing = std::ldexp(std::fabs(exact), -39);
        const Extended difference = std::fabs(value - exact);
        const double units = static_cast<double>(difference / unit);
        report.printed_difference = std::max(report.printed_difference, units);
        if (difference > unit + spacing)
            list.add(units, "the printed " + what + " " + number(value, 12) + " differs from its recomputed value " +
                                number(exact, 12) + " by " + number(units, 3) + " units of the last printed digit");
    };
    compare(printed.objective, r.objective, "optimal value");
    for (int j = 1; j <= form.variables(); ++j) {
        compare(printed.column_level[j], r.column_level[j], "level of " + quoted(form.column_name(j)));
        compare(printed.column_price[j], r.column_price[j], "shadow price of " + quoted(form.column_name(j)));
    }
    for (int i = 1; i <= form.rows(); ++i) {
        compare(printed.row_level[i], r.row_level[i], "residual of row " + quoted(form.row_name(i)));
        compare(printed.row_price[i], r.row_price[i], "shadow price of row " + quoted(form.row_name(i)));
    }
    list.flush(report.findings, "printed value", "printed values");
}

// The flaw of multipliers y of the rows as a Farkas certificate of
// infeasibility; empty when they are one.
std::string multiplier_flaw(const DoubleForm& p, const std::vector<double>& rhs, const DocumentedForm& form,
                            std::vector<Extended> y, CheckReport& report) {
    const int m = p.rows;
    Extended largest = 0;
    for (int i = 1; i <= m; ++i) largest = std::max(largest, std::fabs(y[i]));
    const Extended sign_slack = certificate_tolerance * std::max(Extended{1}, largest);
    std::string flaw;
    for (int i = 1; i <= m && flaw.empty(); ++i) {
        Extended& yi = y[i];
        const RowKind kind = p.kind[i];
        const bool wrong = (kind == RowKind::less_or_equal && yi < 0) || (kind == RowKind::greater_or_equal && yi > 0);
        if (!wrong) continue;
        if (std::fabs(yi) <= sign_slack)
            yi = 0;
        else
            flaw = "its multiplier of row " + quoted(form.row_name(i)) + " has the wrong sign (" +
                   number(yi) + ")";
    }
    for (int j = 1; j <= p.variables && flaw.empty(); ++j) {
        Extended scale = 0;
        const Extended d = p.dot(structural_variable(j), y, &scale);
        if (d < -certificate_tolerance * std::max(Extended{1}, scale))
            flaw = "it fails on variable " + quoted(form.column_name(j)) + " (" + number(d) + ")";
    }
    Extended gap = 0;
    Extended gap_scale = 0;
    for (int i = 1; i <= m; ++i) {
        const Extended term = y[i] * rhs[i];
        gap += term;
        gap_scale = std::max(gap_scale, std::fabs(term));
    }
    report.certificate_checked = true;
    report.certificate_bound = gap;
    if (flaw.empty() && !(gap < -relative_tolerance * std::max(Extended{1}, gap_scale)))
        flaw = "its bound " + number(gap) + " is not below zero";
    return flaw;
}

// The flaw of the duals of `basis` for the phase-1 costs `cost` as a Farkas
// certificate of infeasibility; empty when they are one.
std::string certificate_flaw(const DoubleForm& p, const std::vector<double>& rhs, const DocumentedForm& form,
                             const BasisSolution& basis, const std::vector<Extended>& cost, CheckReport& report) {
    return multiplier_flaw(p, rhs, form, basis.solve_transposed(cost), report);
}

// "No feasible solution" with the engine's own certificate.
void check_farkas(const DoubleForm& p, const std::vector<double>& rhs, const DocumentedForm& form,
                  const std::vector<double>& farkas, CheckReport& report) {
    const std::vector<Extended> y(farkas.begin(), farkas.end());
    const std::string flaw = multiplier_flaw(p, rhs, form, y, report);
    if (!flaw.empty())
        report.findings.push_back("\"No feasible solution\" is not proven: the engine's certificate of infeasibility "
                                  "fails, " + flaw);
}

// "Unbounded solution" with the engine's own ray d of the variables: d >= 0,
// every row moves the right way along it (a <= row not up, a >= row not
// down, an equality row not at all) and the objective grows.
void check_ray_direction(const DoubleForm& p, const std::vector<double>& objective, const DocumentedForm& form,
                         const std::vector<double>& d, CheckReport& report) {
    const int m = p.rows, n = p.variables;
    Extended size = 0;
    for (int j = 1; j <= n; ++j) size = std::max(size, std::fabs(static_cast<Extended>(d[j])));
    std::string flaw;
    if (size == 0) flaw = "it is zero";
    std::vector<Extended> move(m + 1, 0), scale(m + 1, 0);
    Extended gain = 0, gain_scale = 0;
    for (int j = 1; j <= n && flaw.empty(); ++j) {
        const Extended dj = d[j] / size;
        if (dj < -certificate_tolerance) flaw = "it lowers " + variable_name(form, p, structural_variable(j)) + " below zero";
        if (dj == 0) continue;
        gain += objective[j] * dj;
        gain_scale = std::max(gain_scale, std::fabs(objective[j] * dj));
        for (int e = p.matrix.start[j]; e < p.matrix.start[j + 1]; ++e) {
            const auto i = static_cast<std::size_t>(p.matrix.row_index[static_cast<std::size_t>(e)]);
            const Extended term = p.matrix.value[e] * dj;
            move[i] += term;
            scale[i] = std::max(scale[i], std::fabs(term));
        }
    }
    for (int i = 1; i <= m && flaw.empty(); ++i) {
        const Extended limit = certificate_tolerance * std::max(Extended{1}, scale[i]);
        const RowKind kind = p.kind[i];
        const bool wrong = (kind != RowKind::greater_or_equal && move[i] > limit) ||
                           (kind != RowKind::less_or_equal && move[i] < -limit);
        if (wrong) flaw = "along it row " + quoted(form.row_name(i)) + " leaves its bounds";
    }
    if (flaw.empty() && !(gain > certificate_tolerance * std::max(Extended{1}, gain_scale)))
        flaw = "the objective does not grow along it (" + number(gain) + ")";
    if (!flaw.empty())
        report.findings.push_back("\"Unbounded solution\" is not proven: the engine's ray fails: " + flaw);
}

// "No feasible solution": the duals of the final phase-1 basis must prove it.
// Phase 1 may have minimised the sum of the artificial variables (cost -1 on
// every basic one) or the sum of the infeasibilities (cost -1 on a positive
// artificial variable, +1 on any negative basic variable), or the basis may
// hold one row that nothing can repair; any of these proofs will do.
void check_infeasibility(const DoubleForm& p, const std::vector<double>& rhs, const DocumentedForm& form,
                         const std::vector<VariableId>& basic, const BasisSolution& basis, CheckReport& report) {
    const int m = p.rows;
    std::vector<Extended> cost(m + 1, 0);
    for (int q = 1; q <= m; ++q)
        if (basic[q].is_artificial()) cost[q] = -1;
    std::string flaw = certificate_flaw(p, rhs, form, basis, cost, report);
    if (flaw.empty()) return;
    std::vector<Extended> b(m + 1, 0);
    for (int i = 1; i <= m; ++i) b[i] = rhs[i];
    const std::vector<Extended> values = basis.solve(b);
    for (int q = 1; q <= m; ++q) {
        const Extended v = values[q];
        const bool artificial = basic[q].is_artificial();
        // An artificial variable is infeasible on either side of zero.
        cost[q] = v < -absolute_tolerance ? 1 : artificial && v > absolute_tolerance ? -1 : 0;
    }
    CheckReport second;
    if (certificate_flaw(p, rhs, form, basis, cost, second).empty()) {
        report.certificate_bound = second.certificate_bound;
        return;
    }
    // A single infeasible row of the final tableau that no column can repair
    // proves it alone (the row of B^-1 is the certificate); the worst first.
    std::vector<std::pair<Extended, int>> rows;
    for (int q = 1; q <= m; ++q)
        if (cost[q] != 0)
            rows.push_back({std::fabs(values[q]), q});
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (rows.size() > 50) rows.resize(50);
    for (const auto& [size, q] : rows) {
        std::vector<Extended> single(m + 1, 0);
        single[q] = cost[q];
        if (certificate_flaw(p, rhs, form, basis, single, second).empty()) {
            report.certificate_bound = second.certificate_bound;
            return;
        }
    }
    report.findings.push_back("\"No feasible solution\" is not proven: the duals of the final phase-1 basis are no "
                              "certificate of infeasibility, " + flaw);
}

// "Unbounded solution": the entering column must be a ray of the problem.
void check_ray(const DoubleForm& p, const std::vector<double>& objective, const DocumentedForm& form,
               const SolveResult& result, const BasisSolution& basis, CheckReport& report) {
    const int m = p.rows;
    const VariableId entering = result.ray;
    std::vector<Extended> column(m + 1, 0);
    Extended gain = 0;
    p.for_each_entry(entering, [&](int row, double a) { column[row] = a; });
    if (entering.is_structural()) gain = objective[entering.index];
    const std::vector<Extended> w = basis.solve(column);
    Extended size = 1;
    for (int q = 1; q <= m; ++q) size = std::max(size, std::fabs(w[q]));
    std::string flaw;
    if (entering.is_artificial()) flaw = "it would raise " + variable_name(form, p, entering);
    for (int q = 1; q <= m && flaw.empty(); ++q) {
        const VariableId c = result.basis[q];
        const Extended move = -w[q] / size;  // change of the basic variable per step
        if (c.is_structural()) gain += objective[c.index] * -w[q];
        const bool wrong = c.is_artificial() ? std::fabs(move) > certificate_tolerance : move < -certificate_tolerance;
        if (wrong) flaw = "along it " + variable_name(form, p, c) + " leaves its bounds";
    }
    if (flaw.empty() && !(gain / size > certificate_tolerance))
        flaw = "the objective does not grow along it (" + number(gain / size) + ")";
    if (!flaw.empty())
        report.findings.push_back("\"Unbounded solution\" is not proven: the unbounded column is no ray of the problem: " + flaw);
}

// The levels of the basis's variables (`values` by position) and the
// objective, solved from the problem.
Recomputed recompute_levels(const DoubleForm& p, const std::vector<double>& rhs, const std::vector<double>& objective,
                            const SolveResult& result, const BasisSolution& basis, std::vector<Extended>& values) {
    const int m = p.rows;
    const int n = p.variables;
    const int columns = n + p.surplus_count();
    std::vector<Extended> b(m + 1, 0);
    for (int i = 1; i <= m; ++i) b[i] = rhs[i];
    values = basis.solve(b);
    Recomputed r;
    r.column_level.assign(columns + 1, 0);
    r.column_price.assign(columns + 1, 0);
    r.row_level.assign(m + 1, 0);
    r.row_price.assign(m + 1, 0);
    for (int q = 1; q <= m; ++q) level_of(r, n, result.basis[q]) = values[q];
    r.objective = objective[0];
    for (int j = 1; j <= n; ++j) r.objective += objective[j] * r.column_level[j];
    return r;
}

// Primal feasibility: every basic variable within its bounds.
void check_primal(const DoubleForm& p, const std::vector<double>& rhs, const DocumentedForm& form,
                  const SolveResult& result, const std::vector<Extended>& values, const Recomputed& r,
                  CheckReport& report) {
    const int m = p.rows;
    const int n = p.variables;
    Extended largest_x = 1;
    for (int j = 1; j <= n; ++j) largest_x = std::max(largest_x, std::fabs(r.column_level[j]));
    std::vector<Extended> row_scale(m + 1, 1);
    for (int i = 1; i <= m; ++i) row_scale[i] = std::max<Extended>(1, std::fabs(rhs[i]));
    for (int j = 1; j <= n; ++j)
        for (int e = p.matrix.start[j]; e < p.matrix.start[j + 1]; ++e) {
            Extended& scale = row_scale[p.matrix.row_index[e]];
            scale = std::max(scale, std::fabs(p.matrix.value[e] * r.column_level[j]));
        }
    FindingList primal;
    bool primal_ok = true;
    for (int q = 1; q <= m; ++q) {
        const VariableId c = result.basis[q];
        const Extended v = values[q];
        Extended scale = largest_x;
        if (!c.is_structural()) scale = row_scale[p.logical_row(c)];
        const Extended violation = c.is_artificial() ? std::fabs(v) : -v;
        const double relative = static_cast<double>(std::max<Extended>(0, violation) / scale);
        report.primal_infeasibility = std::max(report.primal_infeasibility, relative);
        if (violation <= absolute_tolerance + relative_tolerance * scale) continue;
        primal_ok = false;
        primal.add(relative, c.is_artificial() ? variable_name(form, p, c) + " is " + number(v) + ", not zero"
                                               : variable_name(form, p, c) + " is " + number(v) + ", below zero");
    }
    primal.flush(report.findings, "infeasibility", "infeasibilities");
    report.feasible = primal_ok;
}

// The prices of the basis, and optimality: no nonbasic column that could
// still raise the objective (an artificial variable's barred ones aside).
void check_dual(const DoubleForm& p, const std::vector<double>& objective, const DocumentedForm& form,
                const SolveResult& result, const BasisSolution& basis, Recomputed& r, CheckReport& report) {
    const int m = p.rows;
    const int n = p.variables;
    const int columns = n + p.surplus_count();
    const Status outcome = result.status;
    std::vector<Extended> cost(m + 1, 0);
    for (int q = 1; q <= m; ++q) {
        const VariableId c = result.basis[q];
        if (c.is_structural()) cost[q] = objective[c.index];
    }
    r.y = basis.solve_transposed(cost);
    // Phase 2 bars the columns that would raise a basic artificial variable
    // (at zero) away from zero.  Such a basis is optimal when the prices plus
    // some multiple lambda >= 0 of the phase-1 prices (cost -1 on every basic
    // artificial variable) are nowhere below zero: artificial variables are
    // fixed at zero, so their own prices are free.
    std::vector<Extended> cost1(m + 1, 0);
    bool any_artificial = false;
    for (int q = 1; q <= m; ++q)
        if (result.basis[q].is_artificial()) {
            cost1[q] = -1;
            any_artificial = true;
        }
    std::vector<Extended> y1;
    if (any_artificial && outcome == Status::optimal) y1 = basis.solve_transposed(cost1);
    struct Column {
        VariableId code;
        Extended price, phase1_price, scale;
    };
    std::vector<Column> eligible;
    const std::vector<double> phase1_objective(objective.size(), 0.0);  // zero outside the artificial variables
    for (int j = 1; j <= columns; ++j) {
        const VariableId c = result.nonbasic[j];
        Extended scale = 1;
        const Extended price = price_for(p, objective, c, r.y, &scale);
        price_of(r, n, c) = price;
        if (outcome != Status::optimal || c.is_artificial()) continue;
        Extended scale1 = 1;
        const Extended phase1_price = y1.empty() ? 0 : price_for(p, phase1_objective, c, y1, &scale1);
        eligible.push_back({c, price, phase1_price, scale});
    }
    // The smallest lambda that the barred columns ask for.
    Extended lambda = 0;
    for (const Column& col : eligible)
        if (col.price < 0 && col.phase1_price > certificate_tolerance) lambda = std::max(lambda, -col.price / col.phase1_price);
    FindingList dual;
    for (const Column& col : eligible) {
        const Extended price = col.price + lambda * col.phase1_price;
        const double relative = static_cast<double>(std::max<Extended>(0, -price) / col.scale);
        report.dual_infeasibility = std::max(report.dual_infeasibility, relative);
        if (-price > absolute_tolerance + relative_tolerance * col.scale)
            dual.add(relative, "the reduced cost of " + variable_name(form, p, col.code) + " is " + number(col.price) +
                                   ": bringing it in would raise the objective, so the result is not optimal");
    }
    dual.flush(report.findings, "column that could still raise the objective",
               "columns that could still raise the objective");
}

}  // namespace

PrintedValues printed_by_report(const Solution& solution, int n, int m) {
    PrintedValues v;
    v.objective = solution.objective;
    v.column_level.resize(n + 1);
    v.column_price.resize(n + 1);
    v.row_level.resize(m + 1);
    v.row_price.resize(m + 1);
    for (int j = 1; j <= n; ++j) {
        v.column_level[j] = solution.column[j].level;
        v.column_price[j] = solution.column[j].price;
    }
    for (int i = 1; i <= m; ++i) {
        v.row_level[i] = solution.row[i].level;
        v.row_price[i] = solution.row[i].price;
    }
    return v;
}

PrintedValues printed_by_record(const std::vector<double>& record, int n, int m) {
    PrintedValues v;
    v.field = record_field;
    v.objective = record[0];
    v.column_level.resize(n + 1);
    v.column_price.resize(n + 1);
    v.row_level.resize(m + 1);
    v.row_price.resize(m + 1);
    for (int j = 1; j <= n; ++j) {
        v.column_level[j] = record[j];
        v.column_price[j] = record[n + m + j];
    }
    for (int i = 1; i <= m; ++i) {
        v.row_level[i] = record[n + i];
        v.row_price[i] = record[2 * n + m + i];
    }
    return v;
}

CheckReport check_result(const DoubleForm& p, const std::vector<double>& rhs, const std::vector<double>& objective,
                         const DocumentedForm& form, const SolveResult& result, const PrintedValues* printed) {
    CheckReport report;
    const Status outcome = result.status;
    BasisSolution basis(p, result.basis);
    report.pivot_ratio = basis.smallest_pivot_ratio();
    report.pivot_ratio_known = basis.pivot_ratio_known();
    if (basis.singular()) {
        report.singular = true;
        std::string where;
        if (basis.singular_position() != 0)
            where = " (at " + variable_name(form, p, result.basis[basis.singular_position()]) + ")";
        report.findings.push_back("the final basis is singular" + where +
                                  ": its values are no solution of the problem, so the printed values cannot be trusted");
        return report;
    }
    if (outcome == Status::infeasible) {
        if (!result.farkas.empty())
            check_farkas(p, rhs, form, result.farkas, report);
        else
            check_infeasibility(p, rhs, form, result.basis, basis, report);
        return report;
    }

    std::vector<Extended> values;
    Recomputed r = recompute_levels(p, rhs, objective, result, basis, values);
    report.objective = r.objective;
    report.have_objective = true;
    check_primal(p, rhs, form, result, values, r, report);
    check_dual(p, objective, form, result, basis, r, report);

    if (outcome == Status::unbounded) {
        if (!result.ray_direction.empty())
            check_ray_direction(p, objective, form, result.ray_direction, report);
        else
            check_ray(p, objective, form, result, basis, report);
    }
    if (printed != nullptr) check_printed(*printed, r, form, report);
    return report;
}

}  // namespace lpsens
