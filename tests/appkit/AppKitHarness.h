#pragma once

#include "app/Program.h"
#include "appkit/MessageCheck.h"
#include "platform/macos/Runtime.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedSMC.h"
#include "platform/simulated/SimulatedSystem.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>

namespace tarvo::appkit::doubles {

// The whole program through the macOS binding on the doubles of AppKit, a simulated kernel and
// SMC and the simulated main loop's clock; kernel reads and SMC opens and closes are logged among
// the messages. Each test ends with every object the program made deallocated, every autorelease
// pool popped and no fault.
class AppKitTest : public testing::Test {
protected:
    AppKitTest() {
        resetWorld();
        simulated::resetMainLoop();
        simulated::resetSystem();
        simulated::resetSMC();
        const auto note = [](const char* what) {
            world().messages.emplace_back(what, "-- " + std::string(what));
        };
        simulated::system().observer = note;
        simulated::smc().observer = note;
    }

    void TearDown() override {
        program.delegate.reset();
        program.app.reset();
        for (id timer : std::exchange(instance(world().mainRunLoop).held, {})) {
            release(timer); // as at the end of the process
        }
        std::vector<std::string> live;
        for (const auto& [object, found] : world().objects) {
            if (!found.isPermanent && !found.isDeallocated) {
                live.push_back(found.name);
            }
        }
        EXPECT_EQ(live, std::vector<std::string>{});
        EXPECT_EQ(world().pools.size(), 0u);
        EXPECT_EQ(world().faults, std::vector<std::string>{});
    }

    // The program's own entry point's steps, then the event loop.
    void launch() {
        start(program);
        program.app->run();
    }

    static void advance(double seconds) { simulated::mainLoop().advance(seconds); }

    Program program;
};

// The log from message `from` on, a message a line. Left out: reference counting; the making of
// strings, collections and fonts, whose contents show where they are used; font metrics and text
// measuring, whose results show in what is drawn, and whose order is the compiler's; the SMC
// driver's calls, which the SMC client's own tests follow.
inline std::string logSince(std::size_t from) {
    // clang-format off
    static const std::set<std::string> omitted{
        "alloc", "retain", "release", "initWithBytes:length:encoding:", "arrayWithObjects:count:",
        "dictionaryWithObjects:forKeys:count:", "monospacedDigitSystemFontOfSize:weight:",
        "ascender", "descender", "leading", "sizeWithAttributes:", "call"};
    // clang-format on
    std::string log;
    for (std::size_t i = from; i < world().messages.size(); ++i) {
        log += omitted.contains(world().messages[i].first) ? "" : world().messages[i].second + '\n';
    }
    return log;
}

inline SEL selector(const std::string& name) {
    return sel_registerName(name.c_str());
}

inline const std::vector<id>& buttonViews() {
    return instance(property<id>(world().statusItem, "button")).items;
}

// AppKit's display pass: the views in the status item's button, pinned to its edges, get its
// bounds (22 points high, as long as the item), and those that need display draw, in a pool.
// Returns the pass's log.
inline std::string displayPass() {
    const std::size_t from = world().messages.size();
    void* pool = objc_autoreleasePoolPush();
    const CGRect bounds{{0.0, 0.0}, {property<double>(world().statusItem, "length"), 22.0}};
    for (id view : buttonViews()) {
        if (instance(view).properties["bounds"] != propertyOf(bounds)) {
            store(view, "bounds", propertyOf(bounds));
            store(view, "needsDisplay", true);
        }
        if (std::exchange(instance(view).properties["needsDisplay"], false) == Property(true)) {
            send<void, CGRect>(view, selector("drawRect:"), bounds);
        }
    }
    objc_autoreleasePoolPop(pool);
    return logSince(from);
}

// A click in the middle of the status item: the menu opens when no view of the button takes it.
inline bool click() {
    for (id view : buttonViews()) {
        const CGPoint middle{property<double>(world().statusItem, "length") / 2.0, 11.0};
        if (send<id, CGPoint>(view, selector("hitTest:"), middle) != nil) {
            return false;
        }
    }
    return world().isTrackingMenu = true;
}

// Chooses an item of the open menu: the menu closes and the item's action goes to its target
// (the program's actions take no sender), in a pool.
inline void choose(std::size_t item) {
    ASSERT_TRUE(world().isTrackingMenu);
    world().isTrackingMenu = false;
    const id chosen = instance(property<id>(world().statusItem, "menu")).items.at(item);
    void* pool = objc_autoreleasePoolPush();
    send<void>(property<id>(chosen, "target"), selector(property<std::string>(chosen, "action")));
    objc_autoreleasePoolPop(pool);
}

// The first group of every match of `pattern` in the binding's files (or in the one named).
inline std::set<std::string> namedInBinding(const std::string& pattern,
                                            const std::string& only = "") {
    std::set<std::string> names;
    const std::regex expression(pattern);
    for (const auto& file :
         std::filesystem::directory_iterator(TARVO_SOURCE_DIR "/src/platform/macos")) {
        std::ifstream in(file.path());
        const std::string source(std::istreambuf_iterator<char>(in), {});
        for (auto match = std::sregex_iterator(source.begin(), source.end(), expression);
             match != std::sregex_iterator() && (only.empty() || file.path().filename() == only);
             ++match) {
            names.insert((*match)[1]);
        }
    }
    return names;
}

} // namespace tarvo::appkit::doubles
