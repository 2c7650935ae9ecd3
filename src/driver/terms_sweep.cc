#include "driver/terms_sweep.h"

#include <cmath>

#include "accurate/lp_from_model.h"
#include "numeric/run_error.h"

namespace lpsens {

namespace {

// Each record as the form's sweep has it, from the engine standing where the
// sweep recorded.
class FormRecords final : public sweep::RecordObserver {
public:
    FormRecords(TermsSweep& sweep, ResultChecker& checker, SolveEngine& engine, const SweepItems& items, int variables,
                int rows, std::vector<SweepRecord>& records)
        : sweep_(sweep), checker_(checker), engine_(engine), items_(items), move_(sweep_move(items)),
          variables_(variables), rows_(rows), records_(records) {}

    void taken(const sweep::Record& record, bool replaces_previous) override {
        if (replaces_previous) records_.pop_back();
        StoredReal t;
        store_real(static_cast<Extended>(record.t), t, Site::sweep_record);
        move_.move.t = record.t;  // the model's values exactly where the sweep recorded
        const SolveResult result = engine_.reoptimise(move_.move);
        records_.push_back(take_record(result.solution, items_, move_, t, variables_, rows_));
        const int s = static_cast<int>(records_.size());
        checker_.check_record(items_, s, records_.back(), result);
        checker_.check_model_record(*sweep_.model, sweep_.target, s, record);
    }

private:
    TermsSweep& sweep_;
    ResultChecker& checker_;
    SolveEngine& engine_;
    const SweepItems& items_;
    SweepMove move_;
    int variables_, rows_;
    std::vector<SweepRecord>& records_;
};

}  // namespace

TermsSweep imported_terms_sweep(const Problem& model, const std::vector<ModelSweepItem>& items, bool costs) {
    TermsSweep s;
    s.model = &model;
    s.target.costs = costs;
    for (const ModelSweepItem& item : items) {
        const auto start = static_cast<double>(item.start), end = static_cast<double>(item.end);
        s.target.items.push_back({item.index, start, end, start});
        s.items.names.push_back(item.name);
        s.items.starts.push_back(start);
        s.items.ends.push_back(end);
    }
    return s;
}

namespace {

[[noreturn]] void bound_error(const std::string& what) {
    throw RunError(error_code::invalid_number, Site::parametric_text, "sweep of bounds: " + what);
}

// The side of column `c` that a sweep of `side` moves.
sweep::BoundSide side_of(const ProblemColumn& c, const std::string& side) {
    const bool low = std::isfinite(static_cast<double>(c.lower)), up = std::isfinite(static_cast<double>(c.upper));
    if (side == "lower") {
        if (!low) bound_error("column '" + c.name + "' has no lower bound");
        return sweep::BoundSide::lower;
    }
    if (side == "upper") {
        if (!up) bound_error("column '" + c.name + "' has no upper bound");
        return sweep::BoundSide::upper;
    }
    if (low && up && c.lower == c.upper) return sweep::BoundSide::both;
    if (low && up)
        bound_error("column '" + c.name + "' has two bounds: sweep its lower or its upper one");
    if (!low && !up) bound_error("column '" + c.name + "' has no bound");
    return low ? sweep::BoundSide::lower : sweep::BoundSide::upper;
}

}  // namespace

TermsSweep bound_terms_sweep(const Problem& model, const std::vector<std::string>& texts, const std::string& side) {
    TermsSweep s;
    s.model = &model;
    s.target.bounds = true;
    for (const std::string& text : texts) {
        const std::size_t second = text.rfind(':');
        const std::size_t first = second == std::string::npos || second == 0 ? std::string::npos : text.rfind(':', second - 1);
        if (first == std::string::npos) bound_error("'" + text + "' is not NAME:START:END");
        const std::string name = text.substr(0, first);
        const auto parse = [&](std::string_view value, const char* which) {
            const auto parsed = parse_parametric_text(value);
            if (!parsed || !std::isfinite(static_cast<double>(*parsed)))
                bound_error("the " + std::string(which) + " value '" + std::string(value) + "' of '" + name +
                            "' is not a number");
            return static_cast<double>(*parsed);
        };
        const double start = parse(std::string_view(text).substr(first + 1, second - first - 1), "start");
        const double end = parse(std::string_view(text).substr(second + 1), "end");
        int index = -1;
        for (int j = 0; j < model.column_count() && index < 0; ++j)
            if (model.columns[j].name == name) index = j;
        if (index < 0) bound_error("there is no column named '" + name + "'");
        const ProblemColumn& c = model.columns[index];
        const sweep::BoundSide moves = side_of(c, side);
        const double reference = static_cast<double>(moves == sweep::BoundSide::upper ? c.upper : c.lower);
        s.target.items.push_back({index, start, end, reference});
        s.target.sides.push_back(moves);
        s.items.names.push_back(name);
        s.items.starts.push_back(start);
        s.items.ends.push_back(end);
    }
    return s;
}

TermsSweep native_terms_sweep(const DocumentedForm& form, const SweepItems& items) {
    TermsSweep s;
    s.model = &form.problem;
    s.target.costs = items.objective;
    for (int k = 1; k <= items.count(); ++k) {
        const int index = items.index[k];
        const double start = items.start[k].value, end = items.end[k].value;
        s.target.items.push_back({index - 1, start, end, start});
        s.items.names.push_back(items.objective ? form.column_name(index) : form.row_name(index));
        s.items.starts.push_back(start);
        s.items.ends.push_back(end);
    }
    return s;
}

void set_limits(TermsSweep& sweep, long max_records, const EngineSettings& settings, int rows, int columns) {
    sweep.limits.max_records = max_records;
    sweep.limits.exchange_limit = exchange_cap(settings, rows, columns);
    if (settings.deadline != no_deadline) sweep.limits.deadline = settings.deadline;
}

void run_terms_sweep(TermsSweep& sweep, ResultChecker& checker) {
    sweep.result = sweep::run_sweep(lp_from_model(*sweep.model), sweep.target, sweep.limits);
    for (std::size_t k = 0; k < sweep.result.records.size(); ++k)
        checker.check_model_record(*sweep.model, sweep.target, static_cast<int>(k) + 1, sweep.result.records[k]);
}

void run_terms_sweep(TermsSweep& sweep, ResultChecker& checker, AccurateEngine& engine, const SweepItems& items,
                     int variables, int rows, std::vector<SweepRecord>& records) {
    FormRecords observer(sweep, checker, engine, items, variables, rows, records);
    sweep.result = sweep::run_sweep(engine.core(), sweep.target, sweep.limits, &observer);
}

Status end_status(const sweep::Result& result) {
    switch (result.end) {
        case sweep::EndReason::exchange_limit: return Status::exchange_limit;
        case sweep::EndReason::time_limit: return Status::time_limit;
        case sweep::EndReason::numerical_trouble: return Status::numerical_trouble;
        case sweep::EndReason::infeasible: return Status::infeasible;
        case sweep::EndReason::unbounded: return Status::unbounded;
        default: return Status::optimal;
    }
}

}  // namespace lpsens
