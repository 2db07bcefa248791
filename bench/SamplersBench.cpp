#include "AllocationCounter.h"
#include "samplers/CPUUsage.h"
#include "samplers/NetworkSpeed.h"

#include <benchmark/benchmark.h>

namespace tarvo {
namespace {

// Reports the heap allocations of one iteration next to its time.
template <typename Sampler>
void runSampler(benchmark::State& state, Sampler& sampler) {
    sampler.sample(); // baseline and first-use buffers, as at launch
    const auto before = bench::allocationCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(sampler.sample());
    }
    state.counters["allocs/iter"] = benchmark::Counter(
        static_cast<double>(bench::allocationCount() - before), benchmark::Counter::kAvgIterations);
}

void CPUUsageSample(benchmark::State& state) {
    CPUUsage usage;
    runSampler(state, usage);
}
BENCHMARK(CPUUsageSample);

void NetworkSpeedSample(benchmark::State& state) {
    NetworkSpeed speed;
    runSampler(state, speed);
}
BENCHMARK(NetworkSpeedSample);

} // namespace
} // namespace tarvo

BENCHMARK_MAIN();
