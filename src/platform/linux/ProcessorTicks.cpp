#include "platform/ProcessorTicks.h"
#include "platform/linux/ProcStat.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

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
        return std::string_view(buffer);
    }

private:
    bool readFromStart() {
        if (buffer.capacity() < 4096) {
            buffer.reserve(4096);
        }
        buffer.resize(buffer.capacity());
        std::size_t size = 0;
        for (;;) {
            if (size == buffer.size()) {
                buffer.resize(buffer.size() * 2);
            }
            const ssize_t got = ::pread(descriptor, buffer.data() + size, buffer.size() - size,
                                        static_cast<off_t>(size));
            if (got > 0) {
                size += static_cast<std::size_t>(got);
            } else if (got == 0) {
                buffer.resize(size);
                return true;
            } else if (errno != EINTR) {
                return false;
            }
        }
    }

    void close() {
        if (descriptor >= 0) {
            ::close(descriptor);
            descriptor = -1;
        }
    }

    int descriptor = -1;
    std::string buffer;
};

} // namespace

std::optional<ProcessorTicks> readProcessorTicks() {
    static ProcStatFile file; // the samplers run on the main thread only
    const auto text = file.read();
    return text ? parseProcStat(*text) : std::nullopt;
}

} // namespace tarvo::platform
