#include "platform/linux/CPUSensors.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <utility>

namespace tarvo::platform {
namespace {

// Names, labels, zone types and readings are one short line: a file that fills this is none.
using SmallFile = std::array<char, 64>;

constexpr std::string_view inputSuffix = "_input";

std::optional<std::string_view> readFromStart(int descriptor, SmallFile& buffer) {
    for (;;) {
        const ssize_t got = ::pread(descriptor, buffer.data(), buffer.size(), 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 || static_cast<std::size_t>(got) == buffer.size()) {
            return std::nullopt;
        }
        return std::string_view(buffer.data(), static_cast<std::size_t>(got));
    }
}

// The first line of a small file; empty when it cannot be read. Opened without blocking, so that
// a fifo under a sensor's name holds up nothing.
std::string firstLine(const std::string& path) {
    const int descriptor = openWithoutBlocking(path);
    if (descriptor < 0) {
        return {};
    }
    SmallFile buffer;
    const auto text = readFromStart(descriptor, buffer);
    ::close(descriptor);
    return text ? std::string(text->substr(0, text->find('\n'))) : std::string();
}

// A directory, fifo, socket or device under a sensor's name is no sensor; links are followed.
bool isSensorFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// N in prefix + N + suffix ("hwmon3", "temp2_input").
std::optional<unsigned> numberBetween(std::string_view name, std::string_view prefix,
                                      std::string_view suffix) {
    if (name.size() < prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix)) {
        return std::nullopt;
    }
    const std::string_view digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const char* last = digits.data() + digits.size();
    unsigned number = 0;
    const auto [end, error] = std::from_chars(digits.data(), last, number);
    if (error != std::errc{} || end != last) {
        return std::nullopt;
    }
    return number;
}

// The paths of a folder's entries named prefix + N + suffix, by N (hwmon2 before hwmon10). The
// hwmon entries are links to the devices; their paths lead through them.
std::vector<std::string> numberedEntries(const std::string& folder, std::string_view prefix,
                                         std::string_view suffix) {
    std::vector<std::pair<unsigned, std::string>> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (const auto number = numberBetween(name, prefix, suffix)) {
            // NOLINTNEXTLINE(performance-inefficient-string-concatenation): a few, once at start.
            found.emplace_back(*number, folder + '/' + name);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (auto& [number, path] : found) {
        paths.push_back(std::move(path));
    }
    return paths;
}

// The CPU thermal devices and zones of Arm systems: "cpu_thermal", "cpu0-thermal",
// "soc_thermal" and the like; never those of the GPU or memory.
bool isArmCPUThermal(std::string_view name) {
    return (name.starts_with("cpu") || name.starts_with("soc")) &&
           (name.ends_with("_thermal") || name.ends_with("-thermal"));
}

bool isCPUDevice(std::string_view name) {
    return name == "coretemp" || name == "k10temp" || name == "zenpower" || isArmCPUThermal(name);
}

bool isCPUZone(std::string_view type) {
    return type == "x86_pkg_temp" || isArmCPUThermal(type);
}

bool isIntelPackage(std::string_view label) {
    return label.starts_with("Package id ");
}
bool isTdie(std::string_view label) {
    return label == "Tdie";
}
// Tctl is what the fan control sees; on some processors it runs above the die's temperature.
bool isTctl(std::string_view label) {
    return label == "Tctl";
}

// A package sensor reads the whole die. Averaged with the per-core sensors beside it, it would
// count the same heat twice and let the number of cores weigh the figure; so where a device has
// package sensors, they alone stand for it. The kinds in order of preference.
constexpr std::array packageKinds{isIntelPackage, isTdie, isTctl};

struct Sensor {
    std::string path;
    std::string label;
};

void addDeviceSensors(const std::string& device, std::vector<std::string>& chosen) {
    std::vector<Sensor> sensors;
    for (std::string& input : numberedEntries(device, "temp", inputSuffix)) {
        if (!isSensorFile(input)) {
            continue;
        }
        std::string label =
            firstLine(input.substr(0, input.size() - inputSuffix.size()) + "_label");
        sensors.push_back({std::move(input), std::move(label)});
    }
    for (const auto isPackage : packageKinds) {
        const auto isPackageSensor = [&](const Sensor& sensor) { return isPackage(sensor.label); };
        if (std::any_of(sensors.begin(), sensors.end(), isPackageSensor)) {
            std::erase_if(sensors, std::not_fn(isPackageSensor));
            break;
        }
    }
    for (Sensor& sensor : sensors) {
        chosen.push_back(std::move(sensor.path));
    }
}

} // namespace

std::vector<std::string> findCPUSensors(const std::string& sysRoot) {
    std::vector<std::string> chosen;
    for (const std::string& device : numberedEntries(sysRoot + "/class/hwmon", "hwmon", "")) {
        if (isCPUDevice(firstLine(device + "/name"))) {
            addDeviceSensors(device, chosen);
        }
    }
    if (!chosen.empty()) {
        return chosen;
    }
    for (const std::string& zone :
         numberedEntries(sysRoot + "/class/thermal", "thermal_zone", "")) {
        if (isCPUZone(firstLine(zone + "/type")) && isSensorFile(zone + "/temp")) {
            chosen.push_back(zone + "/temp");
        }
    }
    return chosen;
}

int openWithoutBlocking(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

std::optional<double> parseMillidegrees(std::string_view text) {
    if (text.ends_with('\n')) {
        text.remove_suffix(1);
    }
    const char* last = text.data() + text.size();
    std::int32_t millidegrees = 0;
    const auto [end, error] = std::from_chars(text.data(), last, millidegrees);
    if (error != std::errc{} || end != last) {
        return std::nullopt;
    }
    return millidegrees / 1000.0;
}

std::optional<double> readSensor(int descriptor) {
    SmallFile buffer;
    const auto text = readFromStart(descriptor, buffer);
    return text ? parseMillidegrees(*text) : std::nullopt;
}

} // namespace tarvo::platform
