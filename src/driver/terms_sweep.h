// The sweep of a run in the model's own terms: for imported models it is the
// sweep (and the CSV's records are taken where it records); for lpsens's own
// problems it runs beside the documented sweep when the JSON, the readable
// report or a chart asks for the model's terms.
#pragma once

#include <vector>

#include "accurate/accurate_engine.h"
#include "analysis/sweep_items.h"
#include "analysis/sweep_records.h"
#include "check/checker.h"
#include "engine/settings.h"
#include "report/sweep_words.h"
#include "sweep/model_sweep.h"

namespace lpsens {

struct TermsSweep {
    const Problem* model = nullptr;
    sweep::Target target;
    SweptItems items;
    sweep::Limits limits;
    sweep::Result result;
};

// An imported model's --sweep items (the model stands at their start values).
TermsSweep imported_terms_sweep(const Problem& model, const std::vector<ModelSweepItem>& items, bool costs);
// Sweeps of the bounds of `model`'s columns, each text NAME:START:END:
// `side` "lower" or "upper" moves that bound alone, "bound" the one bound a
// column has, or both of a fixed column.  RunError 106 for an unknown name,
// a value that is not a number, or a bound the column does not have (or,
// for "bound", a column with two different finite bounds).
TermsSweep bound_terms_sweep(const Problem& model, const std::vector<std::string>& texts, const std::string& side);
// The items of lpsens's own problem, whose form holds their start values.
TermsSweep native_terms_sweep(const DocumentedForm& form, const SweepItems& items);

// The limits of the run: records, exchanges per solve, the deadline.
void set_limits(TermsSweep& sweep, long max_records, const EngineSettings& settings, int rows, int columns);

// Sweeps on a core of its own and checks every record against the model.
void run_terms_sweep(TermsSweep& sweep, ResultChecker& checker);

// Sweeps on the accurate engine's own core; every record is also taken as a
// record of the form's sweep from the engine, as the CSV reports it, and
// both are checked.
void run_terms_sweep(TermsSweep& sweep, ResultChecker& checker, AccurateEngine& engine, const SweepItems& items,
                     int variables, int rows, std::vector<SweepRecord>& records);

// The status the run ends with after the sweep: a limit or trouble stops
// it without a verdict, anything else is one.
Status end_status(const sweep::Result& result);

}  // namespace lpsens
