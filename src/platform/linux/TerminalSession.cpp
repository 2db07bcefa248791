#include "platform/linux/TerminalSession.h"
#include "platform/linux/FullWrite.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tarvo::terminal {

namespace {

constexpr std::string_view enterScreen = "\x1b[?1049h\x1b[?25l";
constexpr std::string_view leaveScreen = "\x1b[?25h\x1b[?1049l";
constexpr int leavingWaitMilliseconds = 1000;

// Those whose default action ends a process, besides SIGKILL, SIGINT and SIGTERM (which stop the
// loop first), SIGPIPE (ignored) and the real-time signals (numbered only at run time).
constexpr std::array endingSignals{SIGHUP,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT,   SIGBUS, SIGFPE,
                                   SIGUSR1, SIGSEGV,   SIGUSR2, SIGALRM, SIGSTKFLT, SIGIO,  SIGXCPU,
                                   SIGXFSZ, SIGVTALRM, SIGPROF, SIGPWR,  SIGSYS};

// Everything the handlers read is set before the first of them is installed. The output is a
// description of the terminal of its own, non-blocking, so that no write waits on a stalled
// terminal while the shell's stays as it was; the shared one if the terminal cannot be opened.
struct TerminalSwitch {
    bool hasModes = false;
    bool hasScreen = false;
    int keyboard = -1; // where keys are read and modes set; −1 without a terminal to read
    int output = STDOUT_FILENO;
    termios original{};
    termios raw{};
};

static_assert(std::atomic<bool>::is_always_lock_free, "handlers use the flags");

TerminalSwitch terminalSwitch;
std::atomic<bool> isTaken = false;
std::atomic<bool> isRetakeDue = false;
std::atomic<bool> isStopRequested = false;
std::atomic<int> stopSignal = 0;
std::atomic<bool> isRedrawDue = false;
const MainLoop* signalledLoop = nullptr;

// At once rather than after draining: only input handling changes, and a stalled terminal
// would never drain.
void setModes(const termios& mode) {
    while (tcsetattr(terminalSwitch.keyboard, TCSANOW, &mode) != 0 && errno == EINTR) {
    }
}

// Not the controlling terminal: no job shares it, so it is always ours.
bool isForeground() {
    const pid_t group =
        tcgetpgrp(terminalSwitch.hasScreen ? STDOUT_FILENO : terminalSwitch.keyboard);
    return group == getpgrp() || (group < 0 && errno == ENOTTY);
}

void takeTerminal() {
    isTaken = true;
    if (terminalSwitch.hasModes) {
        setModes(terminalSwitch.raw);
    }
    if (terminalSwitch.hasScreen) {
        writeFully(terminalSwitch.output, enterScreen, isStopRequested);
    }
}

// The modes first, as they need no output; the screen's bytes only if the terminal takes them
// within `milliseconds`. Async-signal-safe.
void giveTerminalBack(int milliseconds) {
    if (!isTaken.exchange(false)) {
        return;
    }
    if (terminalSwitch.hasModes) {
        setModes(terminalSwitch.original);
    }
    pollfd output{terminalSwitch.output, POLLOUT, 0};
    if (terminalSwitch.hasScreen && poll(&output, 1, milliseconds) > 0 &&
        (output.revents & POLLOUT) != 0) {
        [[maybe_unused]] const auto written =
            ::write(output.fd, leaveScreen.data(), leaveScreen.size());
    }
}

// While it lives, no stop or resume comes between a look at the terminal and what follows.
class JobControlHeldOff {
public:
    JobControlHeldOff() {
        sigset_t jobControl;
        sigemptyset(&jobControl);
        sigaddset(&jobControl, SIGTSTP);
        sigaddset(&jobControl, SIGCONT);
        pthread_sigmask(SIG_BLOCK, &jobControl, &previous);
    }
    ~JobControlHeldOff() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
    JobControlHeldOff(const JobControlHeldOff&) = delete;
    JobControlHeldOff& operator=(const JobControlHeldOff&) = delete;

private:
    sigset_t previous{};
};

void unblock(int signal) {
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
}

void install(int signal, void (*handler)(int), struct sigaction* previous = nullptr);

void closeKeyboard() {
    if (terminalSwitch.keyboard >= 0 && terminalSwitch.keyboard != STDIN_FILENO) {
        close(terminalSwitch.keyboard);
    }
    terminalSwitch.keyboard = -1;
}

void raiseFlag(std::atomic<bool>& flag) {
    const int savedErrno = errno;
    flag = true;
    signalledLoop->wake();
    errno = savedErrno;
}

void onStop(int signal) {
    stopSignal = signal;
    raiseFlag(isStopRequested);
}

void onResize(int) {
    raiseFlag(isRedrawDue);
}

// Also after a stop that was not ours: the shell may have reset the modes meanwhile.
void onContinue(int) {
    raiseFlag(isRetakeDue);
}

// Stops the process the way the shell expects, with the terminal given back meanwhile. SIGCONT
// waits for the end of this handler, so that it cannot take the terminal before the stop; the
// loop takes it once the job is in the foreground again. An orphaned process group is not
// stopped at all.
void onSuspend(int) {
    const int savedErrno = errno;
    giveTerminalBack(0);
    install(SIGTSTP, SIG_DFL);
    // NOLINTNEXTLINE(cert-err33-c): fails only for a signal that does not exist.
    raise(SIGTSTP);
    unblock(SIGTSTP); // stopped here until SIGCONT
    install(SIGTSTP, onSuspend);
    raiseFlag(isRetakeDue);
    errno = savedErrno;
}

// The first process of a PID namespace outlives its own default action, and exits with the
// status a shell gives a process ended by the signal.
[[noreturn]] void endAs(int signal) {
    install(signal, SIG_DFL);
    // NOLINTNEXTLINE(cert-err33-c): whatever it returns, _exit below ends the process.
    raise(signal);
    unblock(signal);
    _exit(128 + signal);
}

// Ends the process as the signal would have, once the terminal is back, whichever thread it
// lands on.
void onEnding(int signal) {
    giveTerminalBack(0);
    endAs(signal);
}

// Every handler runs with the other signals held off, also so that a handler's tcsetattr from
// the background does not stop the process. Interrupted calls resume, so that a resize or a
// resume costs no sampler its reading; a stop request interrupts them, a write included.
void install(int signal, void (*handler)(int), struct sigaction* previous) {
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = handler == onStop ? 0 : SA_RESTART;
    sigfillset(&action.sa_mask);
    sigaction(signal, &action, previous);
}

// Keys come from standard input when it is a terminal; otherwise, when the output is one, from
// the controlling terminal, as pagers read them. −1 when there is none to read.
int openKeyboard() {
    if (isatty(STDIN_FILENO) == 1) {
        return STDIN_FILENO;
    }
    return isatty(STDOUT_FILENO) == 1 ? open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
}

// A terminal that cannot place the cursor (Emacs' shell buffer, some serial consoles) gets the
// plain lines a pipe gets.
bool canPlaceCursor() {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read before any other thread, and none sets it.
    const char* type = std::getenv("TERM");
    return type != nullptr && *type != '\0' && std::string_view(type) != "dumb";
}

// Ctrl-C, Ctrl-Z and Ctrl-S arrive as keys; output processing stays as it was.
termios rawMode(termios mode) {
    mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    mode.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    return mode;
}

} // namespace

