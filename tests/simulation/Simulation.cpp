// The whole program under a script of events, checked by an oracle of its own: the driver knows the
// ticks it gave the processors, the bytes it moved on each interface, the time it let pass and the
// readings it put in the SMC, and from those alone says what the user must see.
#include "simulation/Simulation.h"
#include "samplers/FourCC.h"
#include "support/AppHarness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace tarvo::simulated {
namespace {

constexpr double nan = NAN;
constexpr std::uint64_t counterMax = UINT64_MAX;
enum Line : std::size_t { cpuLine = 2, tempLine, hintLine, downLine, upLine };

// Printed by "%.<decimals>f" in `unit`s between `prefix` and `suffix` (no sign, NaN or infinity),
// within half a last digit of the truth, give or take a double's last bits.
bool shows(std::string_view text, std::string_view prefix, std::string_view suffix, int decimals,
           double truth, double unit = 1.0) {
    if (!text.starts_with(prefix) || !text.ends_with(suffix)) {
        return false;
    }
    const std::string number(
        text.substr(prefix.size(), text.size() - prefix.size() - suffix.size()));
    const double value = std::strtod(number.c_str(), nullptr);
    char printed[64];
    static_cast<void>(std::snprintf(printed, sizeof printed, "%.*f", decimals, value));
    const double half = 0.5 * std::pow(10.0, -decimals) * unit;
    return number == printed && std::isfinite(value) && !std::signbit(value) &&
           std::abs(value * unit - truth) <= half * (1 + 1e-9) + 1e-9 * truth;
}

using Units = std::array<std::string_view, 4>; // G, M, K and bytes
constexpr Units longUnits{" GB/s", " MB/s", " KB/s", " B/s"};
constexpr Units shortUnits{"G", "M", "K", "B"};

// In the largest decimal unit the rate reaches: G and M with `decimals`, K and bytes with none.
bool showsRate(std::string_view text, std::string_view prefix, double rate, const Units& units,
               int decimals) {
    const int unit = rate >= 1e9 ? 0 : rate >= 1e6 ? 1 : rate >= 1e3 ? 2 : 3;
    return shows(text, prefix, units[unit], unit < 2 ? decimals : 0, rate, std::pow(1e3, 3 - unit));
}

double characters(std::string_view text) {
    return static_cast<double>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// One interface of the simulated Mac, and the oracle's account of it.
struct Link {
    platform::InterfaceCounters counters;
    bool isUp = true;
    // Listed at the last measured reading under this index and name, counters not restarted
    // since: only then do its bytes count, and only then does the driver move any.
    bool counts = false;
    std::uint64_t down = 0, up = 0; // bytes moved since the last measured reading
};

// The eight core sensors, then the die average that every chip has.
constexpr std::array<const char*, 9> keys{"Tp01", "Tp05", "Tp09", "Tp0D", "Te05",
                                          "Te0S", "Te09", "Te0H", "TCMb"};

enum class Event { wait, stall, refreshNow, link, lasting, cpuBackwards, sensors };
enum Lasting : std::size_t { listUnreadable, cpuUnreadable, cpuStalled }; // faults for some steps

class Simulation {
public:
    explicit Simulation(std::span<const std::uint8_t> script) : script(script) {}

    std::string run() {
        AppHarness harness;
        toolkit().isRecordingCalls = false;
        system().observer = [this](const char* what) { onKernelRead(what); };
        smc().observer = [this](const char* what) { onDriver(what); };
        const unsigned options = byte();
        smc().hasService = options % 8 != 0;
        toolkit().statusItemsHaveButton = options / 8 % 8 != 0;
        lasting = {options / 64 % 2, options / 128, 0}; // at the priming
        openDelay = byte() / 128.0;
        addLink(byte()), addLink(byte());
        scriptSensors(byte());
        moveCounters(0.0, 0, 0);
        isLaunching = true, harness.launch(), isLaunching = false;
        lastTemp = smc().hasService ? lastTemp : nan; // the reader's one NaN, once launch is over
        settle();
        while (at < script.size() && failure.empty()) {
            step();
        }
        quit();
        return failure;
    }

private:
    static const std::string& title(Line line) { return AppHarness::menuItem(line).title; }
    unsigned byte() { return at < script.size() ? script[at++] : 0; }

    // A stall is the main thread busy elsewhere for a moment (a late tick), or the Mac asleep for
    // hours: no timer fires meanwhile.
    void step() {
        const unsigned kind = byte() % 16, value = byte(), load = byte(), rate = byte();
        double awake = 0.0, asleep = 0.0;
        for (unsigned& steps : lasting) {
            steps -= steps > 0;
        }
        switch (kind <= unsigned(Event::sensors) ? Event(kind) : Event::wait) {
        case Event::wait:
            awake = value / 64.0;
            break;
        case Event::stall:
            asleep = std::exp2(value / 14.0 - 4.0), hasStalled = true;
            break;
        case Event::refreshNow:
            awake = value % 4 != 0 ? value / 256.0 : value / 4 % 4 * 4e-7; // a microsecond or so
            break;
        case Event::link:
            changeLinks(value);
            break;
        case Event::lasting:
            lasting[value % 3] = value / 3 % 16 + 1;
            break;
        case Event::cpuBackwards:
            goBack(value);
            break;
        case Event::sensors:
            scriptSensors(value);
            break;
        }
        moveCounters(asleep, load, rate);
        mainLoop().skip(asleep);
        do { // the counters move with the clock, a quarter of a second at a time
            const double piece = std::min(awake, 0.25);
            moveCounters(piece, load, rate);
            mainLoop().advance(piece);
            awake -= piece;
        } while (awake > 0.0);
        if (kind == unsigned(Event::refreshNow)) {
            isRefreshing = true, chooseMenuItem("Refresh Now"), isRefreshing = false;
        }
        settle();
        smc().requests.clear(); // the driver's log of them, which nothing here reads
    }

    // Eight processors at 100 Hz, and the same traffic on every interface whose bytes count;
    // 64-bit counters never wrap: they stop short of 2^64.
    void moveCounters(double seconds, unsigned load, unsigned rate) {
        const auto ticksNow = static_cast<std::uint64_t>(800.0 * seconds);
        if (lasting[cpuStalled] == 0 && !hasCpuGoneBack) {
            const std::uint64_t busy = ticksNow * (load % 101) / 100;
            processors.user += busy / 2, processors.system += busy / 4;
            processors.nice += busy - busy / 2 - busy / 4, processors.idle += ticksNow - busy;
            busySince += busy, idleSince += ticksNow - busy;
        }
        const auto bytes = static_cast<std::uint64_t>(seconds * std::exp2(rate / 8.0));
        auto& list = system().interfaces.emplace();
        for (Link& link : links) {
            const std::uint64_t in = std::min(bytes, counterMax - link.counters.received);
            const std::uint64_t out = std::min(bytes / 3, counterMax - link.counters.sent);
            if (link.isUp && link.counts) {
                link.counters.received += in, link.counters.sent += out;
                link.down += in, link.up += out;
            }
            if (link.isUp) {
                list.push_back(link.counters);
            }
        }
        if (lasting[listUnreadable] > 0) {
            system().interfaces.reset();
        }
        system().processorTicks =
            lasting[cpuUnreadable] > 0 ? std::nullopt : std::optional(processors);
    }

    void addLink(unsigned value) {
        links.emplace_back().counters.index = nextIndex++;
        rename(links.back(), value);
    }

    // Another interface under this name, its counters anywhere from zero to just short of 2^64.
    void rename(Link& link, unsigned value) {
        static_cast<void>(std::snprintf(link.counters.name.data(), link.counters.name.size(),
                                        "%s%u", value % 2 != 0 ? "en" : "pdp_ip", nextName++));
        const std::uint64_t received[] = {0, std::uint64_t{value} << 32,
                                          counterMax - (std::uint64_t{value} << 20)};
        link.counters.received = received[value / 2 % 3];
        link.counters.sent = link.counters.received / 2;
        link.counts = false;
    }

    // One comes up, goes down or comes back, restarts its counters, or gives its name or its
    // index to another interface; or hundreds come up, or all but the first two go for good.
    void changeLinks(unsigned value) {
        Link& link = links[value / 8 % links.size()];
        const platform::InterfaceCounters old = link.counters;
        if (value % 8 == 0) {
            addLink(value);
        } else if (value % 8 == 1) {
            link.isUp = !link.isUp;
        } else if (value % 8 == 2) {
            link.counters.received = link.counters.sent = 0, link.counts = false;
        } else if (value % 8 < 5) {
            rename(link, value);
            link.counters.name = value % 8 == 3 ? old.name : link.counters.name;
            link.counters.index = value % 8 == 3 ? nextIndex++ : old.index;
        } else if (value % 8 == 5 || links.size() > 100) {
            links.erase(links.begin() + 2, links.end());
        } else {
            for (unsigned i = 0; i < 200; ++i) {
                addLink(value + i);
            }
        }
    }

    // A processor went away: idle, or the total, below the last reading's (none below boot's); no
    // tick moves until the next reading, so that the kernel's counters stay below it.
    void goBack(unsigned value) {
        std::uint64_t& counter = value % 2 != 0 ? processors.idle : processors.user;
        const std::uint64_t back = (value % 2 != 0 ? idleSince : busySince + idleSince) + 1 + value;
        if (back <= counter) {
            counter -= back, hasCpuGoneBack = true;
        }
    }

    // The core keys of one chip (M1 has the first four, M2 five, M3 four or five, M4 six to eight,
    // M5 none) and the die average; each reads plausibly, too cold (a power-gated cluster), too
    // hot, not a number, or fails a call.
    void scriptSensors(unsigned chip) {
        const unsigned present = (chip % 4 == 0 ? 0 : chip) | 0x100; // 0x100: the die average
        smc().keys.clear();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const unsigned kind = byte() % 6, value = byte();
            const double celsius = kind < 2    ? 10.25 + value % 418 * 0.25
                                   : kind == 2 ? value % 41 * 0.25
                                   : kind == 3 ? 115.0 + value % 64 * 0.25
                                               : nan;
            const float single = static_cast<float>(celsius);
            const SMCFault fault = value % 2 != 0 ? SMCFault::callFails : SMCFault::resultNonzero;
            SMCKey key{.dataType = smc::fourCC("flt "),
                       .bytes = std::vector<std::uint8_t>(4),
                       .infoFault = kind == 5 ? fault : SMCFault::none};
            std::memcpy(key.bytes.data(), &single, sizeof single);
            const bool isPresent = (present >> i & 1) != 0;
            plausible[i] = isPresent && kind < 2 ? std::optional(celsius) : std::nullopt;
            if (isPresent) {
                smc().keys[smc::fourCC(keys[i])] = key;
            }
        }
    }

    // A tick's first read: what the tick before, or a callback since, left is checked first. The
    // busy share of the ticks since the last reading of the counters; the bytes over the span
    // since the last measured reading of the interfaces, where a span under a microsecond is too
    // short to measure (zeros, and its bytes count later).
    void onKernelRead(std::string_view what) {
        if (what == "processorTicks") {
            settle();
            const bool isReadable = lasting[cpuUnreadable] == 0;
            const double busy = static_cast<double>(busySince),
                         total = busy + static_cast<double>(idleSince);
            cpuShare = isReadable && !std::exchange(hasCpuGoneBack, false)
                           ? (total == 0 ? 0.0 : 100.0 * busy / total)
                           : nan;
            busySince = isReadable ? 0 : busySince, idleSince = isReadable ? 0 : idleSince;
            return;
        }
        const double now = mainLoop().now();
        const double span = lastMeasured ? now - *lastMeasured : INFINITY; // the first: zeros
        downRate = upRate = 0.0;
        if (lasting[listUnreadable] == 0 && span >= 1e-6) {
            std::uint64_t down = 0, up = 0;
            for (Link& link : links) {
                down += link.isUp && link.counts ? link.down : 0;
                up += link.isUp && link.counts ? link.up : 0;
                link.counts = link.isUp, link.down = link.up = 0;
            }
            downRate = static_cast<double>(down) / span, upRate = static_cast<double>(up) / span;
            lastMeasured = now;
        }
        if (!isLaunching) {
            ++ticks, hasTicked = true, viewTemp = lastTemp.value_or(nan);
        }
        // The timer's ticks come on the whole seconds since launch, one a second, late only after
        // a stall; a refresh leaves them there.
        if (!isLaunching && !isRefreshing) {
            const double gap = now - std::exchange(lastTimerTick, now);
            expect(std::exchange(hasStalled, false) || (now == std::floor(now) && gap <= 1.0),
                   "the timer keeps its one-second rhythm", "", gap);
        }
    }

    // A pass's first call: what was there before is checked first.
    void onDriver(std::string_view what) {
        if (what == "open") {
            // Opening takes a while, so the passes land anywhere between the ticks.
            mainLoop().skip(openDelay), hasStalled = true;
        } else if (what == "call" && !isPassPending) {
            settle();
            isPassPending = true;
        }
    }

    // The average of the plausible core readings, else the die average if plausible.
    std::optional<double> passAverage() const {
        double sum = 0.0, count = 0.0;
        for (std::size_t i = 0; i < 8; ++i) {
            sum += plausible[i].value_or(0.0), count += plausible[i].has_value();
        }
        return count > 0 ? std::optional(sum / count) : plausible[8];
    }

    // Applies the pass whose callback has run, then checks what the user sees: each figure within
    // its rounding (texts of its own while it has none), the item as wide as the readout (4
    // points of padding each side, a gap of 7 between the columns, 5 points a character in the
    // simulated font), and the label saying the four figure lines.
    void settle() {
        if (const auto average =
                std::exchange(isPassPending, false) ? passAverage() : std::nullopt) {
            lastTemp = average;
        }
        const std::string &cpu = title(cpuLine), &temp = title(tempLine);
        const std::string &down = title(downLine), &up = title(upLine);
        const double share = hasTicked ? cpuShare : nan;
        figure(cpu, hasTicked ? "CPU Usage: N/A" : "CPU Usage: --", "CPU Usage: ", " %", 1, share);
        rate(down, "Download: --", "Download: ", downRate, longUnits, 2);
        rate(up, "Upload: --", "Upload: ", upRate, longUnits, 2);
        const model::MenuItemNode& hint = AppHarness::menuItem(hintLine);
        const bool hasFigure = lastTemp && !std::isnan(*lastTemp);
        const char* why = lastTemp    ? "(AppleSMC service unavailable)"
                          : hasTicked ? "(Opening AppleSMC to read temperature)"
                                      : "(Direct AppleSMC read, no admin needed)";
        figure(temp, lastTemp ? "CPU Temp: unavailable" : "CPU Temp: collecting…",
               "CPU Temp: ", " °C", 1, hasFigure ? *lastTemp : nan);
        expect(hasFigure ? hint.isHidden : !hint.isHidden && hint.title == why,
               "the hint, while there is no figure", hint.title, nan);
        const model::StatusItemNode& item = toolkit().statusItems.front();
        if (item.button == nullptr) {
            expect(item.length == -1.0, "no button: the item keeps its length", "", item.length);
            return;
        }
        if (const Texts drawn = AppHarness::drawnTexts(); drawn.size() == 4) {
            readout = drawn; // CPU, temperature, up, down
        }
        figure(readout[0], "--%", "", "%", 0, share);
        figure(readout[1], "--°C", "", "°C", 0, viewTemp);
        rate(readout[2], "↑0B", "↑", upRate, shortUnits, 1);
        rate(readout[3], "↓0B", "↓", downRate, shortUnits, 1);
        const double width =
            15.0 + 5.0 * (std::max(characters(readout[0]), characters(readout[1])) +
                          std::max(characters(readout[2]), characters(readout[3])));
        expect(item.length == width, "the item as wide as the readout", std::to_string(item.length),
               width);
        expect(item.button->accessibilityLabel == cpu + ", " + temp + ", " + down + ", " + up,
               "the spoken label: the four figure lines", item.button->accessibilityLabel, nan);
    }

    // A figure within its rounding, or while it has none (NaN) the text that says so.
    void figure(const std::string& text, std::string_view none, std::string_view prefix,
                std::string_view suffix, int decimals, double truth) {
        expect(std::isnan(truth) ? text == none : shows(text, prefix, suffix, decimals, truth),
               "a figure", text, truth);
    }

    void rate(const std::string& text, std::string_view before, std::string_view prefix,
              double truth, const Units& units, int decimals) {
        expect(hasTicked ? showsRate(text, prefix, truth, units, decimals) : text == before,
               "a rate", text, truth);
    }

    // A day after Quit: nothing may tick, poll, draw, read the kernel or call the SMC.
    void quit() {
        settle();
        AppHarness::drawnTexts();
        system().observer = AppHarness::logAs("kernel"), smc().observer = AppHarness::logAs("SMC");
        toolkit().isRecordingCalls = true;
        chooseMenuItem("Quit Tarvo");
        const std::size_t quitCalls = calls().size();
        moveCounters(86400.0, 50, 80);
        mainLoop().advance(86400.0);
        const bool isTerminated = quitCalls > 0 && calls()[quitCalls - 1].selector == "terminate:";
        expect(isTerminated && calls().size() == quitCalls && AppHarness::drawnTexts().empty() &&
                   smc().misuses == 0,
               "Quit terminates, and then nothing happens",
               calls().size() > quitCalls ? calls().back().selector : "", nan);
    }

    void expect(bool holds, std::string_view invariant, std::string_view text, double truth) {
        if (!holds && failure.empty()) {
            failure = "tick " + std::to_string(ticks) + " at " + std::to_string(mainLoop().now()) +
                      " s: " + std::string(invariant) + ": shows \"" + std::string(text) + "\"" +
                      (std::isnan(truth) ? "" : ", truth " + std::to_string(truth));
        }
    }

    std::span<const std::uint8_t> script;
    std::size_t at = 0;
    std::string failure;
    long ticks = 0;

    // The simulated Mac.
    platform::ProcessorTicks processors{
        .user = 1ULL << 40, .system = 1ULL << 38, .idle = 1ULL << 41, .nice = 1ULL << 36};
    std::array<unsigned, 3> lasting{}; // steps left, by Lasting
    std::vector<Link> links;
    unsigned nextIndex = 1, nextName = 0;
    double openDelay = 0.0;

    // The oracle's account: ticks since the last reading of the counters (since boot at first),
    // when the interfaces were last measured, the readings a pass may average, and what the user
    // must see.
    std::uint64_t busySince = processors.user + processors.system + processors.nice;
    std::uint64_t idleSince = processors.idle;
    std::optional<double> lastMeasured;
    std::array<std::optional<double>, 9> plausible;
    bool hasTicked = false, isLaunching = false, isPassPending = false;
    bool hasCpuGoneBack = false, hasStalled = false, isRefreshing = false;
    double lastTimerTick = 0.0;
    double cpuShare = nan, downRate = 0.0, upRate = 0.0; // a NaN share: unavailable
    double viewTemp = nan;                               // the reader's figure at the last tick
    std::optional<double> lastTemp;                      // the last value handed over; NaN: no SMC
    Texts readout{"--%", "--°C", "↑0B", "↓0B"};
};

} // namespace

std::string simulate(std::span<const std::uint8_t> script) {
    return Simulation(script).run();
}

} // namespace tarvo::simulated
