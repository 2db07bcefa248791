#pragma once

#include "app/Program.h"
#include "platform/Application.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "platform/simulated/SimulatedSystem.h"
#include "platform/simulated/SimulatedToolkit.h"

namespace tarvo::simulated {

using Texts = std::vector<std::string>;

// The whole program on the simulated platform: a fresh toolkit, kernel and SMC, the real
// AppDelegate launched through the entry point's steps, and readings of what the user sees.
// Reads of the kernel counters and the SMC's opens, calls and closes are logged among the
// toolkit calls.
class AppHarness {
public:
    AppHarness() {
        resetToolkit(), resetSystem(), resetSMC();
        system().observer = logAs("kernel");
        smc().observer = logAs("AppleSMC");
    }

    static std::function<void(const char*)> logAs(std::string receiver) {
        return [receiver = std::move(receiver)](const char* what) {
            toolkit().calls.push_back({receiver, what, {}});
        };
    }

    void launch() { start(program), program.app->run(); }

    static const model::MenuItemNode& menuItem(std::size_t index) {
        return *toolkit().statusItems.front().menu->items.at(index);
    }

    // The shown lines of the menu, separators as "-".
    static Texts shownMenu() {
        Texts lines;
        for (const model::MenuItemNode* item : toolkit().statusItems.front().menu->items) {
            if (!item->isHidden) {
                lines.push_back(item->isSeparator ? "-" : item->title);
            }
        }
        return lines;
    }

    // The status view's texts as the next display pass draws them (none when nothing changed).
    static Texts drawnTexts() {
        Texts texts;
        for (const model::DrawnText& drawn : displayPass()) {
            texts.push_back(drawn.text);
        }
        return texts;
    }

    // The calls logged from index `from` on, each as "receiver selector argument...".
    static Texts callsFrom(std::size_t from = 0) {
        Texts lines;
        for (auto call = calls().begin() + static_cast<long>(from); call != calls().end(); ++call) {
            lines.push_back(call->receiver + ' ' + call->selector);
            for (const std::string& argument : call->arguments) {
                lines.back() += ' ' + argument;
            }
        }
        return lines;
    }

    Program program;
};

} // namespace tarvo::simulated
