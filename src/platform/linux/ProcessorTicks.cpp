#include "platform/ProcessorTicks.h"
#include "platform/linux/ProcStat.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace tarvo::platform {
namespace {

// Reads the whole file into a buffer kept per thread, so that a steady tick allocates nothing.
bool readWholeFile(const char* path, std::string& buffer) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (buffer.capacity() < 4096) {
        buffer.reserve(4096);
    }
    buffer.resize(buffer.capacity());
    std::size_t size = 0;
    bool ok = true;
    for (;;) {
        if (size == buffer.size()) {
            buffer.resize(buffer.size() * 2);
        }
        const ssize_t got = ::read(fd, buffer.data() + size, buffer.size() - size);
        if (got > 0) {
            size += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    buffer.resize(size);
    return ok;
}

} // namespace

std::optional<ProcessorTicks> readProcessorTicks() {
    thread_local std::string buffer;
    if (!readWholeFile("/proc/stat", buffer)) {
        return std::nullopt;
    }
    return parseProcStat(buffer);
}

} // namespace tarvo::platform
