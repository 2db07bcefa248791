// Runs the terminal front end for real in a child process whose output is a pipe and whose input
// is not a terminal.
#include "platform/Application.h"
#include "platform/StatusBar.h"
#include "platform/Timer.h"
#include "platform/model/Toolkit.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvo {
namespace {

using namespace platform;

// The child: a status item whose title counts the ticks of a 20-millisecond timer.
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
                timer = Timer::scheduledTimer(0.02, true, [&] {
                    item->button()->setTitle("tick " + std::to_string(++ticks));
                });
            },
        .refreshNow = {},
        .quit = {},
    }};
    Application app = Application::shared();
    app.setDelegate(delegate);
    app.run();
    _exit(0);
}

class FrontEnd : public testing::TestWithParam<int> {
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

TEST_P(FrontEnd, WritesALinePerChangeAndEndsCleanlyOnTheSignal) {
    EXPECT_EQ(readLine(), "tick 0\n");
    EXPECT_EQ(readLine(), "tick 1\n");
    EXPECT_EQ(readLine(), "tick 2\n");
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "an input that ends stops nothing";

    kill(child, GetParam());
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

INSTANTIATE_TEST_SUITE_P(Signals, FrontEnd, testing::Values(SIGINT, SIGTERM), [](const auto& info) {
    return info.param == SIGINT ? "SIGINT" : "SIGTERM";
});

} // namespace
} // namespace tarvo
