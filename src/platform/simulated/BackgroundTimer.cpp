#include "platform/BackgroundTimer.h"
#include "platform/simulated/ManualLoop.h"

#include <optional>

// Runs on the simulated main loop's manual clock: a run happens, synchronously, when a test
// advances the clock past its due time.

namespace tarvo::platform {

struct BackgroundTimer::Schedule {
    std::optional<simulated::ManualLoop::TimerId> id; // none when refused
};

BackgroundTimer::BackgroundTimer(std::chrono::nanoseconds interval, std::function<void()> task)
    : schedule(std::make_unique<Schedule>()) {
    simulated::ManualLoop& loop = simulated::mainLoop();
    if (!loop.refusesBackgroundTimers()) {
        schedule->id =
            loop.addTimer(0.0, std::chrono::duration<double>(interval).count(), std::move(task));
    }
}

BackgroundTimer::~BackgroundTimer() {
    if (schedule->id) {
        simulated::mainLoop().cancelTimer(*schedule->id);
    }
}

bool BackgroundTimer::isRunning() const {
    return schedule->id.has_value();
}

} // namespace tarvo::platform
