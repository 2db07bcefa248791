// The terminal front end: the whole of it run for real in a child process, its output a pipe or a
// pseudo-terminal, and its main loop.
#include "platform/Application.h"
#include "platform/BackgroundTimer.h"
#include "platform/Menu.h"
#include "platform/StatusBar.h"
#include "platform/Timer.h"
#include "platform/linux/MainLoop.h"
#include "platform/model/Toolkit.h"
#include "presentation/StatusView.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace tarvo::terminal {

using namespace platform;

// A status item showing a status view, and its menu: a disabled header, a separator, a hidden item,
// "Refresh Now" disabled, both with that action, and "Quit Tarvo". A timer gives the loop a turn
// every second, as the program's tick does: a signal handler that the thread sanitizer defers runs
// at the next turn.
struct Readout {
    explicit Readout(const ApplicationDelegate& delegate) {
        Button button = *item.button();
        CustomView& content = view.view();
        button.addSubview(content);
        content.setTranslatesAutoresizingMaskIntoConstraints(false);
        for (const LayoutEdge edge :
             {LayoutEdge::leading, LayoutEdge::trailing, LayoutEdge::top, LayoutEdge::bottom}) {
            LayoutConstraint::activate(
                {content.anchor(edge).constraintEqualToAnchor(button.anchor(edge))});
        }
        header.setEnabled(false);
        refresh.setEnabled(false);
        secret.setHidden(true);
        for (MenuItem line : {header, MenuItem::separatorItem(), secret, refresh, quit}) {
            line.setTarget(delegate);
            menu.addItem(line);
        }
        item.setMenu(menu);
        Timer::scheduledTimer(1.0, true, [] {});
    }

    StatusItem item = StatusBar::system().statusItemWithLength(variableStatusItemLength);
    StatusView view;
    Menu menu;
    MenuItem header{"Tarvo 菜单栏，监控", "", ""}; // wide characters, two columns each
    MenuItem refresh{"Refresh Now", "refreshNow", "r"};
    MenuItem secret{"Secret", "refreshNow", "s"};
    MenuItem quit{"Quit Tarvo", "quit", "q"};
};

// The child: the readout; "Quit Tarvo" terminates, or has a worker thread fault, and "Refresh
// Now" must never act.
[[noreturn]] void runReadout(bool quitFaults) {
    model::resetToolkit();
    std::optional<Readout> readout;
    std::optional<BackgroundTimer> worker;
    // NOLINTNEXTLINE(cert-err33-c): a signal that exists is raised.
    const auto fault = [&] { worker.emplace(std::chrono::hours(1), [] { raise(SIGSEGV); }); };
    ApplicationDelegate delegate{DelegateActions{
        .applicationDidFinishLaunching = [&] { readout.emplace(delegate); },
        .refreshNow = [] { _exit(3); },
        .quit = [&] { quitFaults ? fault() : Application::shared().terminate(); },
    }};
    Application app = Application::shared();
    app.setDelegate(delegate);
    app.run();
    _exit(0);
}

// Where standard input comes from when the output is a terminal.
enum class Input {
    terminal,
    nullInControllingTerminal, // /dev/null, the terminal being the session's
    nullWithoutTerminal,       // /dev/null, in a session with no terminal
};

// The real-time signals have no abbreviation: their number.
std::string signalName(int signal) {
    const char* abbreviation = sigabbrev_np(signal);
    return abbreviation != nullptr ? abbreviation : std::to_string(signal);
}

struct Ending {
    const char* name;
    bool isTerminal;     // else a pipe, with no terminal as input either
    const char* keys;    // typed, unless null
    int signal;          // sent, unless 0; neither: the reader goes away
    const char* outcome; // of outcome()
    bool quitFaults = false;
    bool isBackground = false;  // started with &, then brought to the foreground
    const char* term = "xterm"; // TERM, unless null
    Input input = Input::terminal;
};

// As a shell runs a job started with &: the terminal is the session's, and the foreground job
// holds it until fg hands it over, 300 ms later, and continues the job.
void becomeABackgroundJob(int terminal) {
    setsid();
    ioctl(terminal, TIOCSCTTY, 0);
    const pid_t job = getpid();
    const pid_t foreground = fork();
    if (foreground == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        tcsetpgrp(terminal, job);
        kill(job, SIGCONT);
        _exit(0);
    }
    setpgid(foreground, foreground);
    tcsetpgrp(terminal, foreground);
}

