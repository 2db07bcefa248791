#include "platform/linux/ProcStat.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace tarvo::platform {
namespace {

// Column order of a cpuN line: user nice system idle iowait irq softirq steal guest guest_nice.
// Kernels before 2.6.11 stop early; the first four columns are always there.
constexpr std::size_t requiredColumns = 4;
constexpr std::size_t usedColumns = 8;

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view nextLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return line;
}

bool isProcessorLine(std::string_view line) {
    return line.size() > 3 && line.starts_with("cpu") && line[3] >= '0' && line[3] <= '9';
}

// One "cpuN ..." line; nothing when it is malformed.
std::optional<ProcessorLine> parseProcessorLine(std::string_view line) {
    ProcessorLine parsed;
    const char* last = line.data() + line.size();
    const auto [numberEnd, numberError] = std::from_chars(line.data() + 3, last, parsed.number);
    if (numberError != std::errc{} || numberEnd == last || !isSpace(*numberEnd)) {
        return std::nullopt;
    }
    std::size_t at = static_cast<std::size_t>(numberEnd - line.data());
    std::array<std::uint64_t, usedColumns> columns{};
    std::size_t count = 0;
    while (count < usedColumns) {
        while (at < line.size() && isSpace(line[at])) {
            ++at;
        }
        if (at == line.size()) {
            break;
        }
        const char* first = line.data() + at;
        const auto [end, error] = std::from_chars(first, last, columns[count]);
        if (error != std::errc{} || (end != last && !isSpace(*end))) {
            return std::nullopt;
        }
        at += static_cast<std::size_t>(end - first);
        ++count;
    }
    if (count < requiredColumns) {
        return std::nullopt;
    }
    const auto [user, nice, system, idle, iowait, irq, softirq, steal] = columns;
    parsed.ticks = {.user = user,
                    .system = system + irq + softirq + steal,
                    .idle = idle + iowait,
                    .nice = nice};
    return parsed;
}

bool isBehind(const ProcessorTicks& now, const ProcessorTicks& before) {
    return now.user < before.user || now.system < before.system || now.idle < before.idle ||
           now.nice < before.nice;
}

// What a processor counted since `before`; since boot without it.
void addSince(ProcessorTicks& sums, const ProcessorTicks& now, const ProcessorTicks& before = {}) {
    sums.user += now.user - before.user;
    sums.system += now.system - before.system;
    sums.idle += now.idle - before.idle;
    sums.nice += now.nice - before.nice;
}

// The processor's line in `lines`, looked for first where the previous one was found: the lines
// come in the same order every time.
const ProcessorLine* find(const std::vector<ProcessorLine>& lines, unsigned number,
                          std::size_t& hint) {
    if (hint < lines.size() && lines[hint].number == number) {
        return &lines[hint++];
    }
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (lines[index].number == number) {
            hint = index + 1;
            return &lines[index];
        }
    }
    return nullptr;
}

} // namespace

bool parseProcessorLines(std::string_view text, std::vector<ProcessorLine>& lines) {
    lines.clear();
    while (!text.empty()) {
        const std::string_view line = nextLine(text);
        if (isProcessorLine(line)) {
            const std::optional<ProcessorLine> parsed = parseProcessorLine(line);
            if (!parsed) {
                return false;
            }
            lines.push_back(*parsed);
        } else if (!lines.empty()) {
            break; // the processor lines stand together; the rest of the file is not needed
        }
    }
    return !lines.empty();
}

std::optional<ProcessorTicks> ProcessorTickCounter::add(std::string_view procStat) {
    if (!parseProcessorLines(procStat, current)) {
        return std::nullopt;
    }
    if (!counted) {
        counted.emplace();
        for (const ProcessorLine& line : current) {
            addSince(*counted, line.ticks);
        }
    } else {
        std::size_t hint = 0;
        for (const ProcessorLine& line : current) {
            const ProcessorLine* before = find(previous, line.number, hint);
            if (before != nullptr && !isBehind(line.ticks, before->ticks)) {
                addSince(*counted, line.ticks, before->ticks);
            }
        }
    }
    std::swap(previous, current);
    return counted;
}

} // namespace tarvo::platform
