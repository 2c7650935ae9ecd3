// lpsens: reads a linear program from standard input, maximises it and writes
// the solution report, the tableau listing or the parametric table.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "driver/run.h"

namespace {

constexpr const char* version_text = "lpsens 1.0.0\n";
constexpr const char* usage_text =
    "usage: lpsens [MODE] < problem.lp\n"
    "\n"
    "Reads a linear program from standard input, maximises it with the two-phase\n"
    "simplex method and writes the results to standard output as comma-separated text.\n"
    "Progress marks go to standard error.\n"
    "\n"
    "MODE (first two characters of the first argument, case-sensitive):\n"
    "  pv       parametric analysis of the objective coefficients\n"
    "  rv       parametric analysis of the right-hand sides\n"
    "  lp       ordinary run; names lose everything from their first \"$$$\" on\n"
    "  other    ordinary run (solution report with ranging, then the final tableau)\n"
    "\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "\n"
    "Exit code: 0, or the runtime error number (106 bad number, 205 overflow,\n"
    "203 out of memory, or the system's error code when a file cannot be written).\n";

bool write_text(int fd, const char* text) {
    const std::size_t n = std::strlen(text);
    return ::write(fd, text, n) == static_cast<ssize_t>(n);
}

}  // namespace

int main(int argc, char** argv) {
    const char* first = argc > 1 ? argv[1] : nullptr;
    if (first != nullptr && std::strcmp(first, "--help") == 0) return write_text(1, usage_text) ? 0 : 1;
    if (first != nullptr && std::strcmp(first, "--version") == 0) return write_text(1, version_text) ? 0 : 1;

    // A closed pipe on standard output is an error of the write, not a signal.
    std::signal(SIGPIPE, SIG_IGN);

    lpsens::Workspace ws;
    ws.out.attach(1, false, lpsens::Site::output_write);
    ws.console.attach(2, true, lpsens::Site::console_write);

    // The console must be open for writing before anything is read.
    const int console_flags = ::fcntl(2, F_GETFL);
    if (console_flags < 0 || (console_flags & O_ACCMODE) == O_RDONLY) {
        ws.out.write(lpsens::runtime_error_line(lpsens::error_code::bad_file_handle, lpsens::Site::console_open));
        ws.out.write(lpsens::line_end);
        ws.out.flush_quietly();
        return lpsens::error_code::bad_file_handle;  // no console to explain it on
    }
    if (::isatty(0)) ws.console.write("lpsens: reading the problem from standard input (end it with Ctrl-D)\n");

    lpsens::ByteSource input(0);
    return lpsens::run_program(ws, input, first, true);
}
