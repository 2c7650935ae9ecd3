#include "model/names.h"

namespace lpsens {

void cut_at_marker(Name& name) {
    const auto p = name.find(start_marker);
    if (p != Name::npos) name.resize(p);
}

void strip_name_suffixes(Workspace& ws) {
    if (ws.run_mode == "pv" || ws.run_mode == "lp")
        for (int i = 1; i <= ws.row_count; ++i) cut_at_marker(ws.row_names[i]);
    if (ws.run_mode == "rv" || ws.run_mode == "lp")
        for (int j = 1; j <= ws.var_count; ++j) cut_at_marker(ws.column_names[j]);
}

}  // namespace lpsens
