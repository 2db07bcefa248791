// The terminal front end: the screen it makes of the toolkit's objects, and the whole of it run
// for real in a child process, its output a pipe or a pseudo-terminal.
#include "platform/Application.h"
#include "platform/Menu.h"
#include "platform/StatusBar.h"
#include "platform/linux/Screen.h"
#include "platform/model/Toolkit.h"
#include "presentation/StatusView.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace tarvo::terminal {

using namespace platform;
using Lines = std::vector<std::string>;

// A status item showing a status view, and its menu: a disabled header, a separator, "Refresh Now"
// disabled, a hidden item with the same action, and "Quit Tarvo".
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
        item.setLength(view.preferredWidth());
        header.setEnabled(false);
        refresh.setEnabled(false);
        secret.setHidden(true);
        refresh.setTarget(delegate);
        secret.setTarget(delegate);
        quit.setTarget(delegate);
        for (const MenuItem& line : {header, MenuItem::separatorItem(), refresh, secret, quit}) {
            menu.addItem(line);
        }
        item.setMenu(menu);
    }

    StatusItem item = StatusBar::system().statusItemWithLength(variableStatusItemLength);
    StatusView view;
    Menu menu;
    MenuItem header{"Tarvo 菜单栏监控", "", ""}; // wide characters, two columns each
    MenuItem refresh{"Refresh Now", "refreshNow", "r"};
    MenuItem secret{"Secret", "refreshNow", "s"};
    MenuItem quit{"Quit Tarvo", "quit", "q"};
};

// A full-screen frame of these lines.
std::string frameOf(const Lines& lines) {
    std::string frame = "\x1b[H";
    for (const std::string& line : lines) {
        frame += (&line == &lines.front() ? "" : "\x1b[K\r\n") + line;
    }
    return frame + "\x1b[K\x1b[J";
}

class TerminalScreen : public testing::Test {
protected:
    // First, so that the objects below belong to the fresh toolkit.
    struct FreshToolkit {
        FreshToolkit() { model::resetToolkit(); }
    } freshToolkit;

    ApplicationDelegate delegate{DelegateActions{}};
    Readout readout{delegate};
    Screen screen;
};

TEST_F(TerminalScreen, ShowsTheReadoutOnTwoRowsAndTheShownMenuUnderItWhenSomethingChanged) {
    // Readout cells: the left column at 4 points (column 1), the right one at 4 + 16 + 7 = 27
    // points (column 7). Menu: as wide as the header's 16 columns inside, the key equivalents at
    // its right edge.
    EXPECT_EQ(
        screen.terminalFrame({40, 10}),
        frameOf({" --%   ↑0B", " --°C  ↓0B", "", "\x1b[2m Tarvo 菜单栏监控\x1b[22m",
                 "──────────────────", "\x1b[2m Refresh Now    r\x1b[22m", " Quit Tarvo     q"}));
    EXPECT_TRUE(screen.terminalFrame({40, 10}).empty()) << "nothing changed";
    screen.invalidate();
    EXPECT_FALSE(screen.terminalFrame({40, 10}).empty()) << "after a resize";

    readout.view.setDownText("↓2.5M");
    readout.item.setLength(readout.view.preferredWidth());
    readout.secret.setHidden(false);
    readout.refresh.setHidden(true);
    EXPECT_EQ(screen.terminalFrame({40, 10}),
              frameOf({" --%   ↑0B", " --°C  ↓2.5M", "", "\x1b[2m Tarvo 菜单栏监控\x1b[22m",
                       "──────────────────", " Secret         s", " Quit Tarvo     q"}));
    EXPECT_EQ(screen.terminalFrame({8, 4}),
              frameOf({" --%   ↑", " --°C  ↓", "", "\x1b[2m Tarvo \x1b[22m"}));
}

// The child: the readout; "Quit Tarvo" terminates, "Refresh Now" must never act.
[[noreturn]] void runReadout() {
    model::resetToolkit();
    std::optional<Readout> readout;
    ApplicationDelegate delegate{DelegateActions{
        .applicationDidFinishLaunching = [&] { readout.emplace(delegate); },
        .refreshNow = [] { _exit(3); },
        .quit = [] { Application::shared().terminate(); },
    }};
    Application app = Application::shared();
    app.setDelegate(delegate);
    app.run();
    _exit(0);
}

constexpr std::string_view enterScreen = "\x1b[?1049h\x1b[?25l";
constexpr std::string_view leaveScreen = "\x1b[?25h\x1b[?1049l";

struct Ending {
    const char* name;
    bool isTerminal;     // else a pipe, with no terminal as input either
    const char* keys;    // typed, unless null
    int signal;          // sent, unless 0; neither: the reader goes away
    const char* outcome; // of outcome()
};

