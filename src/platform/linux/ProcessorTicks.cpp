#include "platform/ProcessorTicks.h"
#include "platform/linux/ProcStat.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace tarvo::platform {
namespace {

// /proc/stat stays open: the kernel writes it afresh for every read from its start, and opening
// it each second would cost a third as much as the reading.
class ProcStatFile {
public:
    ProcStatFile() = default;
    ProcStatFile(const ProcStatFile&) = delete;
    ProcStatFile& operator=(const ProcStatFile&) = delete;
    ~ProcStatFile() { close(); }

    // The whole file, in a buffer kept between readings so that a steady tick allocates nothing.
    std::optional<std::string_view> read() {
        if (descriptor < 0) {
            descriptor = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
        }
        if (descriptor < 0 || !readFromStart()) {
            close();
            return std::nullopt;
        }
        return std::string_view(buffer.data(), length);
    }

private:
    // One read from the start hands out the whole file when it fits: a short read is the end.
    // Reading on, or probing for the end, would make the kernel write the file again, so a
    // file that does not fit is read again whole into a larger buffer.
    bool readFromStart() {
        for (;;) {
            const ssize_t got = ::pread(descriptor, buffer.data(), buffer.size(), 0);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return false;
            }
            length = static_cast<std::size_t>(got);
            if (length < buffer.size()) {
                return true;
            }
            buffer.resize(buffer.size() * 2);
        }
    }

    void close() {
        if (descriptor >= 0) {
            ::close(descriptor);
            descriptor = -1;
        }
    }

    int descriptor = -1;
    std::vector<char> buffer = std::vector<char>(4096);
    std::size_t length = 0;
};

} // namespace

std::optional<ProcessorTicks> readProcessorTicks() {
    // The samplers run on the main thread only.
    static ProcStatFile file;
    static ProcessorTickCounter counter;
    const auto text = file.read();
    return text ? counter.add(*text) : std::nullopt;
}

} // namespace tarvo::platform
