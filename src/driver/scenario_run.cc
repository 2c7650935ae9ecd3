#include "driver/scenario_run.h"

#include <unistd.h>

#include "io/byte_source.h"
#include "io/files.h"
#include "numeric/plural.h"
#include "parallel/exchange_team.h"
#include "report/scenario_results.h"
#include "scenario/scenario_solver.h"
#include "scenario/scenario_table.h"

namespace lpsens {

int run_scenarios(Channels& channels, const Problem& model, const RunOptions& options) {
    std::string text;
    {
        const int fd = open_input_file(options.scenarios);
        ByteSource source(fd);
        source.origin = options.scenarios;
        try {
            text = source.read_rest();
        } catch (...) {
            ::close(fd);
            throw;
        }
        ::close(fd);
    }
    const std::vector<scenario::Scenario> scenarios = scenario::read_scenario_table(text, options.scenarios, model);
    scenario::Settings settings;
    settings.max_iterations = options.max_exchanges;
    settings.time_limit = options.time_limit;
    const scenario::ScenarioSolver solver(model, settings);
    const int threads = options.threads > 0 ? options.threads : usable_processors();
    const std::vector<scenario::Outcome> outcomes = scenario::solve_batch(solver, settings, scenarios, threads);

    ScenarioBatch batch;
    batch.model = &model;
    batch.base = &solver.base();
    batch.scenarios = &scenarios;
    batch.outcomes = &outcomes;
    write_scenario_table(channels.out, batch);
    if (!options.json.empty()) write_text_file(options.json, scenario_json(batch));
    channels.out.flush();
    long unverified = 0;
    for (const scenario::Outcome& o : outcomes) unverified += !o.verified;
    channels.console.note("lpsens: scenarios: " + counted(static_cast<long>(outcomes.size()), "scenario", "scenarios") +
                          " from the model's basis; " + std::to_string(unverified) + " not verified\n");
    if (unverified > 0)
        channels.console.write("lpsens: warning: " + counted(unverified, "scenario result is", "scenario results are") +
                               " not verified (see their findings in the JSON)\n");
    return options.strict && unverified > 0 ? exit_check_failed : 0;
}

}  // namespace lpsens
