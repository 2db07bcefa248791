#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::platform {

// The temperature files of the processor's own sensors under a sysfs root ("/sys"), best first.
// From the hardware-monitoring devices of the CPU (Intel coretemp, AMD k10temp and zenpower, the
// Arm CPU thermal devices), by device number and then sensor number: a device's package sensors
// only ("Package id N"; "Tdie", else "Tctl") when it has them, all its sensors otherwise. Where
// no such device has a sensor, the thermal zones of the CPU instead. Only regular files count as
// sensors, once links are followed. Empty when there are none.
std::vector<std::string> findCPUSensors(const std::string& sysRoot);

// Every file under /sys is opened this way: read-only, and without blocking, so that no file
// can hold up the start or a pass. A descriptor, or −1.
int openWithoutBlocking(const std::string& path);

// A sensor file's text, whole millidegrees Celsius and a line end ("47500\n"), in degrees;
// nothing for anything else.
std::optional<double> parseMillidegrees(std::string_view text);

// One reading of an open sensor file, read afresh from its start; nothing when the read fails or
// the file holds no reading.
std::optional<double> readSensor(int descriptor);

} // namespace tarvo::platform
