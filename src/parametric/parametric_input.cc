#include "parametric/parametric_input.h"

#include "model/input.h"
#include "model/names.h"

namespace lpsens {

std::optional<Extended> parse_parametric_text(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return Extended{0};
    const auto last = text.find_last_not_of(' ');
    return parse_value(text.substr(first, last - first + 1));
}

namespace {

StoredReal item_value(const Workspace& ws, int index, const Name& name, std::string_view text,
                      const char* which) {
    const bool pv = ws.run_mode == "pv";
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

void extract_parametric_items(Workspace& ws) {
    const bool pv = ws.run_mode == "pv";
    std::vector<Name>& names = pv ? ws.column_names : ws.row_names;
    const int count = pv ? ws.var_count : ws.row_count;
    int found = 0;
    for (int i = 1; i <= count; ++i) {
        const Name s = names[i];
        const auto p = s.find(start_marker);
        const auto q = s.find(end_marker);
        if (p == Name::npos || q == Name::npos) continue;
        ++found;
        const std::string_view whole(s);
        const std::string_view start_text =
            q > p + start_marker.size() ? whole.substr(p + start_marker.size(), q - p - start_marker.size())
                                        : std::string_view();
        const std::string_view end_text = whole.substr(q + end_marker.size());
        ws.param_start[found] = item_value(ws, i, s, start_text, "start");
        ws.param_end[found] = item_value(ws, i, s, end_text, "end");
        ws.param_index[found] = i;
        names[i] = s.substr(0, p);
    }
    ws.param_count = found;

    try {
        for (int r = 1; r <= max_records; ++r) ws.step_values[r].assign(static_cast<std::size_t>(found) + 1, {});
        ws.param_delta.assign(static_cast<std::size_t>(found) + 1, {});
    } catch (const std::bad_alloc&) {
        throw RunError(error_code::out_of_memory, Site::allocate, "out of memory for the parametric records");
    }

    for (int k = 1; k <= found; ++k) {
        const int row = pv ? 0 : ws.param_index[k];
        const int column = pv ? ws.param_index[k] : 0;
        ws.tableau(row, column) = ws.param_start[k];
        if (!ws.input_values.empty()) ws.input_value(row, column) = load_real(ws.param_start[k]);
    }
    strip_name_suffixes(ws);
}

}  // namespace lpsens
