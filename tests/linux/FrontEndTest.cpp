// Runs the terminal front end for real in a child process: with a pipe as output and no
// terminal as input, and in a pseudo-terminal.
#include "platform/Application.h"
#include "platform/Menu.h"
#include "platform/StatusBar.h"
#include "platform/Timer.h"
#include "platform/model/Toolkit.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace tarvo {
namespace {

using namespace platform;

// The child: a status item whose title counts the first three ticks of a 20-millisecond timer,
// then stays, and a menu whose "Quit" (key "q") terminates.
[[noreturn]] void runCountingApplication() {
    model::resetToolkit();
    std::optional<StatusItem> item;
    std::optional<Timer> timer;
    int ticks = 0;
    ApplicationDelegate delegate{DelegateActions{
        .applicationDidFinishLaunching =
            [&] {
                item = StatusBar::system().statusItemWithLength(variableStatusItemLength);
                item->button()->setTitle("tick 0");
                Menu menu;
                MenuItem quit("Quit", "quit", "q");
                quit.setTarget(delegate);
                menu.addItem(quit);
                item->setMenu(menu);
                timer = Timer::scheduledTimer(0.02, true, [&] {
                    if (ticks < 3) {
                        item->button()->setTitle("tick " + std::to_string(++ticks));
                    }
                });
            },
        .refreshNow = {},
        .quit = [] { Application::shared().terminate(); },
    }};
    Application app = Application::shared();
    app.setDelegate(delegate);
    app.run();
    _exit(0);
}

// How the child ended or stopped, waited for up to `limit`; one still running then is killed.
std::string outcomeOf(pid_t child, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG | WUNTRACED) != child) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return "still running";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status)) {
        return "exit " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSTOPPED(status)) {
        return std::string("stopped by ") + sigabbrev_np(WSTOPSIG(status));
    }
    return std::string("killed by ") + sigabbrev_np(WTERMSIG(status));
}

// Ends the child with the signal, or for 0 by closing the pipe, within a second while nothing
// changes.
class PipedFrontEnd : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            dup2(ends[1], STDOUT_FILENO);
            dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
            close(ends[0]);
            runCountingApplication();
        }
        close(ends[1]);
        output = fdopen(ends[0], "r");
    }

    void TearDown() override {
        if (output != nullptr) {
            fclose(output);
        }
    }

    std::string readLine() {
        char line[256] = {};
        return fgets(line, sizeof line, output) == nullptr ? "" : line;
    }

    pid_t child = -1;
    FILE* output = nullptr;
};

TEST_P(PipedFrontEnd, WritesALinePerChangeAndEndsCleanly) {
    EXPECT_EQ(readLine(), "tick 0 | Quit\n");
    EXPECT_EQ(readLine(), "tick 1 | Quit\n");
    EXPECT_EQ(readLine(), "tick 2 | Quit\n");
    EXPECT_EQ(readLine(), "tick 3 | Quit\n");
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "an input that ends stops nothing";

    if (GetParam() == 0) {
        fclose(std::exchange(output, nullptr));
    } else {
        kill(child, GetParam());
    }
    EXPECT_EQ(outcomeOf(child, std::chrono::seconds(1)), "exit 0");
}

INSTANTIATE_TEST_SUITE_P(Endings, PipedFrontEnd, testing::Values(SIGINT, SIGTERM, 0),
                         [](const auto& info) {
                             return info.param == 0 ? "ReaderGone" : sigabbrev_np(info.param);
                         });

constexpr std::string_view enterScreen = "\x1b[?1049h\x1b[?25l";
constexpr std::string_view leaveScreen = "\x1b[?25h\x1b[?1049l";