TerminalSession::TerminalSession(const MainLoop& loop) {
    signalledLoop = &loop;
    terminalSwitch.keyboard = openKeyboard();
    terminalSwitch.hasModes = terminalSwitch.keyboard >= 0 &&
                              tcgetattr(terminalSwitch.keyboard, &terminalSwitch.original) == 0;
    if (!terminalSwitch.hasModes) {
        closeKeyboard();
    }
    terminalSwitch.hasScreen = isatty(STDOUT_FILENO) == 1 && canPlaceCursor();
    terminalSwitch.raw = rawMode(terminalSwitch.original);
    if (terminalSwitch.hasScreen) {
        const int own = open("/proc/self/fd/1", O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        terminalSwitch.output = own >= 0 ? own : STDOUT_FILENO;
    }

    handleUnlessIgnored(SIGINT, onStop);
    handleUnlessIgnored(SIGTERM, onStop);
    handle(SIGWINCH, onResize);
    handle(SIGPIPE, SIG_IGN);
    for (const int signal : endingSignals) {
        handleUnlessIgnored(signal, onEnding);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        handleUnlessIgnored(signal, onEnding);
    }
    if (terminalSwitch.hasModes || terminalSwitch.hasScreen) {
        handle(SIGCONT, onContinue);
        handleUnlessIgnored(SIGTSTP, onSuspend);
    }
}

TerminalSession::~TerminalSession() {
    // A signal that comes meanwhile waits for the terminal and the old actions to be back.
    sigset_t all;
    sigset_t previousMask;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previousMask);
    giveTerminalBack(leavingWaitMilliseconds);
    for (const auto& [signal, previous] : previousActions) {
        sigaction(signal, &previous, nullptr);
    }
    if (terminalSwitch.output != STDOUT_FILENO) {
        close(std::exchange(terminalSwitch.output, STDOUT_FILENO));
    }
    closeKeyboard();
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    // A stop that a signal asked for ends as that signal would have, now that all is back.
    if (const int signal = stopSignal.exchange(0); signal != 0) {
        endAs(signal);
    }
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

bool TerminalSession::holdsTerminal() {
    if (!terminalSwitch.hasModes && !terminalSwitch.hasScreen) {
        return true;
    }
    const JobControlHeldOff heldOff;
    if (!isForeground()) {
        isRetakeDue = true;
        return false;
    }
    if (isRetakeDue.exchange(false) || !isTaken) {
        takeTerminal();
        isRedrawDue = true;
    }
    return true;
}

std::optional<std::string_view> TerminalSession::readKeys() {
    const ssize_t count = read(terminalSwitch.keyboard, keys.data(), keys.size());
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

int TerminalSession::keyboard() const {
    return terminalSwitch.keyboard;
}

bool TerminalSession::showsScreen() const {
    return terminalSwitch.hasScreen;
}

int TerminalSession::write(std::string_view bytes) {
    if (bytes.empty()) {
        return 0;
    }
    // Without a terminal there is no terminal state that a stop could catch half-written.
    std::optional<JobControlHeldOff> heldOff;
    if (terminalSwitch.hasModes || terminalSwitch.hasScreen) {
        heldOff.emplace();
    }
    if (terminalSwitch.hasScreen && !(isTaken && !isRetakeDue && isForeground())) {
        return 0;
    }
    errno = 0;
    const WriteOutcome outcome = writeFully(terminalSwitch.output, bytes, isStopRequested);
    if (outcome == WriteOutcome::stalled) {
        isRedrawDue = true;
    }
    if (outcome == WriteOutcome::failed) {
        return errno != 0 ? errno : EIO; // a write that took nothing and said nothing
    }
    return 0;
}

bool TerminalSession::takeStopRequest() {
    return isStopRequested.exchange(false);
}

bool TerminalSession::takeRedraw() {
    return isRedrawDue.exchange(false);
}

} // namespace tarvo::terminal
