// Runtime errors: the one way a run stops early.
//
// Every failure (a malformed number, an overflowing store, a failed write,
// open or close, an allocation that cannot be had) throws a RunError.  The
// driver catches it, appends "Runtime error NNN at XXXXXXXX" to standard
// output, explains it on standard error and exits with NNN.  Tests catch it
// like any other exception, so every operation can run alone.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace lpsens {

// Fixed code locations, one per place that can fail.  They are printed in the
// runtime-error line and never change from run to run.
enum class Site : std::uint32_t {
    console_open = 0x00010010,
    console_write = 0x00010020,
    output_write = 0x00010030,
    marker_open = 0x00010050,
    marker_close = 0x00010060,
    input_read = 0x00010070,
    allocate = 0x00011010,
    read_title = 0x00012010,
    read_dimensions = 0x00012020,
    check_dimensions = 0x00012030,
    read_eq_rows = 0x00012040,
    read_ge_rows = 0x00012050,
    check_row_list = 0x00012060,
    read_names = 0x00012070,
    read_values = 0x00012080,
    store_value = 0x00012090,
    read_mps = 0x00013010,
    read_lp_format = 0x00013020,
    convert_model = 0x00013030,
    input_open = 0x00010080,
    result_file = 0x00010090,
    initialise = 0x00020010,
    pivot_row = 0x00020020,
    pivot_other_rows = 0x00020030,
    pivot_phase1_row = 0x00020040,
    ratio_test = 0x00020050,
    ranging = 0x00030010,
    parametric_text = 0x00040010,
    parametric_store = 0x00040020,
    sweep_record = 0x00040030,
    objective_step = 0x00040040,
    rhs_step = 0x00040050,
    restore_feasibility = 0x00040060,
};

// Runtime error numbers of the system besides the operating system's codes.
namespace error_code {
inline constexpr int bad_file_handle = 9;
inline constexpr int invalid_number = 106;
inline constexpr int out_of_memory = 203;
inline constexpr int overflow = 205;
}  // namespace error_code

class RunError : public std::runtime_error {
public:
    RunError(int code, Site site, std::string explanation)
        : std::runtime_error(explanation), code_(code), site_(site) {}
    int code() const { return code_; }
    Site site() const { return site_; }
    std::string explanation() const { return what(); }

private:
    int code_;
    Site site_;
};

// "Runtime error 106 at 00012080": the number right-aligned in three places,
// the location as eight uppercase hexadecimal digits.  No line end.
std::string runtime_error_line(int code, Site site);

// The explanation of an operating-system error code, for standard error.
std::string system_error_text(int os_code);

}  // namespace lpsens
