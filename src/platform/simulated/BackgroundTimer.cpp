#include "platform/BackgroundTimer.h"
#include "platform/simulated/ManualLoop.h"

// Runs on the simulated main loop's manual clock: a run happens, synchronously, when a test
// advances the clock past its due time.

namespace tarvo::platform {

struct BackgroundTimer::Schedule {
    simulated::ManualLoop::TimerId id;
};

BackgroundTimer::BackgroundTimer(std::chrono::nanoseconds interval, std::function<void()> task)
    : schedule(std::make_unique<Schedule>(Schedule{simulated::mainLoop().addTimer(
          0.0, std::chrono::duration<double>(interval).count(), std::move(task))})) {}

BackgroundTimer::~BackgroundTimer() {
    simulated::mainLoop().cancelTimer(schedule->id);
}

} // namespace tarvo::platform
