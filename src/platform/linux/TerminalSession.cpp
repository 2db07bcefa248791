#include "platform/linux/TerminalSession.h"
#include "platform/linux/FullWrite.h"

#include <cerrno>
#include <pthread.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tarvo::terminal {

namespace {

constexpr std::string_view enterScreen = "\x1b[?1049h\x1b[?25l";
constexpr std::string_view leaveScreen = "\x1b[?25h\x1b[?1049l";

constexpr std::array fatalSignals{SIGHUP, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE};

// Everything the handlers read is set before the first of them is installed.
struct TerminalSwitch {
    bool hasModes = false;
    bool hasScreen = false;
    termios original{};
    termios raw{};
};

TerminalSwitch terminalSwitch;
volatile std::sig_atomic_t isGivenBack = 1;
volatile std::sig_atomic_t isStopRequested = 0;
volatile std::sig_atomic_t isRedrawDue = 0;
const MainLoop* signalledLoop = nullptr;

// At once rather than after draining: only input handling changes, and a stalled terminal
// would never drain.
void setModes(const termios& mode) {
    while (tcsetattr(STDIN_FILENO, TCSANOW, &mode) != 0 && errno == EINTR) {
    }
}

// These two and the handlers are async-signal-safe.
void takeTerminal() {
    isGivenBack = 0;
    if (terminalSwitch.hasModes) {
        setModes(terminalSwitch.raw);
    }
    if (terminalSwitch.hasScreen) {
        writeFully(STDOUT_FILENO, enterScreen);
    }
}

void giveTerminalBack() {
    if (isGivenBack != 0) {
        return;
    }
    isGivenBack = 1;
    if (terminalSwitch.hasScreen) {
        writeFully(STDOUT_FILENO, leaveScreen);
    }
    if (terminalSwitch.hasModes) {
        setModes(terminalSwitch.original);
    }
}

// Interrupted calls resume, so that a resize or a resume costs no sampler its reading. A fatal
// handler runs with every other signal held off.
void install(int signal, void (*handler)(int), struct sigaction* previous = nullptr);

void raiseFlag(volatile std::sig_atomic_t& flag) {
    flag = 1;
    signalledLoop->wake();
}

// SIGINT and SIGTERM ask for a stop, SIGWINCH for a redraw.
void onLoopSignal(int signal) {
    const int savedErrno = errno;
    raiseFlag(signal == SIGWINCH ? isRedrawDue : isStopRequested);
    errno = savedErrno;
}

// Also after a stop that was not ours: the shell may have reset the modes meanwhile.
void onContinue(int) {
    const int savedErrno = errno;
    takeTerminal();
    raiseFlag(isRedrawDue);
    errno = savedErrno;
}

// Stops the process the way the shell expects, with the terminal given back meanwhile.
void onSuspend(int) {
    const int savedErrno = errno;
    giveTerminalBack();
    install(SIGTSTP, SIG_DFL);
    raise(SIGTSTP);
    sigset_t suspend;
    sigemptyset(&suspend);
    sigaddset(&suspend, SIGTSTP);
    pthread_sigmask(SIG_UNBLOCK, &suspend, nullptr); // stopped here until SIGCONT
    install(SIGTSTP, onSuspend);
    // An orphaned process group is not stopped, and no SIGCONT comes to take the terminal.
    if (isGivenBack != 0) {
        takeTerminal();
        raiseFlag(isRedrawDue);
    }
    errno = savedErrno;
}

// Ends the process as the signal would have, once the terminal is back; a fault raises its
// signal again on return from here.
void onFatal(int signal) {
    giveTerminalBack();
    install(signal, SIG_DFL);
    raise(signal);
}

void install(int signal, void (*handler)(int), struct sigaction* previous) {
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    if (handler == onFatal) {
        sigfillset(&action.sa_mask);
    } else {
        sigemptyset(&action.sa_mask);
    }
    sigaction(signal, &action, previous);
}

// Ctrl-C and Ctrl-Z arrive as keys; output processing stays as it was.
termios rawMode(termios mode) {
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    mode.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    return mode;
}

bool takeFlag(volatile std::sig_atomic_t& flag) {
    const bool raised = flag != 0;
    flag = 0;
    return raised;
}

} // namespace

TerminalSession::TerminalSession(const MainLoop& loop) {
    signalledLoop = &loop;
    terminalSwitch.hasModes =
        isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &terminalSwitch.original) == 0;
    terminalSwitch.hasScreen = isatty(STDOUT_FILENO) == 1;
    terminalSwitch.raw = rawMode(terminalSwitch.original);

    handle(SIGINT, onLoopSignal);
    handle(SIGTERM, onLoopSignal);
    handle(SIGWINCH, onLoopSignal);
    handle(SIGPIPE, SIG_IGN);
    if (terminalSwitch.hasModes || terminalSwitch.hasScreen) {
        handle(SIGCONT, onContinue);
        handleUnlessIgnored(SIGTSTP, onSuspend);
        for (const int signal : fatalSignals) {
            handleUnlessIgnored(signal, onFatal);
        }
        takeTerminal();
    }
}

TerminalSession::~TerminalSession() {
    // A signal that comes meanwhile waits for the terminal and the old actions to be back.
    sigset_t all;
    sigset_t previousMask;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previousMask);
    giveTerminalBack();
    for (const auto& [signal, previous] : previousActions) {
        sigaction(signal, &previous, nullptr);
    }
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
}

void TerminalSession::handle(int signal, void (*handler)(int)) {
    struct sigaction previous = {};
    install(signal, handler, &previous);
    previousActions.emplace_back(signal, previous);
}

// A signal that whoever started us chose to ignore (nohup) stays ignored.
void TerminalSession::handleUnlessIgnored(int signal, void (*handler)(int)) {
    struct sigaction current = {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
        handle(signal, handler);
    }
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

bool TerminalSession::readsKeys() const {
    return terminalSwitch.hasModes;
}

bool TerminalSession::showsScreen() const {
    return terminalSwitch.hasScreen;
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
