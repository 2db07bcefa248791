#include "AllocationCounter.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "samplers/CPUTemperature.h"
#include "support/SMCKeys.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace tarvo {
namespace {

// One pass over the eight sensor keys on the simulated driver (sixteen driver calls), with the
// hand-over of the average to the main thread.
void PollPass(benchmark::State& state) {
    simulated::resetSMC();
    simulated::giveSensors(std::vector(8, 45.0F));
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
