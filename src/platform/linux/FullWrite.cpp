#include "platform/linux/FullWrite.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace tarvo::terminal {

namespace {

constexpr int stallMilliseconds = 1000;

// False when the descriptor stayed full for the whole wait; an interrupted wait counts as ready,
// so that the caller looks at `giveUp` again.
bool waitUntilWritable(int descriptor) {
    pollfd output{descriptor, POLLOUT, 0};
    const int ready = poll(&output, 1, stallMilliseconds);
    return ready != 0;
}

} // namespace

WriteOutcome writeFully(int descriptor, std::string_view bytes, const std::atomic<bool>& giveUp) {
    while (!bytes.empty()) {
        if (giveUp) {
            return WriteOutcome::stalled;
        }
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
