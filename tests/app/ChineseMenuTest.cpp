#include "support/AppHarness.h"
#include "support/SMCKeys.h"

#include <gtest/gtest.h>

namespace tarvo::simulated {

using Texts = std::vector<std::string>;

// The language is chosen once per process, so these tests have an executable of their own.
TEST(ChineseMenu, EveryTitleIsChineseWhenTheFirstLanguageIsChinese) {
    AppHarness harness;
    system().preferredLanguages = {"zh-Hant-TW", "en-US"};
    harness.launch();
    EXPECT_EQ(AppHarness::shownMenu(),
              (Texts{"Tarvo for Mac · 菜单栏监控", "-", "CPU 占用: --", "CPU 温度: 采集中…",
                     "(通过 AppleSMC 直读，无需授权)", "下载: --", "上传: --", "-", "立即刷新", "-",
                     "退出 Tarvo"}));

    system().preferredLanguages = {"en"}; // the choice is made once per process
    system().processorTicks.reset();
    system().interfaces->front().received += 1500;
    mainLoop().advance(1.0);
    EXPECT_EQ(AppHarness::shownMenu(),
              (Texts{"Tarvo for Mac · 菜单栏监控", "-", "CPU 占用: 无法读取", "CPU 温度: 采集中…",
                     "(正在打开 AppleSMC 读取温度)", "下载: 2 KB/s", "上传: 0 B/s", "-", "立即刷新",
                     "-", "退出 Tarvo"}));

    giveSensors({52.0F});
    system().processorTicks = platform::ProcessorTicks{};
    mainLoop().advance(1.0);
    ASSERT_TRUE(chooseMenuItem("立即刷新"));
    EXPECT_EQ(AppHarness::menuItem(2).title, "CPU 占用: 0.0 %");
    EXPECT_EQ(AppHarness::menuItem(3).title, "CPU 温度: 52.0 °C");
    EXPECT_TRUE(AppHarness::menuItem(4).isHidden);
}

TEST(ChineseMenu, UnavailableTemperature) {
    AppHarness harness;
    system().preferredLanguages = {"zh-Hans"};
    smc().hasService = false;
    harness.launch();
    EXPECT_EQ(AppHarness::menuItem(3).title, "CPU 温度: 无法读取");
    EXPECT_EQ(AppHarness::menuItem(4).title, "(AppleSMC 服务不可用)");
    mainLoop().advance(1.0);
    EXPECT_EQ(AppHarness::drawnTexts().at(1), "--°C") << "unavailable in the view too";
}

} // namespace tarvo::simulated
