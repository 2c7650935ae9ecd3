#include "classic_support.h"

#include "classic/tableau_init.h"
#include "form_support.h"

namespace lpsens::testing {

Loaded::Loaded(const std::string& text) : form(read_form(text)) {
    cs.console = &console;
    load_form(cs, form);
}

Blank::Blank(int rows, int variables) {
    cs.console = &console;
    allocate_state(cs, rows, variables, {0}, {0});
    initialise_tableau(cs);
}

}  // namespace lpsens::testing
