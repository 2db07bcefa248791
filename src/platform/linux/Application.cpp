// The application's event loop in a terminal.
#include "platform/Application.h"
#include "platform/linux/Keys.h"
#include "platform/linux/MainLoop.h"
#include "platform/linux/Screen.h"
#include "platform/linux/StandardStreams.h"
#include "platform/linux/TerminalSession.h"
#include "platform/model/Toolkit.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>

namespace tarvo::platform {

namespace {

// Each turn runs what is due, shows what changed and waits. Keys are read only from a terminal,
// and neither keys nor frames while the job is in the background; without a terminal, or after
// its input ends, only a signal, terminate() or the end of the output ends the loop. 0, or the
// error that ended the output.
int runLoop() {
    terminal::MainLoop& loop = terminal::mainLoop();
    terminal::TerminalSession session(loop);
    terminal::Screen screen;
    loop.restart();
    loop.post(model::launch);

    bool readsKeys = session.readsKeys();
    for (;;) {
        loop.runDue();
        if (session.takeStopRequest()) {
            loop.stop();
        }
        if (loop.stopped()) {
            return 0;
        }
        const bool holdsTerminal = session.holdsTerminal();
        if (session.takeRedraw()) {
            screen.invalidate();
        }
        if (holdsTerminal) {
            const std::string_view output = session.showsScreen()
                                                ? screen.terminalFrame(session.size(), readsKeys)
                                                : screen.plainLine();
            if (const int error = session.write(output); error != 0) {
                return error;
            }
        }
        const auto ready =
            loop.wait(readsKeys && holdsTerminal ? session.keyboard() : -1, STDOUT_FILENO);
        if (ready.isOutputGone) {
            return 0; // a reader that went away is no failure
        }
        if (ready.isInputReady) {
            const auto keys = session.readKeys();
            readsKeys = keys.has_value();
            for (const char key : keys.value_or(std::string_view{})) {
                terminal::pressKey(key);
            }
        }
    }
}

} // namespace

// Ends once the terminal is back as it was; a reader that goes away is an ordinary end.
void Application::run() {
    if (!terminal::openStandardStreams()) {
        terminal::fail("standard output is closed");
    }
    if (const int error = runLoop(); error != 0 && error != EPIPE) {
        // NOLINTNEXTLINE(concurrency-mt-unsafe): no other thread of Tarvo calls strerror.
        terminal::fail(std::string("cannot write to standard output: ") + std::strerror(error));
    }
}

void Application::terminate() {
    terminal::mainLoop().stop();
}

} // namespace tarvo::platform
