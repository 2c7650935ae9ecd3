// The parametric items of a sweep, written into the names as
// "plain$$$start&&&end": objective coefficients of variables (mode "pv") or
// right-hand sides of rows (mode "rv").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/documented_form.h"
#include "form/run_mode.h"

namespace lpsens {

struct SweepItems {
    bool objective = false;          // mode "pv"; otherwise "rv"
    std::vector<int> index{0};       // 1..count: the variable (pv) or row (rv) of each item
    std::vector<StoredReal> start{StoredReal{}};
    std::vector<StoredReal> end{StoredReal{}};
    // The objective constant moves too when a swept cost of an imported
    // model belongs to a shifted, mirrored or fixed variable.
    bool moves_constant = false;
    StoredReal constant_start;
    StoredReal constant_end;
    // An imported model's rows or columns that --sweep named, in the
    // model's own terms.
    struct ModelItem {
        std::string name;
        Extended start = 0;
        Extended end = 0;
    };
    std::vector<ModelItem> model_items;
    // An imported model's sweep, in the model's terms (sweep_step.h):
    // a reduced cost tied at zero is a breakpoint, and half of a split free
    // variable crossing zero is none.  free_partner: by form variable 1..N,
    // the other half of a split free variable, or 0.
    bool model_terms = false;
    std::vector<int> free_partner;

    int count() const { return static_cast<int>(index.size()) - 1; }
};

// What --sweep=NAME:START:END names in an imported model: a column (mode
// "pv", its cost) or a row (mode "rv", its right-hand side), 0-based.
struct ModelSweepItem {
    int index = 0;
    std::string name;
    Extended start = 0;
    Extended end = 0;
};

// A start or end text of a parametric item: blanks (code 32) around it are
// passed over, an empty text is 0, and what is left must be a number written
// like a coefficient value.  nullopt when it is not.
std::optional<Extended> parse_parametric_text(std::string_view text);

// Modes "pv" and "rv": finds the names "plain$$$start&&&end" among the
// variable names (pv) or constraint names (rv), records the items, cuts their
// names to the plain name and writes each start value into the form.  Ends
// with strip_name_suffixes.  A start or end text that is not a number is
// runtime error 106, one too large for the stored format 205.
SweepItems extract_sweep_items(DocumentedForm& form, RunMode mode);

// Imported models: finds each item's model column (pv) or row (rv) and sets
// its cost or right-hand side to the start value, in the model's own sense,
// before the model is converted.  RunError 106 for an unknown name or a
// value that is not a number.
std::vector<ModelSweepItem> start_model_sweep(Problem& model, const std::vector<std::string>& texts,
                                              RunMode mode);

// Adds the form's items of a model sweep: every form variable or row a model
// item became, moving as the model item moves, and the objective constant
// where it moves too.  Their start values are written into the form.  Notes
// the model's free variables.
// RunError 205 when a value is too large for the stored format.
void add_model_sweep_items(SweepItems& items, DocumentedForm& form, const ModelMap& map,
                           const std::vector<ModelSweepItem>& model_items);

}  // namespace lpsens