// In a terminal the child runs in a process group of its own under this process, as a shell
// runs a job, so that it can be stopped; the test keeps the terminal's other side too, to stall
// it.
class FrontEnd : public testing::TestWithParam<Ending> {
protected:
    void SetUp() override {
        int ends[2];
        const winsize size{.ws_row = 6, .ws_col = 14, .ws_xpixel = 0, .ws_ypixel = 0};
        ASSERT_EQ(GetParam().isTerminal ? openpty(&ends[0], &ends[1], nullptr, nullptr, &size)
                                        : pipe(ends),
                  0);
        reader = ends[0], writer = ends[1];
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const Ending& ending = GetParam();
            if (ending.isBackground) {
                becomeABackgroundJob(writer);
            } else if (ending.input == Input::terminal) {
                setpgid(0, 0);
            } else {
                setsid();
            }
            if (ending.input == Input::nullInControllingTerminal) {
                ioctl(writer, TIOCSCTTY, 0);
            }
            const bool readsTerminal = ending.isTerminal && ending.input == Input::terminal;
            // NOLINTNEXTLINE(clang-analyzer-unix.StdCLibraryFunctions): /dev/null opens.
            dup2(readsTerminal ? writer : open("/dev/null", O_RDONLY), STDIN_FILENO);
            ending.term != nullptr ? setenv("TERM", ending.term, 1) : unsetenv("TERM");
            dup2(writer, STDOUT_FILENO);
            close(reader);
            const rlimit noCore{};
            setrlimit(RLIMIT_CORE, &noCore);
            runReadout(GetParam().quitFaults);
        }
    }

    void TearDown() override { close(reader), close(writer); }

    // Reads the child's output until `text` comes, for up to 5 seconds; what came before it.
    std::optional<std::string> readUntil(std::string_view text) {
        std::size_t found = 0;
        for (int polls = 0; (found = output.find(text, consumed)) == std::string::npos; ++polls) {
            pollfd readable{reader, POLLIN, 0};
            char buffer[4096];
            const ssize_t count = poll(&readable, 1, 100) > 0 ? read(reader, buffer, 4096) : 0;
            if (count < 0 || polls == 50 || (count == 0 && readable.revents != 0)) {
                return std::nullopt;
            }
            output.append(buffer, static_cast<std::size_t>(count));
        }
        std::string before = output.substr(consumed, found - consumed);
        consumed = found + text.size();
        return before;
    }

    // How the child ended or stopped, waited for up to `polls` times 5 ms; one still running is
    // killed.
    std::string outcome(int polls = 1000) const {
        int status = 0;
        for (; waitpid(child, &status, WNOHANG | WUNTRACED) != child; --polls) {
            if (polls == 0) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                return "still running";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return WIFEXITED(status)    ? "exit " + std::to_string(WEXITSTATUS(status))
               : WIFSTOPPED(status) ? "stopped by " + signalName(WSTOPSIG(status))
                                    : "killed by " + signalName(WTERMSIG(status));
    }

    // Until the child's main thread is not running (it waits in the kernel, is stopped or has
    // ended), for up to 5 seconds. The thread sanitizer of clang 14 sets up a thread's signal
    // bookkeeping on its first blocking call and loses a signal that lands meanwhile, right after
    // the first frame.
    void waitUntilSettled() const {
        const std::string stat = "/proc/" + std::to_string(child) + "/stat";
        for (int polls = 0; polls < 1000; ++polls) {
            std::ifstream file(stat);
            const std::string line(std::istreambuf_iterator<char>(file), {});
            // "pid (name) state ...", where the name may hold spaces and parentheses.
            if (const auto end = line.rfind(") ");
                end == std::string::npos || line.compare(end + 2, 1, "R") != 0) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    tcflag_t localModes() const {
        termios mode{};
        tcgetattr(reader, &mode);
        return mode.c_lflag & (ICANON | ECHO | ISIG);
    }

    // Types the keys, else sends the signal, else goes away as the reader.
    void act(const char* keys, int signal) {
        if (keys != nullptr) {
            ASSERT_EQ(write(reader, keys, std::strlen(keys)), std::ssize(std::string_view(keys)));
        } else if (signal != 0) {
            waitUntilSettled();
            kill(child, signal);
        } else {
            close(std::exchange(reader, -1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    int reader = -1;
    int writer = -1;
    pid_t child = -1;
    std::string output;
    std::size_t consumed = 0;
};

// A terminal of 14 columns and 6 rows: the readout on two rows and, under it, the shown menu
// items, disabled ones dimmed, all cut to the terminal without splitting a wide character: from the
// top left, each row cleared to its end, each \n made \r\n by the terminal, and the rest of the
// screen cleared.
const std::string bar = "\x1b[H --%   ↑0B\x1b[K\r\r\n --°C  ↓0B\x1b[K\r\r\n\x1b[K\r\r\n";
const std::string frame = bar + "\x1b[2m Tarvo 菜单栏\x1b[22m\x1b[K\r\r\n──────────────\x1b[K\r\r\n"
                                "\x1b[2m Refresh Now  \x1b[22m\x1b[K\x1b[J";
// The alternate screen without a cursor, then the frame.
const std::string firstFrame = "\x1b[?1049h\x1b[?25l" + frame;

// A frame comes only when something changed, or after the terminal was taken back.
TEST_P(FrontEnd, ShowsTheReadoutAndGivesTheTerminalBackAsItEndsOrStops) {
    const Ending& ending = GetParam();
    if (!ending.isTerminal) {
        // A plain line, hidden items left out.
        EXPECT_TRUE(
            readUntil("--% --°C ↑0B ↓0B | Tarvo 菜单栏，监控 | Refresh Now | Quit Tarvo\n"));
        EXPECT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "an input that ends stops nothing";
        act(ending.keys, ending.signal);
        EXPECT_EQ(outcome(), ending.outcome);
        return;
    }
    ASSERT_EQ(readUntil(firstFrame), "");
    EXPECT_EQ(localModes(), 0u) << "no line editing, no echo, Ctrl-C is a key";

    // A disabled and a hidden item's keys: nothing to act on, nothing to redraw; and Ctrl-S, a
    // key too, which must not stop the output.
    act("rs\x13", 0);
    act(ending.keys, ending.signal);
    EXPECT_EQ(outcome(), ending.outcome);
    EXPECT_EQ(readUntil("\x1b[?25h\x1b[?1049l"), ""); // the cursor and the screen back
    EXPECT_EQ(localModes(), ICANON | ECHO | ISIG);
    if (std::string_view(ending.outcome).starts_with("stopped")) {
        // fg: the whole frame again, though unchanged. The screen may be entered twice, as the
        // thread sanitizer may defer the handler of SIGCONT past the loop's next turn.
        act(nullptr, SIGCONT);
        EXPECT_TRUE(readUntil(firstFrame));
        EXPECT_EQ(localModes(), 0u);
        act("q", 0);
        EXPECT_EQ(outcome(), "exit 0");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, FrontEnd,
    // Ctrl-C ends it directly, and Ctrl-Z stops it as SIGTSTP does. Every signal whose default
    // action ends a process gives the terminal back first (SIGINT and SIGTERM stop the loop
    // first), also a fault on a worker thread; SIGKILL cannot, and SIGPIPE is ignored.
    testing::Values(Ending{"PipedReaderGone", false, nullptr, 0, "exit 0"},
                    Ending{"Q", true, "q", 0, "exit 0"},
                    Ending{"ControlC", true, "\x03", 0, "exit 0"},
                    Ending{"SIGHUP", true, nullptr, SIGHUP, "killed by HUP"},
                    Ending{"SIGINT", true, nullptr, SIGINT, "killed by INT"},
                    Ending{"SIGQUIT", true, nullptr, SIGQUIT, "killed by QUIT"},
                    Ending{"SIGILL", true, nullptr, SIGILL, "killed by ILL"},
                    Ending{"SIGTRAP", true, nullptr, SIGTRAP, "killed by TRAP"},
                    Ending{"SIGABRT", true, nullptr, SIGABRT, "killed by ABRT"},
                    Ending{"SIGBUS", true, nullptr, SIGBUS, "killed by BUS"},
                    Ending{"SIGFPE", true, nullptr, SIGFPE, "killed by FPE"},
                    Ending{"SIGUSR1", true, nullptr, SIGUSR1, "killed by USR1"},
                    Ending{"SIGSEGV", true, nullptr, SIGSEGV, "killed by SEGV"},
                    Ending{"SIGUSR2", true, nullptr, SIGUSR2, "killed by USR2"},
                    Ending{"SIGALRM", true, nullptr, SIGALRM, "killed by ALRM"},
                    Ending{"SIGTERM", true, nullptr, SIGTERM, "killed by TERM"},
                    Ending{"SIGSTKFLT", true, nullptr, SIGSTKFLT, "killed by STKFLT"},
                    Ending{"SIGIO", true, nullptr, SIGIO, "killed by POLL"},
                    Ending{"SIGXCPU", true, nullptr, SIGXCPU, "killed by XCPU"},
                    Ending{"SIGXFSZ", true, nullptr, SIGXFSZ, "killed by XFSZ"},
                    Ending{"SIGVTALRM", true, nullptr, SIGVTALRM, "killed by VTALRM"},
                    Ending{"SIGPROF", true, nullptr, SIGPROF, "killed by PROF"},
                    Ending{"SIGPWR", true, nullptr, SIGPWR, "killed by PWR"},
                    Ending{"SIGSYS", true, nullptr, SIGSYS, "killed by SYS"},
                    Ending{"SIGRTMIN", true, nullptr, SIGRTMIN, "killed by 34"},
                    Ending{"SIGRTMAX", true, nullptr, SIGRTMAX, "killed by 64"},
                    Ending{"FaultOnWorker", true, "q", 0, "killed by SEGV", true},
                    Ending{"ControlZ", true, "\x1a", 0, "stopped by TSTP"}),
    [](const auto& info) { return std::string(info.param.name); });

class Terminal : public FrontEnd {};

// Output stopped (Ctrl-S, Scroll Lock, a stalled link) in the middle of a frame: SIGTERM still
// ends Tarvo promptly, with the modes back.
TEST_P(Terminal, EndsPromptlyOnSIGTERMWhileOutputIsStopped) {
    ASSERT_TRUE(readUntil(firstFrame));
    tcflow(writer, TCOOFF);
    act(nullptr, SIGWINCH); // a frame the terminal does not take
    act(nullptr, SIGTERM);
    // Within 1.5 s, with the 100 ms of act(): the frame gives way at once, and the screen's bytes
    // are waited for up to a second.
    EXPECT_EQ(outcome(280), "killed by TERM");
    EXPECT_EQ(localModes(), ICANON | ECHO | ISIG);
}

// The whole frame at the new size, 24 columns by 8 rows, where the menu fits: its rule spans the
// widest title and a column either side, and the key equivalents end where that title ends.
TEST_P(Terminal, RedrawsAtTheNewSizeAfterAResize) {
    ASSERT_TRUE(readUntil(firstFrame));
    const winsize size{.ws_row = 8, .ws_col = 24, .ws_xpixel = 0, .ws_ypixel = 0};
    ioctl(reader, TIOCSWINSZ, &size);
    act(nullptr, SIGWINCH);
    const std::string menu =
        "\x1b[2m Tarvo 菜单栏，监控\x1b[22m\x1b[K\r\r\n────────────────────\x1b[K\r\r\n"
        "\x1b[2m Refresh Now      r\x1b[22m\x1b[K\r\r\n Quit Tarvo       q\x1b[K\x1b[J";
    EXPECT_EQ(readUntil(bar + menu), "");
}

// A stop it cannot see (SIGSTOP, a debugger), the shell taking the modes back, then fg: Tarvo
// takes the terminal again and redraws.
TEST_P(Terminal, TakesTheTerminalBackAfterAStopItCouldNotSee) {
    ASSERT_TRUE(readUntil(firstFrame));
    act(nullptr, SIGSTOP);
    termios modes{};
    tcgetattr(reader, &modes);
    modes.c_lflag |= ICANON | ECHO | ISIG;
    tcsetattr(reader, TCSANOW, &modes);
    act(nullptr, SIGCONT);
    EXPECT_TRUE(readUntil(firstFrame));
    EXPECT_EQ(localModes(), 0u);
}

// A terminal that takes nothing for over a second is no end: once it takes output again, the
// frame it missed comes whole at the next turn.
TEST_P(Terminal, RedrawsWholeAfterAStallOfOverASecond) {
    ASSERT_TRUE(readUntil(firstFrame));
    tcflow(writer, TCOOFF);
    act(nullptr, SIGWINCH);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    act("r", 0); // a turn
    tcflow(writer, TCOON);
    EXPECT_EQ(readUntil(frame), "");
}

INSTANTIATE_TEST_SUITE_P(Pseudo, Terminal, testing::Values(Ending{"", true, nullptr, 0, ""}));

class Keyboard : public FrontEnd {};

// Standard input elsewhere, as with tarvo < /dev/null: the keys come from the terminal, which
// does not echo them.
TEST_P(Keyboard, TakesKeysFromTheControllingTerminalWhateverStandardInputIs) {
    ASSERT_EQ(readUntil(firstFrame), "");
    EXPECT_EQ(localModes(), 0u);
    act("q", 0);
    EXPECT_EQ(outcome(), "exit 0");
    EXPECT_EQ(readUntil("\x1b[?1049l"), "\x1b[?25h");
}

INSTANTIATE_TEST_SUITE_P(Elsewhere, Keyboard,
                         testing::Values(Ending{"", true, nullptr, 0, "", false, false, "xterm",
                                                Input::nullInControllingTerminal}));

class NoKeyboard : public FrontEnd {};

// No terminal to read keys from: the menu offers none, and the terminal's modes stay.
TEST_P(NoKeyboard, OffersNoKeysWhereNoTerminalCanBeRead) {
    std::string unoffered = firstFrame;
    unoffered.replace(unoffered.find(" Refresh Now  "), 14, " Refresh Now");
    ASSERT_EQ(readUntil(unoffered), "");
    EXPECT_EQ(localModes(), ICANON | ECHO | ISIG);
    act("q", 0);
    EXPECT_EQ(outcome(20), "still running");
}

INSTANTIATE_TEST_SUITE_P(Elsewhere, NoKeyboard,
                         testing::Values(Ending{"", true, nullptr, 0, "", false, false, "xterm",
                                                Input::nullWithoutTerminal}));

class PlainTerminal : public FrontEnd {};

// A terminal that cannot place the cursor gets the plain lines of a pipe, and its keys still
// work.
TEST_P(PlainTerminal, GetsThePlainLinesOfAPipe) {
    EXPECT_EQ(readUntil("--% --°C ↑0B ↓0B | Tarvo 菜单栏，监控 | Refresh Now | Quit Tarvo\r\n"),
              "");
    act("q", 0);
    EXPECT_EQ(outcome(), "exit 0");
    EXPECT_EQ(output.find('\x1b'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Term, PlainTerminal,
                         testing::Values(Ending{"Dumb", true, nullptr, 0, "", false, false, "dumb"},
                                         Ending{"Unset", true, nullptr, 0, "", false, false,
                                                nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

class Background : public FrontEnd {};

// In the background it draws nothing and leaves the line typed at the shell, which echoes it;
// brought to the foreground, it takes the terminal and reads that line's q.
TEST_P(Background, TakesTheTerminalAndItsKeysOnlyInTheForeground) {
    act("q\n", 0);
    EXPECT_EQ(readUntil(firstFrame), "q\r\n");
    EXPECT_EQ(outcome(), "exit 0");
}

INSTANTIATE_TEST_SUITE_P(Job, Background,
                         testing::Values(Ending{"", true, nullptr, 0, "", false, true}));

// A loop late by 50 ms fires what became due in due order, a repeating timer once for the fires
// it missed; then a task posted from another thread wakes the wait, and stop() leaves the tasks
// after it for ever.
TEST(MainLoop, FiresInDueOrderOnceForMissedFiresAndRunsPostedTasksUntilStopped) {
    MainLoop loop;
    std::string trace;
    loop.addTimer(0.030, 0.0, [&] { trace += 'A'; });
    const MainLoop::TimerId repeating = loop.addTimer(0.010, 0.010, [&] { trace += 'R'; });
    loop.addTimer(0.020, 0.0, [&] { trace += 'B'; });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    loop.runDue();
    EXPECT_EQ(trace, "RBA");

    loop.cancelTimer(repeating);
    std::jthread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        loop.post([&] { trace += 'P', loop.stop(); });
        loop.post([&] { trace += 'Q'; });
    });
    loop.addTimer(1.0, 0.0, [] {}); // ends the wait if the task does not
    const auto waitStart = std::chrono::steady_clock::now();
    loop.wait(-1, -1);
    EXPECT_LT(std::chrono::steady_clock::now() - waitStart, std::chrono::milliseconds(500));
    loop.runDue(); // what woke the wait was the task
    poster.join();
    EXPECT_EQ(trace, "RBAP");
}

} // namespace tarvo::terminal
