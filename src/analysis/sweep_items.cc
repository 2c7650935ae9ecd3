#include "analysis/sweep_items.h"

#include "analysis/direction_ranging.h"
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

SweepItems extract_sweep_items(DocumentedForm& form, RunMode mode) {
    SweepItems items;
    const bool pv = mode == RunMode::cost_sweep;
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
        (pv ? form.cost(items.index[k]) : form.rhs(items.index[k])) = load_real(items.start[k]);
    }
    strip_name_suffixes(form, mode);
    return items;
}

namespace {

StoredReal sweep_value(Extended value, const std::string& name, const char* which) {
    StoredReal result;
    if (!try_store_real(value, result))
        throw RunError(error_code::overflow, Site::parametric_store,
                       "--sweep: the " + std::string(which) + " value of '" + name +
                           "' is too large for the stored format (magnitude 1.7e38 or more) after conversion");
    return result;
}

}  // namespace

std::vector<ModelSweepItem> start_model_sweep(Problem& model, const std::vector<std::string>& texts,
                                              RunMode mode) {
    const bool pv = mode == RunMode::cost_sweep;
    std::vector<ModelSweepItem> items;
    for (const std::string& text : texts) {
        const std::size_t second = text.rfind(':');
        const std::size_t first = text.rfind(':', second - 1);
        ModelSweepItem item;
        item.name = text.substr(0, first);
        const auto parse = [&](std::string_view value, const char* which) {
            const auto parsed = parse_parametric_text(value);
            if (!parsed)
                throw RunError(error_code::invalid_number, Site::parametric_text,
                               "--sweep: the " + std::string(which) + " value '" + std::string(value) + "' of '" +
                                   item.name + "' is not a number");
            return *parsed;
        };
        item.start = parse(std::string_view(text).substr(first + 1, second - first - 1), "start");
        item.end = parse(std::string_view(text).substr(second + 1), "end");
        const int count = pv ? model.column_count() : model.row_count();
        item.index = -1;
        for (int k = 0; k < count && item.index < 0; ++k)
            if ((pv ? model.columns[k].name : model.rows[k].name) ==
                item.name)
                item.index = k;
        if (item.index < 0)
            throw RunError(error_code::invalid_number, Site::parametric_text,
                           "--sweep: there is no " + std::string(pv ? "variable" : "row") + " named '" + item.name + "'");
        (pv ? model.columns[item.index].cost
            : model.rows[item.index].rhs) = item.start;
        items.push_back(item);
    }
    return items;
}

void add_model_sweep_items(SweepItems& items, DocumentedForm& form, const ModelMap& map,
                           const std::vector<ModelSweepItem>& model_items) {
    const Extended sense = map.maximise ? 1 : -1;
    Extended constant_end = form.constant();
    // A form item starts where the form stands (the model at its start
    // values) and moves by `rate` times the model item's move.
    const auto add = [&](int index, Extended rate, Extended move, const std::string& name) {
        Extended& value = items.objective ? form.cost(index) : form.rhs(index);
        const StoredReal start = sweep_value(value, name, "start");
        value = load_real(start);
        items.index.push_back(index);
        items.start.push_back(start);
        items.end.push_back(sweep_value(load_real(start) + rate * move, name, "end"));
    };
    for (const ModelSweepItem& item : model_items) {
        const Extended move = item.end - item.start;
        if (items.objective) {
            const VariableMap& v = map.variables[item.index];
            if (v.part != 0) add(v.part, sense * v.sign, move, item.name);
            if (v.negative_part != 0) add(v.negative_part, -sense, move, item.name);
            if (v.shift != 0) {
                items.moves_constant = true;
                constant_end += sense * v.shift * move;
            }
        } else {
            for (const auto& [row, sign] : map.rows[item.index].rows)
                add(row, sign, move, item.name);
        }
        items.model_items.push_back({item.name, item.start, item.end});
    }
    items.model_terms = true;
    items.free_partner = free_partners(map, form.variables());
    if (items.moves_constant) {
        items.constant_start = sweep_value(form.constant(), "the objective constant", "start");
        form.problem.constant = load_real(items.constant_start);
        items.constant_end = sweep_value(constant_end, "the objective constant", "end");
    }
}

}  // namespace lpsens
