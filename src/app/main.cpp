#include "app/Program.h"

namespace {

// Set once by main and never destroyed. On macOS, quitting ends the process inside exit(),
// which must not release the status item, the menu or the timer, nor free a temperature reader
// whose pass may still be running on its queue. The terminal front end's loop returns instead,
// and the same holds there.
tarvo::Program* program = nullptr;

} // namespace

int main() {
    program = new tarvo::Program;
    tarvo::start(*program);
    program->app->run();
    return 0;
}
