#include "form/names.h"

#include "numeric/run_error.h"

namespace lpsens {

void cut_at_marker(Name& name) {
    const auto p = name.find(start_marker);
    if (p != Name::npos) name.resize(p);
}

void strip_name_suffixes(DocumentedForm& form, RunMode mode) {
    if (mode == RunMode::cost_sweep || mode == RunMode::cut_names)
        for (int i = 1; i <= form.rows(); ++i) cut_at_marker(form.row_name(i));
    if (mode == RunMode::rhs_sweep || mode == RunMode::cut_names)
        for (int j = 1; j <= form.variables(); ++j) cut_at_marker(form.column_name(j));
}

void mark_sweep_items(DocumentedForm& form, const std::vector<std::string>& items, RunMode mode) {
    const bool pv = mode == RunMode::cost_sweep;
    for (const std::string& item : items) {
        const std::size_t second = item.rfind(':');
        const std::size_t first = item.rfind(':', second - 1);
        const std::string name = item.substr(0, first);
        const std::string suffix =
            "$$$" + item.substr(first + 1, second - first - 1) + "&&&" + item.substr(second + 1);
        const int count = pv ? form.variables() : form.rows();
        bool found = false;
        for (int k = 1; k <= count && !found; ++k) {
            Name& candidate = pv ? form.column_name(k) : form.row_name(k);
            if (candidate == name) {
                candidate += suffix;
                found = true;
            }
        }
        if (!found)
            throw RunError(error_code::invalid_number, Site::parametric_text,
                           "--sweep: there is no " + std::string(pv ? "variable" : "row") + " named '" + name + "'");
    }
}

}  // namespace lpsens