// In a terminal the child runs in a process group of its own under this process, as a shell
// runs a job, so that it can be stopped; another program left the terminal non-blocking, and
// the test keeps the terminal's other side too, to stall it.
class FrontEnd : public testing::TestWithParam<Ending> {
protected:
    void SetUp() override {
        int ends[2];
        winsize size{.ws_row = 12, .ws_col = 40, .ws_xpixel = 0, .ws_ypixel = 0};
        ASSERT_EQ(GetParam().isTerminal ? openpty(&ends[0], &ends[1], nullptr, nullptr, &size)
                                        : pipe(ends),
                  0);
        reader = ends[0];
        writer = ends[1];
        ASSERT_EQ(fcntl(writer, F_SETFL, O_NONBLOCK), 0);
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setpgid(0, 0);
            dup2(GetParam().isTerminal ? writer : open("/dev/null", O_RDONLY), STDIN_FILENO);
            dup2(writer, STDOUT_FILENO);
            dup2(writer, STDERR_FILENO);
            close(reader);
            const rlimit noCore{};
            setrlimit(RLIMIT_CORE, &noCore);
            runReadout();
        }
        if (!GetParam().isTerminal) {
            close(std::exchange(writer, -1));
        }
    }

    void TearDown() override {
        close(reader);
        close(writer);
    }

    // Reads the child's output until `text` follows the text found last, for up to 5 seconds.
    bool readUntil(std::string_view text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::size_t found = 0;
        while ((found = output.find(text, consumed)) == std::string::npos) {
            pollfd readable{reader, POLLIN, 0};
            char buffer[4096];
            if (std::chrono::steady_clock::now() > deadline || poll(&readable, 1, 100) < 0) {
                return false;
            }
            const ssize_t count = readable.revents != 0 ? read(reader, buffer, sizeof buffer) : 0;
            if (count < 0 || (count == 0 && readable.revents != 0)) {
                return false;
            }
            output.append(buffer, static_cast<std::size_t>(count));
        }
        consumed = found + text.size();
        return true;
    }

    // How the child ended or stopped, waited for up to 5 seconds; one still running is killed.
    std::string outcome() const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (waitpid(child, &status, WNOHANG | WUNTRACED) != child) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                return "still running";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return WIFEXITED(status)    ? "exit " + std::to_string(WEXITSTATUS(status))
               : WIFSTOPPED(status) ? std::string("stopped by ") + sigabbrev_np(WSTOPSIG(status))
                                    : std::string("killed by ") + sigabbrev_np(WTERMSIG(status));
    }

    tcflag_t localModes() const {
        termios mode{};
        tcgetattr(reader, &mode);
        return mode.c_lflag & (ICANON | ECHO | ISIG);
    }

    // The terminal takes nothing for a moment after `act`.
    void stalledWhile(const std::function<void()>& act) const {
        tcflow(writer, TCOOFF);
        act();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        tcflow(writer, TCOON);
    }

    void end(const char* keys, int signal) {
        if (keys != nullptr) {
            ASSERT_EQ(write(reader, keys, std::strlen(keys)),
                      static_cast<ssize_t>(std::strlen(keys)));
        } else if (signal != 0) {
            kill(child, signal);
        } else {
            close(std::exchange(reader, -1));
        }
    }

    int reader = -1;
    int writer = -1;
    pid_t child = -1;
    std::string output;
    std::size_t consumed = 0;
};

TEST_P(FrontEnd, ShowsTheReadoutAndGivesTheTerminalBackAsItEndsOrStops) {
    const Ending& ending = GetParam();
    if (!ending.isTerminal) {
        // A plain line, hidden items left out.
        EXPECT_TRUE(readUntil("--% --°C ↑0B ↓0B | Tarvo 菜单栏监控 | Refresh Now | Quit Tarvo\n"));
        EXPECT_EQ(waitpid(child, nullptr, WNOHANG), 0) << "an input that ends stops nothing";
        end(ending.keys, ending.signal);
        EXPECT_EQ(outcome(), ending.outcome);
        return;
    }
    ASSERT_TRUE(readUntil(enterScreen) && readUntil(" Quit Tarvo     q"));
    EXPECT_EQ(localModes(), 0u) << "no line editing, no echo, Ctrl-C is a key";

    stalledWhile([&] { end(ending.keys, ending.signal); });
    EXPECT_EQ(outcome(), ending.outcome);
    EXPECT_TRUE(readUntil(leaveScreen));
    EXPECT_EQ(localModes(), ICANON | ECHO | ISIG);
    if (std::string_view(ending.outcome).starts_with("stopped")) {
        stalledWhile([&] { kill(child, SIGCONT); }); // fg
        EXPECT_TRUE(readUntil(enterScreen));
        EXPECT_TRUE(readUntil(" Quit Tarvo     q")) << "the whole frame again, though unchanged";
        EXPECT_EQ(localModes(), 0u);
        end("q", 0);
        EXPECT_EQ(outcome(), "exit 0");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Endings, FrontEnd,
    // Keys of a disabled and of a hidden item do nothing; Ctrl-C ends it directly.
    testing::Values(Ending{"PipedReaderGone", false, nullptr, 0, "exit 0"},
                    Ending{"Keys", true, "rsq", 0, "exit 0"},
                    Ending{"ControlC", true, "\x03", 0, "exit 0"},
                    Ending{"SIGTERM", true, nullptr, SIGTERM, "exit 0"},
                    Ending{"SIGHUP", true, nullptr, SIGHUP, "killed by HUP"},
                    Ending{"SIGSEGV", true, nullptr, SIGSEGV, "killed by SEGV"},
                    Ending{"ControlZ", true, "\x1a", 0, "stopped by TSTP"},
                    Ending{"SIGTSTP", true, nullptr, SIGTSTP, "stopped by TSTP"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace tarvo::terminal
