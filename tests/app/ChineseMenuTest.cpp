#include "presentation/L.h"
#include "support/AppHarness.h"
#include "support/SMCKeys.h"

#include <gtest/gtest.h>

namespace tarvo::simulated {

TEST(L, OnlyTheFirstTagCountsAndItMustBeginWithZh) {
    for (const Texts& tags :
         {Texts{"zh-Hans-CN"}, Texts{"zh-Hant-TW"}, Texts{"zh"}, Texts{"zh", "en"}}) {
        EXPECT_TRUE(L::prefersChinese(tags)) << tags[0];
    }
    for (const Texts& tags :
         {Texts{}, Texts{"en-US", "zh-Hans"}, Texts{"ZH-Hans"}, Texts{"", "zh"}, Texts{"z"}}) {
        EXPECT_FALSE(L::prefersChinese(tags)) << testing::PrintToString(tags);
    }
}

// The language is chosen once per process, so this test has an executable of its own.
TEST(ChineseMenu, EveryTitleIsChineseWhenTheFirstLanguageIsChinese) {
    {
        AppHarness harness;
        system().preferredLanguages = {"zh-Hans", "en"};
        smc().hasService = false;
        harness.launch();
        EXPECT_EQ(AppHarness::menuItem(3).title, "CPU 温度: 无法读取");
        EXPECT_EQ(AppHarness::menuItem(4).title, "(AppleSMC 服务不可用)");
        mainLoop().advance(1.0);
        EXPECT_EQ(AppHarness::drawnTexts().at(1), "--°C") << "unavailable in the view too";
    }
    AppHarness harness;
    system().preferredLanguages = {"en"}; // the choice is made once per process
    harness.launch();
    EXPECT_EQ(AppHarness::shownMenu(),
              (Texts{"Tarvo for Mac · 菜单栏监控", "-", "CPU 占用: --", "CPU 温度: 采集中…",
                     "(通过 AppleSMC 直读，无需授权)", "下载: --", "上传: --", "-", "立即刷新", "-",
                     "退出 Tarvo"}));

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
    EXPECT_EQ(toolkit().statusItems.front().button->accessibilityLabel,
              "CPU 占用: 0.0 %，CPU 温度: 52.0 °C，下载: 0 B/s，上传: 0 B/s");
}

} // namespace tarvo::simulated