// The child runs in a process group of its own under this process, as a shell runs a job, so
// that it can be stopped. Another program left their terminal non-blocking, and the test keeps
// the terminal's other side too, to stall it.
class TerminalFrontEnd : public testing::Test {
protected:
    void SetUp() override {
        winsize size{};
        size.ws_row = 12;
        size.ws_col = 40;
        ASSERT_EQ(openpty(&terminal, &replica, nullptr, nullptr, &size), 0);
        ASSERT_EQ(fcntl(replica, F_SETFL, O_NONBLOCK), 0);
        child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            setpgid(0, 0);
            for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
                dup2(replica, descriptor);
            }
            close(replica);
            close(terminal);
            const rlimit noCore{};
            setrlimit(RLIMIT_CORE, &noCore);
            runCountingApplication();
        }
    }

    void TearDown() override {
        close(replica);
        close(terminal);
    }

    // Reads the child's screen output until `text` follows the text found last, for up to five
    // seconds.
    bool readUntil(std::string_view text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        std::size_t found = 0;
        while ((found = screen.find(text, consumed)) == std::string::npos) {
            pollfd readable{terminal, POLLIN, 0};
            char buffer[4096];
            if (std::chrono::steady_clock::now() > deadline || poll(&readable, 1, 100) < 0) {
                return false;
            }
            if (readable.revents != 0) {
                const ssize_t count = read(terminal, buffer, sizeof buffer);
                if (count <= 0) {
                    return false;
                }
                screen.append(buffer, static_cast<std::size_t>(count));
            }
        }
        consumed = found + text.size();
        return true;
    }

    tcflag_t localModes() const {
        termios mode{};
        tcgetattr(terminal, &mode);
        return mode.c_lflag & (ICANON | ECHO | ISIG);
    }

    void type(char key) { ASSERT_EQ(write(terminal, &key, 1), 1); }

    // The terminal takes nothing for a moment after `act`.
    void stalledWhile(const std::function<void()>& act) {
        tcflow(replica, TCOOFF);
        act();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        tcflow(replica, TCOON);
    }

    int terminal = -1;
    int replica = -1;
    pid_t child = -1;
    std::string screen;
    std::size_t consumed = 0;
};

struct Action {
    const char* name;
    char key;            // typed, unless 0
    int signal;          // sent, unless 0
    const char* outcome; // of outcomeOf()
};

class TerminalAction : public TerminalFrontEnd, public testing::WithParamInterface<Action> {};

TEST_P(TerminalAction, GivesTheTerminalBackAsItEndsOrStops) {
    const Action& action = GetParam();
    ASSERT_TRUE(readUntil(" Quit  q"));
    EXPECT_TRUE(screen.starts_with(enterScreen)) << screen;
    ASSERT_TRUE(readUntil("tick 3"));
    EXPECT_EQ(localModes(), 0u) << "no line editing, no echo, Ctrl-C is a key";

    stalledWhile([&] {
        if (action.key != 0) {
            type(action.key);
        } else {
            kill(child, action.signal);
        }
    });
    EXPECT_EQ(outcomeOf(child), action.outcome);
    EXPECT_TRUE(readUntil(leaveScreen));
    EXPECT_EQ(localModes(), ICANON | ECHO | ISIG);
    if (std::string_view(action.outcome).starts_with("stopped")) {
        stalledWhile([&] { kill(child, SIGCONT); }); // fg
        EXPECT_TRUE(readUntil(enterScreen));
        EXPECT_TRUE(readUntil(" Quit  q")) << "the whole frame again, though nothing changed";
        EXPECT_EQ(localModes(), 0u);
        type('q');
        EXPECT_EQ(outcomeOf(child), "exit 0");
    }
}

INSTANTIATE_TEST_SUITE_P(Actions, TerminalAction,
                         testing::Values(Action{"QuitKey", 'q', 0, "exit 0"},
                                         Action{"ControlC", '\x03', 0, "exit 0"},
                                         Action{"SIGTERM", 0, SIGTERM, "exit 0"},
                                         Action{"SIGHUP", 0, SIGHUP, "killed by HUP"},
                                         Action{"SIGSEGV", 0, SIGSEGV, "killed by SEGV"},
                                         Action{"ControlZ", '\x1a', 0, "stopped by TSTP"},
                                         Action{"SIGTSTP", 0, SIGTSTP, "stopped by TSTP"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo
