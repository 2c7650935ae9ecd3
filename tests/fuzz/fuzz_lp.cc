// Fuzz target: the LP-format reader and the conversion.  A bad file may only be
// refused with runtime error 106.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "form/documented_form.h"
#include "numeric/run_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        std::vector<std::string> lines;
        (void)lpsens::convert_model(lpsens::read_lp_format(text, "fuzz.lp"), lines);
    } catch (const lpsens::RunError& e) {
        if (e.code() != 106) std::abort();
    }
    return 0;
}
