#pragma once

#include "app/Program.h"
#include "platform/Application.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "platform/simulated/SimulatedSystem.h"
#include "platform/simulated/SimulatedToolkit.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tarvo::model {

// Readable failure messages for the call log.
inline void PrintTo(const Call& call, std::ostream* out) {
    *out << call.receiver << ' ' << call.selector;
    for (const std::string& argument : call.arguments) {
        *out << " [" << argument << ']';
    }
}

} // namespace tarvo::model

namespace tarvo::simulated {

// The whole program on the simulated platform: a fresh toolkit, kernel and SMC, the real
// AppDelegate launched through the toolkit, and readings of what the user sees. Reads of the
// kernel counters and SMC opens and closes are logged among the toolkit calls.
class AppHarness {
public:
    AppHarness() {
        resetToolkit();
        resetSystem();
        resetSMC();
        const auto log = [](const char* receiver) {
            return [receiver](const char* what) {
                toolkit().calls.push_back({receiver, what, {}});
            };
        };
        system().observer = log("kernel");
        smc().observer = log("AppleSMC");
    }

    ~AppHarness() { program.delegate.reset(); }
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    // As the entry point does.
    void launch() {
        start(program);
        program.app->run();
    }

    static void advance(double seconds) { mainLoop().advance(seconds); }

    static const model::StatusItemNode& statusItem() { return toolkit().statusItems.front(); }

    // The menu's items, top to bottom.
    static const std::vector<model::MenuItemNode*>& menuItems() { return statusItem().menu->items; }

    static const model::MenuItemNode& menuItem(std::size_t index) { return *menuItems().at(index); }

    // The shown lines of the menu, separators as "-".
    static std::vector<std::string> shownMenu() {
        std::vector<std::string> lines;
        for (const model::MenuItemNode* item : menuItems()) {
            if (!item->isHidden) {
                lines.push_back(item->isSeparator ? "-" : item->title);
            }
        }
        return lines;
    }

    // The status view's texts as the next display pass draws them (none when nothing changed).
    static std::vector<std::string> drawnTexts() {
        std::vector<std::string> texts;
        for (const model::DrawnText& drawn : displayPass()) {
            texts.push_back(drawn.text);
        }
        return texts;
    }

    // How often a call was made since `from`, an index into the call log.
    static long countCalls(const model::Call& call, std::size_t from = 0) {
        const auto& log = calls();
        return std::count(log.begin() + static_cast<long>(from), log.end(), call);
    }

    Program program;
};

} // namespace tarvo::simulated
