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

// Adds one "cpuN ..." line into the sums; false when it is malformed.
bool addProcessorLine(std::string_view line, ProcessorTicks& sums) {
    std::size_t at = line.find_first_of(" \t");
    if (at == std::string_view::npos) {
        return false;
    }
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
        const char* last = line.data() + line.size();
        const auto [end, error] = std::from_chars(first, last, columns[count]);
        if (error != std::errc{} || (end != last && !isSpace(*end))) {
            return false;
        }
        at += static_cast<std::size_t>(end - first);
        ++count;
    }
    if (count < requiredColumns) {
        return false;
    }
    const auto [user, nice, system, idle, iowait, irq, softirq, steal] = columns;
    sums.user += user;
    sums.nice += nice;
    sums.system += system + irq + softirq + steal;
    sums.idle += idle + iowait;
    return true;
}

} // namespace

std::optional<ProcessorTicks> parseProcStat(std::string_view text) {
    ProcessorTicks sums;
    bool sawProcessor = false;
    while (!text.empty()) {
        const std::string_view line = nextLine(text);
        if (isProcessorLine(line)) {
            if (!addProcessorLine(line, sums)) {
                return std::nullopt;
            }
            sawProcessor = true;
        } else if (sawProcessor) {
            break; // the processor lines stand together; the rest of the file is not needed
        }
    }
    if (!sawProcessor) {
        return std::nullopt;
    }
    return sums;
}

} // namespace tarvo::platform
