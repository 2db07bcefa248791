#include "app/AppDelegate.h"
#include "app/ReadoutTexts.h"
#include "platform/Layout.h"
#include "platform/TemperatureSource.h"
#include "presentation/L.h"

namespace tarvo {

using platform::LayoutEdge;

std::shared_ptr<AppDelegate> AppDelegate::create() {
    std::shared_ptr<AppDelegate> delegate(new AppDelegate());
    delegate->self = delegate;
    return delegate;
}

// The native delegate belongs to this object, so its actions never outlive it.
AppDelegate::AppDelegate()
    : nativeDelegate({
          .applicationDidFinishLaunching = [this] { applicationDidFinishLaunching(); },
          .refreshNow = [this] { refreshNow(); },
          .quit = [this] { quit(); },
      }) {}

void AppDelegate::applicationDidFinishLaunching() {
    platform::Application::shared().setActivationPolicy(platform::ActivationPolicy::accessory);
    statusItem =
        platform::StatusBar::system().statusItemWithLength(platform::variableStatusItemLength);
    statusButton = statusItem->button();
    if (statusButton) {
        showStatusView(*statusButton);
    }
    buildMenu();
    updateSpokenReadout();
    // Primed here, so the first refresh measures the second since launch.
    cpuUsage.sample();
    network.sample();
    startTimer();
    startTemperature();
    beginActivity();
}

void AppDelegate::showStatusView(platform::Button& button) {
    button.setTitle("");
    button.setImage(nullptr);
    auto view = std::make_unique<StatusView>();
    platform::CustomView& native = view->view();
    native.setTranslatesAutoresizingMaskIntoConstraints(false);
    button.addSubview(native);
    platform::LayoutConstraint::activate({
        native.anchor(LayoutEdge::leading)
            .constraintEqualToAnchor(button.anchor(LayoutEdge::leading)),
        native.anchor(LayoutEdge::trailing)
            .constraintEqualToAnchor(button.anchor(LayoutEdge::trailing)),
        native.anchor(LayoutEdge::top).constraintEqualToAnchor(button.anchor(LayoutEdge::top)),
        native.anchor(LayoutEdge::bottom)
            .constraintEqualToAnchor(button.anchor(LayoutEdge::bottom)),
    });
    statusView = std::move(view);
    statusItem->setLength(statusView->preferredWidth());
}

void AppDelegate::addInformationLine(platform::Menu& menu, std::optional<platform::MenuItem>& field,
                                     std::string_view title, std::optional<SpokenLine> spoken) {
    field.emplace(title, "", "");
    if (spoken) {
        setSpokenLine(*spoken, title);
    }
    field->setEnabled(false);
    menu.addItem(*field);
}

void AppDelegate::buildMenu() {
    platform::Menu menu;
    platform::MenuItem header(
        L::t("Tarvo for Mac · 菜单栏监控", "Tarvo for Mac · Menu Bar Monitor"), "", "");
    header.setEnabled(false);
    menu.addItem(header);
    menu.addItem(platform::MenuItem::separatorItem());

    addInformationLine(menu, menuItemCPU, L::t("CPU 占用: --", "CPU Usage: --"), SpokenLine::cpu);
    addInformationLine(menu, menuItemTemp, collectingTitle(), SpokenLine::temperature);
    const platform::HintText& hint = platform::temperatureSourceHint;
    addInformationLine(menu, menuItemTempHint, L::t(hint.zh, hint.en), std::nullopt);
    addInformationLine(menu, menuItemDown, L::t("下载: --", "Download: --"), SpokenLine::download);
    addInformationLine(menu, menuItemUp, L::t("上传: --", "Upload: --"), SpokenLine::upload);
    menu.addItem(platform::MenuItem::separatorItem());

    platform::MenuItem refresh(L::t("立即刷新", "Refresh Now"), "refreshNow", "r");
    refresh.setTarget(nativeDelegate);
    menu.addItem(refresh);
    menu.addItem(platform::MenuItem::separatorItem());

    platform::MenuItem quitItem(L::t("退出 Tarvo", "Quit Tarvo"), "quit", "q");
    quitItem.setTarget(nativeDelegate);
    menu.addItem(quitItem);

    statusItem->setMenu(menu);
}

void AppDelegate::startTimer() {
    timer = platform::Timer::scheduledTimer(1.0, true, [weak = self] {
        if (const auto delegate = weak.lock()) {
            delegate->tick();
        }
    });
    // Common modes: the figures keep moving while the menu is open.
    platform::RunLoop::main().addTimer(*timer, platform::RunLoopMode::common);
}

void AppDelegate::startTemperature() {
    cpuTemp = CPUTemperature::create([weak = self](double value) {
        if (const auto delegate = weak.lock()) {
            delegate->lastTemp = value;
            delegate->updateMenuTemp();
            delegate->updateSpokenReadout(); // at once, not a second late
        }
    });
    cpuTemp->start();
}

// App Nap throttles the timers of an app it judges idle, and one with no window and no Dock icon
// looks idle: its readout would then move only every few seconds.
void AppDelegate::beginActivity() {
    activity =
        platform::Activity::begin(platform::ActivityOptions::userInitiatedAllowingIdleSystemSleep,
                                  "Tarvo refreshes its menu bar readout every second.");
}

void AppDelegate::refreshNow() {
    tick();
}

void AppDelegate::quit() {
    if (timer) {
        timer->invalidate();
    }
    if (cpuTemp) {
        cpuTemp->stop();
    }
    platform::Application::shared().terminate();
}

void AppDelegate::tick() {
    const double cpu = cpuUsage.sample();
    const NetworkSample net = network.sample();
    std::optional<double> temp = cpuTemp ? cpuTemp->read() : std::nullopt;
    if (!temp) {
        temp = lastTemp;
    }
    if (statusView) {
        updateStatusView(cpu, net, temp);
    }
    showMenuLine(*menuItemCPU, cpuMenuTitle(titleBuffer, cpu), SpokenLine::cpu);
    updateMenuTemp();
    showMenuLine(*menuItemDown, downMenuTitle(titleBuffer, net.downloadBytesPerSec),
                 SpokenLine::download);
    showMenuLine(*menuItemUp, upMenuTitle(titleBuffer, net.uploadBytesPerSec), SpokenLine::upload);
    updateSpokenReadout();
}

void AppDelegate::showMenuLine(platform::MenuItem& item, std::string_view title,
                               SpokenLine spoken) {
    item.setTitle(title);
    setSpokenLine(spoken, title);
}

void AppDelegate::setSpokenLine(SpokenLine line, std::string_view title) {
    spokenLines[static_cast<std::size_t>(line)].assign(title);
}

// The view draws the figures where VoiceOver cannot read them: the button says them instead, from
// launch on. Set only when it changes; the two buffers trade places.
void AppDelegate::updateSpokenReadout() {
    nextSpokenReadout.clear();
    for (const std::string& line : spokenLines) {
        appendToSpokenReadout(nextSpokenReadout, line);
    }
    if (statusButton && nextSpokenReadout != spokenReadout) {
        spokenReadout.swap(nextSpokenReadout);
        statusButton->setAccessibilityLabel(spokenReadout);
    }
}

void AppDelegate::updateStatusView(double cpu, const NetworkSample& net,
                                   std::optional<double> temp) {
    statusView->setCpuUsageText(cpuUsageViewText(cpu));
    statusView->setCpuTempText(cpuTempViewText(temp));
    statusView->setUpText(upViewText(net.uploadBytesPerSec));
    statusView->setDownText(downViewText(net.downloadBytesPerSec));
    // Set on every tick: the texts may have changed width even when no text changed length.
    statusItem->setLength(statusView->preferredWidth());
}

void AppDelegate::updateMenuTemp() {
    const TemperatureLines lines =
        temperatureLines(titleBuffer, lastTemp, cpuTemp && cpuTemp->hasPollingFailed());
    menuItemTemp->setTitle(lines.title);
    setSpokenLine(SpokenLine::temperature, lines.title);
    menuItemTempHint->setHidden(lines.isHintHidden);
    if (!lines.hint.empty()) {
        menuItemTempHint->setTitle(lines.hint);
    }
}

} // namespace tarvo
