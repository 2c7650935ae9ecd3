// Problems loaded into the classic engine's tableau, for the tests of its
// parts and of the analyses that read it.
#pragma once

#include <string>

#include "classic/classic_state.h"
#include "form/documented_form.h"
#include "io/channel.h"

namespace lpsens::testing {

// A problem text loaded into a classic state (not yet initialised), its
// console in memory.
struct Loaded {
    explicit Loaded(const std::string& text);
    Loaded(const Loaded&) = delete;
    Channel console;
    DocumentedForm form;
    ClassicState cs;
};

// An empty classic state of M rows and N variables, initialised.
struct Blank {
    Blank(int rows, int variables);
    Blank(const Blank&) = delete;
    Channel console;
    ClassicState cs;
};

}  // namespace lpsens::testing
