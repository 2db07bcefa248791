#pragma once

#include "app/Program.h"
#include "appkit/Driving.h"
#include "appkit/World.h"
#include "platform/Application.h"
#include "platform/macos/Runtime.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "platform/simulated/SimulatedSystem.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tarvo::appkit::doubles {

// The whole program through the macOS binding, on the doubles of AppKit, a simulated kernel and
// SMC, and the simulated main loop's clock. Each test ends with every object the program made
// deallocated, every autorelease pool popped and no fault.
class AppOnAppKit : public testing::Test {
public:
    // The messages since `from`, without reference counting and string making.
    static std::vector<Message> messagesSince(std::size_t from) {
        static const std::set<std::string> omitted{"alloc", "retain", "release",
                                                   "initWithBytes:length:encoding:"};
        std::vector<Message> kept;
        std::copy_if(world().messages.begin() + static_cast<long>(from), world().messages.end(),
                     std::back_inserter(kept),
                     [](const Message& message) { return !omitted.contains(message.selector); });
        return kept;
    }

protected:
    AppOnAppKit() {
        resetWorld();
        simulated::resetMainLoop();
        simulated::resetSystem();
        simulated::resetSMC();
    }

    void TearDown() override {
        program.delegate.reset();
        program.app.reset();
        // As at the end of the process: the run loop lets its timers go.
        world().state<RunLoopState>(world().mainRunLoop).timers.clear();
        EXPECT_EQ(world().openPools(), 0u);
        EXPECT_EQ(world().liveObjects(), std::vector<std::string>{});
        EXPECT_EQ(world().faults, std::vector<std::string>{});
    }

    // As the entry point does.
    void launch() {
        start(program);
        program.app->run();
    }

    static void advance(double seconds) { simulated::mainLoop().advance(seconds); }

    static std::size_t messageCount() { return world().messages.size(); }

    Program program;
};

} // namespace tarvo::appkit::doubles
