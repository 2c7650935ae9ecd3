#include "analysis/parametric_items.h"

#include "form/names.h"
#include "model/native_reader.h"

namespace lpsens {

std::optional<Extended> parse_parametric_text(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return Extended{0};
    const auto last = text.find_last_not_of(' ');
    return parse_value(text.substr(first, last - first + 1));
}

namespace {

StoredReal item_value(bool pv, int index, const Name& name, std::string_view text, const char* which) {
    const std::string item = std::string(pv ? "variable " : "constraint ") + std::to_string(index) + " '" +
                             name + "': the " + which + " value '" + std::string(text) + "'";
    const auto value = parse_parametric_text(text);
    if (!value) throw RunError(error_code::invalid_number, Site::parametric_text, item + " is not a number");
    StoredReal result;
    if (!try_store_real(*value, result))
        throw RunError(error_code::overflow, Site::parametric_store,
                       item + " is too large for the stored format (magnitude 1.7e38 or more)");
    return result;
}

}  // namespace

SweepItems extract_parametric_items(DocumentedForm& form, const std::string& mode) {
    SweepItems items;
    const bool pv = mode == "pv";
    items.objective = pv;
    const int count = pv ? form.variables() : form.rows();
    for (int i = 1; i <= count; ++i) {
        Name& name = pv ? form.column_name(i) : form.row_name(i);
        const Name s = name;
        const auto p = s.find(start_marker);
        const auto q = s.find(end_marker);
        if (p == Name::npos || q == Name::npos) continue;
        const std::string_view whole(s);
        const std::string_view start_text =
            q > p + start_marker.size() ? whole.substr(p + start_marker.size(), q - p - start_marker.size())
                                        : std::string_view();
        const std::string_view end_text = whole.substr(q + end_marker.size());
        items.start.push_back(item_value(pv, i, s, start_text, "start"));
        items.end.push_back(item_value(pv, i, s, end_text, "end"));
        items.index.push_back(i);
        name = s.substr(0, p);
    }
    for (int k = 1; k <= items.count(); ++k) {
        const auto sk = static_cast<std::size_t>(k);
        (pv ? form.cost(items.index[sk]) : form.rhs(items.index[sk])) = load_real(items.start[sk]);
    }
    strip_name_suffixes(form, mode);
    return items;
}

}  // namespace lpsens
