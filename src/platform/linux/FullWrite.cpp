#include "platform/linux/FullWrite.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace tarvo::terminal {

namespace {

constexpr int stallMilliseconds = 1000;

bool waitUntilWritable(int descriptor) {
    pollfd output{descriptor, POLLOUT, 0};
    int ready = 0;
    do {
        ready = poll(&output, 1, stallMilliseconds);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

} // namespace

WriteOutcome writeFully(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written < 0 && errno == EAGAIN) {
            if (!waitUntilWritable(descriptor)) {
                return WriteOutcome::stalled;
            }
        } else if (written == 0 || errno != EINTR) {
            return WriteOutcome::failed;
        }
    }
    return WriteOutcome::written;
}

} // namespace tarvo::terminal
