#include "platform/linux/StandardStreams.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace tarvo::terminal {

bool openStandardStreams() {
    for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
        if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        if (stream == STDOUT_FILENO) {
            return false;
        }
        // The lowest free descriptor: this one, as those below it are open.
        open("/dev/null", (stream == STDIN_FILENO ? O_RDONLY : O_WRONLY) | O_NOCTTY);
    }
    return true;
}

void fail(std::string_view what) {
    const std::string line = "tarvo: " + std::string(what) + '\n';
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
    // NOLINTNEXTLINE(concurrency-mt-unsafe): what a running poll touches is never destroyed.
    std::exit(EXIT_FAILURE);
}

} // namespace tarvo::terminal
