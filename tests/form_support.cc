#include "form_support.h"

#include "io/byte_source.h"
#include "model/native_reader.h"

namespace lpsens::testing {

DocumentedForm read_form(const std::string& text) {
    ByteSource source(text);
    return native_form(read_native_problem(source));
}

}  // namespace lpsens::testing
