#include "simulation/Simulation.h"

#include <cstdio>
#include <cstdlib>

// The fuzzer's bytes are the event script: it searches for one under which the program shows a
// figure that is not true. The failure names the tick and the invariant; libFuzzer keeps the
// script.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure = tarvo::simulated::simulate({data, size});
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
