#include "platform/linux/CPUSensors.h"
#include "platform/linux/SMCDriver.h"
#include "samplers/CPUSensorKeys.h"
#include "samplers/SMCClient.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

// The kernel's CPU sensors found and read in fake sysfs trees.

namespace tarvo::platform {

namespace fs = std::filesystem;

// A sysfs tree in a fresh temporary folder, its files given as "hwmon2/temp1_label=Package id 0"
// or "thermal_zone1/type=x86_pkg_temp" (without "=", a sensor reading 40 °C).
struct FakeSys {
    explicit FakeSys(const std::vector<std::string>& files) {
        for (const std::string& file : files) {
            const std::size_t equals = file.find('=');
            write(file.substr(0, equals),
                  equals == std::string::npos ? "40000" : file.substr(equals + 1));
        }
    }
    ~FakeSys() { fs::remove_all(root); }

    void write(const std::string& file, const std::string& text) const {
        fs::create_directories(fs::path(path(file)).parent_path());
        std::ofstream(path(file)) << text << '\n';
    }

    std::string path(const std::string& file) const {
        return root + (file.starts_with("hwmon") ? "/class/hwmon/" : "/class/thermal/") + file;
    }

    const std::string root =
        mkdtemp((fs::temp_directory_path() / "tarvo-sys-XXXXXX").string().data());
};

// Each layout: its files, then the sensors chosen, in order.
TEST(CPUSensors, ChoosesTheCPUsOwnSensors) {
    using Files = std::vector<std::string>;
    const std::pair<Files, Files> layouts[] = {
        // Intel's package sensors and an Arm CPU device, by device number; no thermal zone.
        {{"hwmon1/name=nvme", "hwmon1/temp1_input", "hwmon10/name=coretemp",
          "hwmon10/temp1_label=Package id 1", "hwmon10/temp1_input", "hwmon2/name=coretemp",
          "hwmon2/temp1_label=Package id 0", "hwmon2/temp1_input", "hwmon2/temp2_label=Core 0",
          "hwmon2/temp2_input", "hwmon3/name=cpu_thermal", "hwmon3/temp1_input",
          "thermal_zone0/type=x86_pkg_temp", "thermal_zone0/temp"},
         {"hwmon2/temp1_input", "hwmon3/temp1_input", "hwmon10/temp1_input"}},
        // AMD: Tdie, else Tctl.
        {{"hwmon0/name=amdgpu", "hwmon0/temp1_input", "hwmon1/name=k10temp",
          "hwmon1/temp1_label=Tctl", "hwmon1/temp1_input", "hwmon1/temp2_label=Tdie",
          "hwmon1/temp2_input", "hwmon1/temp3_label=Tccd1", "hwmon1/temp3_input",
          "hwmon2/name=zenpower", "hwmon2/temp1_label=Tctl", "hwmon2/temp1_input",
          "hwmon2/temp3_label=Tccd1", "hwmon2/temp3_input"},
         {"hwmon1/temp2_input", "hwmon2/temp1_input"}},
        // No CPU device: the CPU's thermal zones.
        {{"hwmon0/name=gpu_thermal", "hwmon0/temp1_input", "thermal_zone0/type=acpitz",
          "thermal_zone0/temp", "thermal_zone1/type=x86_pkg_temp", "thermal_zone1/temp",
          "thermal_zone2/type=iwlwifi_1", "thermal_zone2/temp", "thermal_zone3/type=cpu-thermal",
          "thermal_zone3/temp"},
         {"thermal_zone1/temp", "thermal_zone3/temp"}}};
    for (const auto& [files, chosen] : layouts) {
        const FakeSys sys(files);
        Files expected(chosen.size());
        std::transform(chosen.begin(), chosen.end(), expected.begin(),
                       [&](auto& f) { return sys.path(f); });
        EXPECT_EQ(findCPUSensors(sys.root), expected) << files[2];
    }
}

// Eight entries under sensor names that are no sensor files, and a ninth that is: only the ninth
// counts, and a link to it.
TEST(CPUSensors, OnlyRegularFilesAreSensors) {
    const FakeSys sys({"hwmon0/name=coretemp", "hwmon0/temp9_input"});
    const std::string device = sys.path("hwmon0/temp");
    fs::create_directory(device + "1_input");
    for (const char* fifo : {"2_input", "3_input"}) {
        ASSERT_EQ(mkfifo((device + fifo).c_str(), 0600), 0);
    }
    const std::pair<const char*, const char*> links[] = {{"4_input", "/dev/zero"},
                                                         {"5_input", "/dev/null"},
                                                         {"6_input", "/dev/urandom"},
                                                         {"7_input", "1_input"},
                                                         {"8_input", "/nowhere"}};
    for (const auto& [name, target] : links) {
        fs::create_symlink(target, device + name);
    }
    fs::create_symlink("temp9_input", device + "10_input");
    EXPECT_EQ(findCPUSensors(sys.root), (std::vector{device + "9_input", device + "10_input"}));
}

// A fifo as a device's name, a sensor's label or a zone's type holds nothing up (the test would
// hang) and names nothing: no CPU device, no package sensor, no CPU zone.
TEST(CPUSensors, AFifoUnderANameHoldsNothingUp) {
    const FakeSys devices({"hwmon0/temp1_input", "hwmon1/name=coretemp", "hwmon1/temp1_input",
                           "hwmon1/temp2_label=Core 0", "hwmon1/temp2_input"});
    const FakeSys zones(
        {"thermal_zone0/temp", "thermal_zone1/type=x86_pkg_temp", "thermal_zone1/temp"});
    for (const std::string& fifo : {devices.path("hwmon0/name"), devices.path("hwmon1/temp1_label"),
                                    zones.path("thermal_zone0/type")}) {
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << fifo;
    }
    EXPECT_EQ(findCPUSensors(devices.root), (std::vector{devices.path("hwmon1/temp1_input"),
                                                         devices.path("hwmon1/temp2_input")}));
    EXPECT_EQ(findCPUSensors(zones.root), (std::vector{zones.path("thermal_zone1/temp")}));
}

// Ten cores and no package sensor: the eight keys take the first eight, by number, each read
// afresh on every pass. (sysfs fails the reads of a removed device's files; an unlinked file in a
// temporary folder stays readable, so a vanished sensor is emptied instead.)
TEST(LinuxSMCDriver, AnswersTheKeysFromSensorsKeptOpen) {
    const auto input = [](int sensor) { return "hwmon0/temp" + std::to_string(sensor) + "_input"; };
    const FakeSys sys({"hwmon0/name=coretemp"});
    for (int sensor = 2; sensor < 12; ++sensor) {
        sys.write(input(sensor), std::to_string(39000 + 500 * sensor));
    }
    const SMCConnection conn = openSMCUnder(sys.root);
    using Readings = std::vector<std::optional<double>>;
    const auto pass = [conn] {
        Readings readings(smc::cpuTemperatureKeys.size());
        std::transform(smc::cpuTemperatureKeys.begin(), smc::cpuTemperatureKeys.end(),
                       readings.begin(), [conn](auto key) { return smc::readKey(conn, key); });
        return readings;
    };
    EXPECT_EQ(pass(), (Readings{40.0, 40.5, 41.0, 41.5, 42.0, 42.5, 43.0, 43.5}));
    const std::string texts[] = {
        "", "garbage", "60000", "47.5", "99999999999", "-2000", std::string(64, '0') + "42500"};
    for (int sensor = 2; sensor < 9; ++sensor) {
        sys.write(input(sensor), texts[sensor - 2]);
    }
    const auto none = std::nullopt;
    EXPECT_EQ(pass(), (Readings{none, none, 60.0, none, none, -2.0, none, 43.5}));

    closeSMC(conn);
    EXPECT_EQ(openSMCUnder(sys.root + "/nothing"), 0u);
    const SMCConnection again = openSMCUnder(sys.root); // the old handle stays refused
    EXPECT_EQ(smc::readKey(conn, "Tp09"), std::nullopt);
    closeSMC(again);
}

} // namespace tarvo::platform
