// The parametric items of a sweep, written into the names as
// "plain$$$start&&&end": objective coefficients of variables (mode "pv") or
// right-hand sides of rows (mode "rv").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "form/documented_form.h"

namespace lpsens {

struct SweepItems {
    bool objective = false;          // mode "pv"; otherwise "rv"
    std::vector<int> index{0};       // 1..count: the variable (pv) or row (rv) of each item
    std::vector<StoredReal> start{StoredReal{}};
    std::vector<StoredReal> end{StoredReal{}};

    int count() const { return static_cast<int>(index.size()) - 1; }
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
SweepItems extract_parametric_items(DocumentedForm& form, const std::string& mode);

}  // namespace lpsens
