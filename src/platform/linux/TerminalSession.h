#pragma once

#include "platform/linux/MainLoop.h"
#include "platform/linux/Screen.h"

#include <array>
#include <csignal>
#include <optional>
#include <string_view>
#include <termios.h>

namespace tarvo::terminal {

// The terminal for as long as the front end runs: keys read one by one without echo when
// standard input is a terminal, the alternate screen with a hidden cursor when standard output
// is one. SIGINT and SIGTERM ask the loop to stop, SIGWINCH asks for a redraw, and a vanished
// output is an error rather than a fatal signal. Everything goes back as it was at the end.
class TerminalSession {
public:
    explicit TerminalSession(const MainLoop& loop);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    bool readsKeys() const { return isInputTerminal; }
    bool showsScreen() const { return isOutputTerminal; }
    ScreenSize size() const;

    // The keys typed so far; none once the input has ended.
    std::optional<std::string_view> readKeys();
    // False when the output is gone. What a stalled output could not take is left to a redraw.
    bool write(std::string_view bytes);

    bool takeStopRequest();
    // After a resize or a stalled write, the whole screen is to be drawn again.
    bool takeRedraw();

private:
    bool isInputTerminal;
    bool isOutputTerminal;
    termios originalMode{};
    struct sigaction previousInterrupt {};
    struct sigaction previousTerminate {};
    struct sigaction previousResize {};
    struct sigaction previousPipe {};
    std::array<char, 64> keys{};
};

} // namespace tarvo::terminal
