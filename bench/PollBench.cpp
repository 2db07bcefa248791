#include "AllocationCounter.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "samplers/CPUTemperature.h"
#include "support/SMCKeys.h"

#include <benchmark/benchmark.h>

namespace tarvo {
namespace {

// One pass over the eight sensor keys on the simulated driver (sixteen driver calls), with the
// hand-over of the average to the main thread.
void PollPass(benchmark::State& state) {
    simulated::resetSMC();
    for (const char* key : {"Tp01", "Tp05", "Tp09", "Tp0D", "Te05", "Te0S", "Te09", "Te0H"}) {
        simulated::smc().keys[smc::fourCC(key)] = simulated::floatKey(45.0f);
    }
    double received = 0.0;
    const auto reader = CPUTemperature::create([&](double value) { received = value; });
    reader->start();
    simulated::mainLoop().advance(0.0);

    const auto before = bench::allocationCount();
    for (auto _ : state) {
        simulated::mainLoop().advance(2.0);
    }
    state.counters["allocs/iter"] = benchmark::Counter(
        static_cast<double>(bench::allocationCount() - before), benchmark::Counter::kAvgIterations);
    reader->stop();
    benchmark::DoNotOptimize(received);
}
BENCHMARK(PollPass);

} // namespace
} // namespace tarvo

BENCHMARK_MAIN();
