// The table of a parametric sweep: one column per record.
#pragma once

#include <vector>

#include "analysis/sweep_records.h"
#include "form/documented_form.h"
#include "io/channel.h"

namespace lpsens {

void write_sweep_table(Channel& out, const DocumentedForm& form, const SweepItems& items,
                             const std::vector<SweepRecord>& records);

}  // namespace lpsens
