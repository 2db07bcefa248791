#pragma once

#include "platform/linux/MainLoop.h"
#include "platform/linux/Screen.h"

#include <array>
#include <csignal>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvo::terminal {

// The terminal for as long as the front end runs: keys read one by one without echo when
// standard input is a terminal, the alternate screen with a hidden cursor when standard output
// is one. SIGINT and SIGTERM ask the loop to stop, SIGWINCH asks for a redraw, and a vanished
// output is an error rather than a fatal signal. While the terminal is switched, SIGTSTP gives
// it back for as long as the process is stopped, SIGCONT takes it again and asks for a redraw,
// and the signals that end a process give it back before they do. Everything goes back as it
// was at the end.
class TerminalSession {
public:
    explicit TerminalSession(const MainLoop& loop);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    bool readsKeys() const;
    bool showsScreen() const;
    ScreenSize size() const;

    // The keys typed so far; none once the input has ended.
    std::optional<std::string_view> readKeys();
    // False when the output is gone. What a stalled output could not take is left to a redraw.
    bool write(std::string_view bytes);

    bool takeStopRequest();
    // After a resize, a resume or a stalled write, the whole screen is to be drawn again.
    bool takeRedraw();

private:
    void handle(int signal, void (*handler)(int));
    void handleUnlessIgnored(int signal, void (*handler)(int));

    std::vector<std::pair<int, struct sigaction>> previousActions;
    std::array<char, 64> keys{};
};

} // namespace tarvo::terminal
