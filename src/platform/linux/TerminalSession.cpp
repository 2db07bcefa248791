#include "platform/linux/TerminalSession.h"
#include "platform/linux/FullWrite.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tarvo::terminal {

namespace {

constexpr std::string_view enterScreen = "\x1b[?1049h\x1b[?25l";
constexpr std::string_view leaveScreen = "\x1b[?25h\x1b[?1049l";

volatile std::sig_atomic_t isStopRequested = 0;
volatile std::sig_atomic_t isRedrawDue = 0;
const MainLoop* signalledLoop = nullptr;

void onSignal(int signal) {
    if (signal == SIGWINCH) {
        isRedrawDue = 1;
    } else {
        isStopRequested = 1;
    }
    signalledLoop->wake();
}

void catchSignal(int signal, struct sigaction& previous) {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, &previous);
}

bool takeFlag(volatile std::sig_atomic_t& flag) {
    const bool raised = flag != 0;
    flag = 0;
    return raised;
}

} // namespace

TerminalSession::TerminalSession(const MainLoop& loop)
    : isInputTerminal(isatty(STDIN_FILENO) == 1), isOutputTerminal(isatty(STDOUT_FILENO) == 1) {
    signalledLoop = &loop;
    catchSignal(SIGINT, previousInterrupt);
    catchSignal(SIGTERM, previousTerminate);
    catchSignal(SIGWINCH, previousResize);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previousPipe);

    if (isInputTerminal && tcgetattr(STDIN_FILENO, &originalMode) == 0) {
        termios raw = originalMode;
        // Ctrl-C arrives as a key; output processing stays as it was.
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
        raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        tcsetattr(STDIN_FILENO, TCSADRAIN, &raw);
    } else {
        isInputTerminal = false;
    }
    if (isOutputTerminal) {
        write(enterScreen);
    }
}

TerminalSession::~TerminalSession() {
    if (isOutputTerminal) {
        write(leaveScreen);
    }
    if (isInputTerminal) {
        // At once rather than after draining: only input handling changes, and a stalled
        // terminal would never drain.
        tcsetattr(STDIN_FILENO, TCSANOW, &originalMode);
    }
    sigaction(SIGPIPE, &previousPipe, nullptr);
    sigaction(SIGWINCH, &previousResize, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    sigaction(SIGINT, &previousInterrupt, nullptr);
}

ScreenSize TerminalSession::size() const {
    winsize window{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &window) != 0 || window.ws_col == 0 ||
        window.ws_row == 0) {
        return {};
    }
    return {window.ws_col, window.ws_row};
}

std::optional<std::string_view> TerminalSession::readKeys() {
    const ssize_t count = read(STDIN_FILENO, keys.data(), keys.size());
    if (count > 0) {
        return std::string_view(keys.data(), static_cast<std::size_t>(count));
    }
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
        return std::string_view{};
    }
    return std::nullopt;
}

bool TerminalSession::write(std::string_view bytes) {
    const WriteOutcome outcome = writeFully(STDOUT_FILENO, bytes);
    if (outcome == WriteOutcome::stalled) {
        isRedrawDue = 1;
    }
    return outcome != WriteOutcome::failed;
}

bool TerminalSession::takeStopRequest() {
    return takeFlag(isStopRequested);
}

bool TerminalSession::takeRedraw() {
    return takeFlag(isRedrawDue);
}

} // namespace tarvo::terminal
