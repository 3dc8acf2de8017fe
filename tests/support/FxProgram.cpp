// Test programs live apart from the programs they test: effects they load out of process run
// in the orvane-fx of this build tree, unless the environment names another.

#include <cstdlib>

namespace {

const bool kEffectProgramChosen = [] {
    ::setenv("ORVANE_FX", ORVANE_FX_PROGRAM, 0);
    return true;
}();

}  // namespace
