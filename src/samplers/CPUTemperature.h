#pragma once

#include "platform/BackgroundTimer.h"
#include "platform/SMCDriver.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

namespace tarvo {

// The CPU temperature: the average of the plausible readings of the processor's SMC sensors, or
// the firmware's die average where none is plausible, polled every two seconds in the background.
// Values reach the owner through the callback, always later and on the main thread: one figure per
// pass that had a plausible reading, or a single NaN when the SMC cannot be opened.
class CPUTemperature {
public:
    using Callback = std::function<void(double)>;

    // Shared, so that the poll timer and the tasks posted to the main thread can hold the reader
    // weakly and do nothing once it is gone. No I/O.
    static std::shared_ptr<CPUTemperature> create(Callback onUpdate);
    ~CPUTemperature();
    CPUTemperature(const CPUTemperature&) = delete;
    CPUTemperature& operator=(const CPUTemperature&) = delete;

    // Main thread. Opens the SMC and polls it, the first pass at once; when the SMC cannot be
    // opened, or no timer can be started to poll it, posts one NaN instead. Returns before any
    // callback. Only the first call acts.
    void start();

    // Main thread, also run by destruction. Cancels polling and closes the SMC; a pass still
    // running reads no further key. Does nothing before start() or a second time.
    void stop();

    // Any thread. The latest average, strictly between 10.0 and 115.0; nothing until a pass has
    // produced one.
    std::optional<double> read() const;

    // Main thread. Why no temperature can be read; nothing once the SMC is open.
    std::optional<std::string_view> errorReason() const;

    // Main thread. True when the SMC opened but the background timer could not start (a thread
    // limit): the reader is then unavailable all the same.
    bool hasPollingFailed() const { return hasPollingFailedToStart; }

private:
    explicit CPUTemperature(Callback onUpdate);

    void startPolling(platform::SMCConnection opened);
    void deliver(double value) const;

    // One pass: the average of the core sensors, or the die average when no core sensor is
    // plausible. Nothing when neither gives a reading.
    void poll();
    std::optional<double> averageOfCoreSensors();
    std::optional<double> plausibleReading(std::string_view key);
    std::optional<double> readKeyUnlessStopped(std::string_view key);

    static constexpr std::chrono::seconds pollInterval{2};

    std::weak_ptr<CPUTemperature> self;
    const Callback onUpdate;
    bool hasStarted = false;
    bool available = false;
    bool hasPollingFailedToStart = false;
    std::optional<platform::BackgroundTimer> timer;

    // stop() may come while a pass is reading keys. A pass reads each key holding connectionLock
    // and only while isStopped is false; stop() sets isStopped first, then takes the lock to close
    // the handle. So no key is read on a closed handle, the keys left in a cut-short pass yield
    // nothing, and stop() waits for one key read at most rather than for the rest of the pass.
    std::mutex connectionLock;
    std::atomic<bool> isStopped = false;
    platform::SMCConnection conn = 0; // guarded by connectionLock

    mutable std::mutex lock;
    std::optional<double> lastValue; // guarded by lock
};

} // namespace tarvo
