#include "AllocationCounter.h"
#include "app/AppDelegate.h"
#include "platform/Application.h"
#include "platform/linux/Screen.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>

namespace tarvo {
namespace {

// One refresh on the real Linux platform, followed by the display pass that shows it, whose
// output goes to /dev/null: what tarvo costs every second, without the wait between ticks.
void Tick(benchmark::State& state, bool terminal) {
    const auto delegate = AppDelegate::create();
    platform::Application::shared().setDelegate(delegate->object());
    delegate->applicationDidFinishLaunching();
    terminal::Screen screen;
    FILE* sink = std::fopen("/dev/null", "w");
    const auto show = [&] {
        const std::string_view output =
            terminal ? screen.terminalFrame({80, 24}, true) : screen.plainLine();
        std::fwrite(output.data(), 1, output.size(), sink);
    };
    delegate->refreshNow();
    show(); // first frames and first-use buffers, as in the program's first second
    delegate->refreshNow();
    show();

    const auto before = bench::allocationCount();
    for (auto _ : state) {
        delegate->refreshNow();
        show();
    }
    state.counters["allocs/iter"] = benchmark::Counter(
        static_cast<double>(bench::allocationCount() - before), benchmark::Counter::kAvgIterations);
    std::fclose(sink);
}
BENCHMARK_CAPTURE(Tick, piped, false);
BENCHMARK_CAPTURE(Tick, terminal, true);

} // namespace
} // namespace tarvo

BENCHMARK_MAIN();
