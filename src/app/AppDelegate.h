#pragma once

#include "platform/Application.h"
#include "platform/Menu.h"
#include "platform/StatusBar.h"
#include "platform/Timer.h"
#include "presentation/StatusView.h"
#include "samplers/CPUTemperature.h"
#include "samplers/CPUUsage.h"
#include "samplers/NetworkSpeed.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace tarvo {

// The root of the program: it owns the status item, its view and menu lines, the samplers, the
// temperature reader and the refresh timer. Everything runs on the main thread.
class AppDelegate {
public:
    // Shared, so that the refresh timer and the temperature callback can hold it weakly.
    static std::shared_ptr<AppDelegate> create();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The object the toolkit sends applicationDidFinishLaunching:, refreshNow and quit to.
    const platform::ApplicationDelegate& object() const { return nativeDelegate; }

    void applicationDidFinishLaunching();
    // Menu actions.
    void refreshNow();
    void quit();

private:
    AppDelegate();

    void showStatusView(platform::Button& button);
    void buildMenu();
    // The figure lines that VoiceOver says, in the menu's order.
    enum class SpokenLine : std::size_t { cpu, temperature, download, upload };

    void addInformationLine(platform::Menu& menu, std::optional<platform::MenuItem>& field,
                            std::string_view title, std::optional<SpokenLine> spoken);
    void startTimer();
    void startTemperature();
    void beginActivity();
    void tick();
    void updateStatusView(double cpu, const NetworkSample& net, std::optional<double> temp);
    void showMenuLine(platform::MenuItem& item, std::string_view title, SpokenLine spoken);
    void updateMenuTemp();
    void setSpokenLine(SpokenLine line, std::string_view title);
    void updateSpokenReadout();

    std::optional<platform::StatusItem> statusItem;
    std::optional<platform::Button> statusButton; // none when the item has no button
    std::unique_ptr<StatusView> statusView;
    std::optional<platform::MenuItem> menuItemCPU;
    std::optional<platform::MenuItem> menuItemTemp;
    std::optional<platform::MenuItem> menuItemDown;
    std::optional<platform::MenuItem> menuItemUp;
    std::optional<platform::MenuItem> menuItemTempHint;
    CPUUsage cpuUsage;
    NetworkSpeed network;
    std::shared_ptr<CPUTemperature> cpuTemp;
    std::optional<platform::Timer> timer;
    std::optional<double> lastTemp;             // NaN: the reader cannot reach the SMC
    std::optional<platform::Activity> activity; // held for the life of the process

    std::weak_ptr<AppDelegate> self;
    platform::ApplicationDelegate nativeDelegate;
    std::string titleBuffer; // reused by every menu title a refresh writes
    // The figure lines as last written, the button's accessibility label made of them, and the
    // next label; each keeps its storage, so a steady refresh allocates nothing.
    std::array<std::string, 4> spokenLines;
    std::string spokenReadout;
    std::string nextSpokenReadout;
};

} // namespace tarvo
