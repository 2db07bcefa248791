// The simulated toolkit's own parts: the event loop and the scripted fonts.
#include "platform/model/Toolkit.h"
#include "platform/Application.h"
#include "platform/Text.h"
#include "platform/simulated/ManualLoop.h"
#include "platform/simulated/SimulatedToolkit.h"

#include <algorithm>

namespace tarvo::platform {

// Launches and returns at once: the test then drives the loop through its manual clock.
void Application::run() {
    model::record("NSApp", "run");
    model::launch();
    simulated::mainLoop().runPostedTasks();
}

void Application::terminate() {
    model::record("NSApp", "terminate:", "nil");
}

double Font::ascender() const {
    model::record("NSFont", "ascender");
    return simulated::fontScript().ascender;
}

double Font::descender() const {
    model::record("NSFont", "descender");
    return simulated::fontScript().descender;
}

double Font::leading() const {
    model::record("NSFont", "leading");
    return simulated::fontScript().leading;
}

double textWidth(std::string_view text, const Font& font) {
    model::record(text, "sizeWithAttributes:", font.pointSize());
    const auto characters = std::count_if(text.begin(), text.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    });
    return static_cast<double>(characters) * simulated::fontScript().characterWidth;
}

} // namespace tarvo::platform
