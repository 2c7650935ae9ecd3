// lpsens: reads a linear program from a file or standard input, maximises it
// and writes the solution report, the tableau listing or the parametric table.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver/options.h"
#include "driver/process_heap.h"
#include "driver/run.h"

namespace {

constexpr const char* version_text = "lpsens 1.1.0\n";
constexpr const char* help_text =
    "\n"
    "Reads a linear program (lpsens's own format, MPS or LP format) from standard\n"
    "input or a file, maximises it with the two-phase\n"
    "simplex method and writes the results to standard output as comma-separated text.\n"
    "Progress marks, notes, warnings and the checks' figures go to standard error.\n"
    "\n"
    "MODEL: the file to read the problem from, as the first argument that does\n"
    "not begin with \"-\" or the one after the mode (lpsens rv model.mps), when\n"
    "something of that name exists or it holds a \".\" or a \"/\"; the same as\n"
    "--input=MODEL.  A model that cannot be opened (missing, a folder, no\n"
    "permission) stops the run before anything is read; \"-\" is standard input.\n"
    "\n"
    "MODE (the first argument that does not begin with \"-\" and is no model;\n"
    "its first two characters, case-sensitive):\n"
    "  pv       parametric analysis of the objective coefficients\n"
    "  rv       parametric analysis of the right-hand sides\n"
    "  lp       ordinary run; names lose everything from their first \"$$$\" on\n"
    "  other    ordinary run (solution report with ranging, then the final tableau)\n"
    "\n"
    "Options (anywhere on the line, each at most once but --sweep, values as --name=value):\n"
    "  --input=FILE         read the problem from FILE, - for standard input\n"
    "                       (gzip-compressed input is recognised by its first bytes)\n"
    "  --format=F           native, mps (fixed or free) or lp (LP format), in any\n"
    "                       case; default: mps for names ending in .mps or .mps.gz,\n"
    "                       else by the first lines: lp for input that begins with\n"
    "                       Maximize or Minimize, mps for NAME, ROWS or OBJSENSE\n"
    "                       (and no dimension line after it), else native\n"
    "  --sweep=NAME:A:B     (pv, rv; repeats) sweep variable or row NAME from A to B\n"
    "                       (in an imported model: its own column or row, at its\n"
    "                       own values)\n"
    "  --json=FILE          the results as JSON\n"
    "  --chart=FILE         (pv, rv) an SVG chart of the sweep\n"
    "  --write-problem=FILE the problem as read, in lpsens's own format\n"
    "  --utf8               the infinity sign as UTF-8 (default on UTF-8 terminals)\n"
    "  --accurate           solve with a revised dual simplex method on a sparse\n"
    "                       factorisation, in double precision with scaling: the\n"
    "                       same reports, right on real (badly scaled, degenerate,\n"
    "                       large) problems; use it whenever the checks warn (the\n"
    "                       default for MPS and LP-format input)\n"
    "  --classic            the classic engine (at most 999 rows and variables) for\n"
    "                       MPS and LP-format input too\n"
    "  --listing            the tableau listing also of a model beyond 999 rows or\n"
    "                       variables with more than 1,000,000 entries, which is\n"
    "                       otherwise left out\n"
    "  --report=R           csv (default) or text: a readable report in the model's\n"
    "                       own terms, with ranging, the objective and the\n"
    "                       variables that enter and leave at every limit\n"
    "  --strict             exit with 70 when a check of the result fails\n"
    "  --show-checks        write the checks' figures to standard error\n"
    "  --max-records=N      (pv, rv) the most records of a sweep in the model's\n"
    "                       own terms (default 1000)\n"
    "  --max-exchanges=N    exchanges one simplex loop may make (default:\n"
    "                       50 x (rows + columns) + 1000); a loop that needs\n"
    "                       more stops the run without a verdict (exit 75)\n"
    "  --time-limit=S       S seconds (a decimal, as 2.5) of wall-clock time from\n"
    "                       the start of the run for the solve and every\n"
    "                       re-optimisation of a sweep; when they are up the run\n"
    "                       stops without a verdict (exit 75); ranging and\n"
    "                       reports after a proven optimum always complete\n"
    "  --presolve=P         on or off: the accurate engine solves a presolved MPS\n"
    "                       or LP-format model first and starts the model's own\n"
    "                       solve from the basis it gives back (default: on for\n"
    "                       models of 50 rows and columns together or more\n"
    "                       unless every column at its lower bound is feasible;\n"
    "                       no effect on lpsens's own format or the classic\n"
    "                       engine)\n"
    "  --quiet              the console only for warnings and errors: no marks,\n"
    "                       notes or status lines\n"
    "  --kernel=K           the exchange step's inner loop: scalar, avx2 or avx512\n"
    "                       (default: the fastest this processor runs; all give\n"
    "                       the same bytes)\n"
    "  --threads=N          1 or 2 threads share the exchange step and the ranging\n"
    "                       (default: 2 on large problems, when the machine has\n"
    "                       two cores; the bytes are the same)\n"
    "  --help, -h           this text\n"
    "  --version            the version\n"
    "\n"
    "Every result is checked against the problem as read: the final basis is\n"
    "solved again in extended precision and its feasibility, optimality and\n"
    "printed values are measured.  A failed check writes lines beginning\n"
    "\"lpsens: warning:\" to standard error; see the README for what each means.\n"
    "\n"
    "Progress: a mark per exchange (':' while seeking a feasible basis, '.'\n"
    "otherwise) as it happens and, on a terminal, once a solve has run for a\n"
    "second, a status line at most every second: the phase, the exchanges, the\n"
    "objective, the primal infeasibility and the seconds.\n"
    "\n"
    "Exit codes:\n"
    "  0    the run completed with a verdict (an optimum, \"No feasible solution\"\n"
    "       or \"Unbounded solution\")\n"
    "  64   the command line is wrong; nothing was read\n"
    "  70   with --strict: a check of the result failed (the report is written)\n"
    "  75   stopped at the exchange limit or the time limit: no verdict; standard\n"
    "       output says \"Stopped at the exchange limit\" or \"... the time limit\"\n"
    "  76   stopped by numerical trouble: no verdict (\"Stopped by numerical\n"
    "       trouble\")\n"
    "  106  a malformed number or model in the input, or empty input\n"
    "  203  out of memory\n"
    "  205  a number too large for the stored format\n"
    "  other  the system's error code when a file cannot be read or written (2 no\n"
    "       such file, 13 no permission, 21 a folder), checked for the model and\n"
    "       every output file before the model is read\n"
    "After 70, 75 and 76, as after an error, the marker file KVT_DMY.$$$ is left\n"
    "as it was.\n";

bool write_text(int fd, const std::string& text) {
    return ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

}  // namespace

int main(int argc, char** argv) {
    lpsens::prepare_process_heap();
    std::string error;
    const auto parsed = lpsens::parse_command_line(argc, argv, error);
    if (!parsed) {
        write_text(2, "lpsens: " + error + "; " + lpsens::usage_line + "\n");
        return lpsens::exit_usage;
    }
    const lpsens::RunOptions& options = *parsed;
    if (options.help) return write_text(1, std::string(lpsens::usage_line) + "\n" + help_text) ? 0 : 1;
    if (options.version) return write_text(1, version_text) ? 0 : 1;

    // A closed pipe on standard output is an error of the write, not a signal.
    std::signal(SIGPIPE, SIG_IGN);

    lpsens::Channels channels;
    channels.out.attach(1, false, lpsens::Site::output_write);
    channels.console.attach(2, true, lpsens::Site::console_write);

    // The console must be open for writing before anything is read.
    const int console_flags = ::fcntl(2, F_GETFL);
    if (console_flags < 0 || (console_flags & O_ACCMODE) == O_RDONLY) {
        channels.out.write(lpsens::runtime_error_line(lpsens::error_code::bad_file_handle, lpsens::Site::console_open));
        channels.out.write(lpsens::line_end);
        channels.out.flush_quietly();
        return lpsens::error_code::bad_file_handle;  // no console to explain it on
    }
    // A further argument may be a model name with a typo: say so.
    for (const std::string& argument : options.ignored)
        channels.console.write("lpsens: warning: '" + argument + "' is neither the mode nor a file to read; it is ignored\n");
    if (!options.quiet && !lpsens::reads_file(options) && ::isatty(0)) channels.console.write("lpsens: reading the problem from standard input (end it with Ctrl-D)\n");

    lpsens::ByteSource input(0);
    return lpsens::run_program(channels, input, options, true);
}
