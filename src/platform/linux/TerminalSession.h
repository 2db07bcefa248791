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

// The terminal for as long as the front end runs: keys read one by one without echo from
// standard input when it is a terminal, else from the controlling terminal when standard output
// is one; the alternate screen with a hidden cursor when standard output is a terminal that can
// place the cursor; both only while the process group is the terminal's foreground job. SIGINT and
// SIGTERM ask the loop to stop, even from inside a write that the terminal does not take, and end
// the process as they would have once everything is back; SIGWINCH asks for a redraw, and a
// vanished output is an error rather than a fatal signal. SIGTSTP gives the terminal back for as
// long as the process is stopped. Every other signal that ends a process gives it back first, on
// whichever thread it lands, and ends the process too, even as the first of a PID namespace. A
// signal ignored at the start stays ignored. Everything goes back as it was at the end.
class TerminalSession {
public:
    explicit TerminalSession(const MainLoop& loop);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    bool readsKeys() const;
    // The terminal the keys come from; −1 when none can be read.
    int keyboard() const;
    bool showsScreen() const;
    ScreenSize size() const;

    // Takes the terminal when it is this job's again: at the start, after a resume, or once `fg`
    // brings forward a job that `bg` sent on (which no signal tells). False in the background,
    // where nothing is drawn and no key read.
    bool holdsTerminal();

    // The keys typed so far; none once the input has ended.
    std::optional<std::string_view> readKeys();
    // 0, or the error that ended the output (EPIPE: its reader is gone). What a stalled output
    // could not take is left to a redraw, and so is a frame made before a stop or a move to the
    // background.
    int write(std::string_view bytes);

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
