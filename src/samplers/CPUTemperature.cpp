#include "samplers/CPUTemperature.h"
#include "platform/MainThread.h"
#include "samplers/CPUSensorKeys.h"
#include "samplers/SMCClient.h"

#include <limits>
#include <utility>

namespace tarvo {

namespace {

// Readings outside this window are sensors that are absent, idle or broken (NaN fails it too).
bool isPlausible(double celsius) {
    return celsius > 10.0 && celsius < 115.0;
}

} // namespace

std::shared_ptr<CPUTemperature> CPUTemperature::create(Callback onUpdate) {
    std::shared_ptr<CPUTemperature> reader(new CPUTemperature(std::move(onUpdate)));
    reader->self = reader;
    return reader;
}

CPUTemperature::CPUTemperature(Callback onUpdate) : onUpdate(std::move(onUpdate)) {}

CPUTemperature::~CPUTemperature() {
    stop();
}

void CPUTemperature::start() {
    if (hasStarted) {
        return;
    }
    hasStarted = true;
    if (const platform::SMCConnection opened = platform::openSMC(); opened != 0) {
        startPolling(opened);
    }
    available = timer.has_value();
    if (!available) {
        platform::postToMainThread([weak = self] {
            if (const auto reader = weak.lock()) {
                reader->deliver(std::numeric_limits<double>::quiet_NaN());
            }
        });
    }
}

// A reader whose timer cannot start (a thread limit) is as unavailable as one without an SMC:
// the connection is closed again, so that it is open exactly while the timer exists.
void CPUTemperature::startPolling(platform::SMCConnection opened) {
    {
        const std::lock_guard guard(connectionLock);
        conn = opened;
    }
    timer.emplace(pollInterval, [weak = self] {
        if (const auto reader = weak.lock()) {
            reader->poll();
        }
    });
    if (!timer->isRunning()) {
        timer.reset();
        hasPollingFailedToStart = true;
        const std::lock_guard guard(connectionLock);
        platform::closeSMC(std::exchange(conn, 0));
    }
}

void CPUTemperature::stop() {
    // The handle is open exactly while the timer exists.
    if (!timer) {
        return;
    }
    isStopped = true;
    // Closed before the timer is cancelled: where cancelling waits for a running pass, that pass
    // has no driver call left to make.
    {
        const std::lock_guard guard(connectionLock);
        platform::closeSMC(conn);
        conn = 0;
    }
    timer.reset();
}

std::optional<double> CPUTemperature::read() const {
    const std::lock_guard guard(lock);
    return lastValue;
}

std::optional<std::string_view> CPUTemperature::errorReason() const {
    if (available) {
        return std::nullopt;
    }
    return "无法打开 AppleSMC 服务（系统权限受限）";
}

void CPUTemperature::poll() {
    std::optional<double> celsius = averageOfCoreSensors();
    if (!celsius) {
        celsius = plausibleReading(smc::cpuDieAverageKey);
    }
    if (!celsius) {
        return;
    }
    {
        const std::lock_guard guard(lock);
        lastValue = celsius;
    }
    platform::postToMainThread([weak = self, average = *celsius] {
        if (const auto reader = weak.lock()) {
            reader->deliver(average);
        }
    });
}

// An empty callback is one that wants nothing.
void CPUTemperature::deliver(double value) const {
    if (onUpdate) {
        onUpdate(value);
    }
}

std::optional<double> CPUTemperature::averageOfCoreSensors() {
    double sum = 0.0;
    int count = 0;
    for (const std::string_view key : smc::cpuTemperatureKeys) {
        if (const auto reading = plausibleReading(key)) {
            sum += *reading;
            ++count;
        }
    }
    return count == 0 ? std::nullopt : std::optional(sum / count);
}

std::optional<double> CPUTemperature::plausibleReading(std::string_view key) {
    const auto reading = readKeyUnlessStopped(key);
    return reading && isPlausible(*reading) ? reading : std::nullopt;
}

std::optional<double> CPUTemperature::readKeyUnlessStopped(std::string_view key) {
    const std::lock_guard guard(connectionLock);
    if (isStopped) {
        return std::nullopt;
    }
    return smc::readKey(conn, key);
}

} // namespace tarvo
