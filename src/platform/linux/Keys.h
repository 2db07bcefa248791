#pragma once

namespace tarvo::terminal {

// A key typed in the terminal. Ctrl-C ends the application, Ctrl-Z suspends it; any other key
// acts as the key equivalent of the shown menu item that has it.
void pressKey(char key);

} // namespace tarvo::terminal
